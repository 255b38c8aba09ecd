// Bitmap records converted whole: the images land where the records put
// them, in the right colours and encodings, and broken records draw nothing.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <utility>

#include "emf2pdf/emf2pdf_converter.h"
#include "pdf/jpeg_codec.h"
#include "platform/bitmap.h"
#include "support/emf_builder.h"
#include "support/emf_convert_support.h"
#include "support/graphics_test_support.h"
#include "support/image_tools.h"
#include "support/temp_folder.h"

namespace {

using emfbuild::Dib;
using emfbuild::EmfBuilder;
using emfbuild::Rect;
using emfbuild::Rgb;
using emw_test::ConvertPicture;
using emw_test::PictureColorAt;
using testing_support::TempFolder;

constexpr uint32_t kSrcCopy = 0x00CC0020;
constexpr uint32_t kBlackness = 0x00000042;
constexpr uint32_t kPatInvert = 0x005A0049;
constexpr uint32_t kNotSrcCopy = 0x00330008;

const uint32_t kRed = Rgb(255, 0, 0), kGreen = Rgb(0, 255, 0), kBlue = Rgb(0, 0, 255),
               kWhite = Rgb(255, 255, 255), kBlack = 0;

// A 2 x 2 DIB: red, green on top; blue, white below.
Dib Quad() { return emfbuild::Dib24(2, 2, {kRed, kGreen, kBlue, kWhite}); }

// "ccitt", "image" or "jpeg" for each image pdfimages lists, with its colour space.
std::vector<std::string> ImageKinds(const std::string& pdf) {
  std::vector<std::string> kinds;
  const auto output = testing_support::CommandOutput("pdfimages -list '" + pdf + "'");
  if (!output) return kinds;
  std::istringstream lines(*output);
  std::string line;
  std::getline(lines, line);
  std::getline(lines, line);
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string page, num, type, width, height, color, comp, bpc, enc;
    fields >> page >> num >> type >> width >> height >> color >> comp >> bpc >> enc;
    kinds.push_back(enc + " " + color + " " + width + "x" + height);
  }
  return kinds;
}

// The colours at the middles of the four quarters of the picture's square
// from (100, 100) to (300, 300).
void ExpectQuarters(const std::string& pdf, uint32_t topLeft, uint32_t topRight,
                    uint32_t bottomLeft, uint32_t bottomRight) {
  EXPECT_EQ(PictureColorAt(pdf, 150, 150), topLeft);
  EXPECT_EQ(PictureColorAt(pdf, 250, 150), topRight);
  EXPECT_EQ(PictureColorAt(pdf, 150, 250), bottomLeft);
  EXPECT_EQ(PictureColorAt(pdf, 250, 250), bottomRight);
}

bool HaveTools() {
  return testing_support::HaveTool("pdftoppm") && testing_support::HaveTool("pdfimages");
}

TEST(EmfBitmaps, stretchDIBitsPlacesTheBitmapAndMirrorsNegativeExtents) {
  if (!HaveTools()) GTEST_SKIP() << "pdftoppm or pdfimages missing";
  const Dib quad = Quad();
  EmfBuilder picture(400, 400);
  // The second destination starts at its right edge and runs left.
  picture.stretchDIBits({100, 100, 299, 299}, {100, 100}, 200, 200, {0, 0}, 2, 2, kSrcCopy, quad)
      .stretchDIBits({100, 320, 299, 379}, {300, 320}, -200, 60, {0, 0}, 2, 2, kSrcCopy, quad);
  const auto result = ConvertPicture(picture);
  ASSERT_TRUE(result->ok);
  const std::string& pdf = result->pdf;
  ExpectQuarters(pdf, kRed, kGreen, kBlue, kWhite);
  EXPECT_EQ(PictureColorAt(pdf, 50, 50), kWhite);  // nothing outside
  // Mirrored in place: green on the left, red on the right.
  EXPECT_EQ(PictureColorAt(pdf, 150, 335), kGreen);
  EXPECT_EQ(PictureColorAt(pdf, 250, 335), kRed);
  EXPECT_EQ(ImageKinds(pdf), (std::vector<std::string>{"image rgb 2x2", "image rgb 2x2"}));
}

// In a mapping whose y runs upwards a destination of negative height is
// upright on the page: not mirrored, and not dropped for its sign even when
// the record has no bounds.
TEST(EmfBitmaps, stretchDIBitsInAYUpMapping_isUpright) {
  if (!HaveTools()) GTEST_SKIP() << "pdftoppm or pdfimages missing";
  const Dib quad = Quad();
  EmfBuilder picture(400, 400);
  picture.setMapMode(8)
      .setWindowExtEx(400, -400)
      .setViewportExtEx(400, 400)
      .setViewportOrgEx(0, 400)
      .stretchDIBits({0, 0, -1, -1}, {100, 300}, 200, -200, {0, 0}, 2, 2, kSrcCopy, quad);
  const auto result = ConvertPicture(picture);
  ASSERT_TRUE(result->ok);
  ExpectQuarters(result->pdf, kRed, kGreen, kBlue, kWhite);
  EXPECT_EQ(PictureColorAt(result->pdf, 150, 50), kWhite);
}

// A mask and its picture over the same destination become one image with a
// stencil, in either of the two orders programs use and through any of the
// bitmap records; the page around the picture's opaque part shows through.
TEST(EmfBitmaps, maskThenPicture_drawsOnlyTheOpaquePart) {
  if (!HaveTools()) GTEST_SKIP() << "pdftoppm or pdfimages missing";
  const uint32_t kSrcAnd = 0x008800C6, kSrcPaint = 0x00EE0086, kSrcInvert = 0x00660046;
  // Left column opaque: red over green. Right column transparent.
  const struct {
    const char* name;
    uint32_t maskRop, pictureRop;
    bool opaqueBit;  // the mask's bit for an opaque pixel (1 = its colour1)
    uint32_t hiddenColour;
  } kOrders[] = {{"and, then paint", kSrcAnd, kSrcPaint, false, kBlack},
                 {"and, then invert", kSrcAnd, kSrcInvert, false, kBlack},
                 {"paint, then and", kSrcPaint, kSrcAnd, true, kWhite}};
  using Draw = std::function<void(EmfBuilder&, uint32_t, const Dib&)>;
  const Rect box{100, 100, 299, 299};
  const std::pair<const char*, Draw> kRecords[] = {
      {"StretchDIBits",
       [&](EmfBuilder& page, uint32_t rop, const Dib& dib) {
         page.stretchDIBits(box, {100, 100}, 200, 200, {0, 0}, 2, 2, rop, dib);
       }},
      {"BitBlt",
       [&](EmfBuilder& page, uint32_t rop, const Dib& dib) {
         page.bitBlt(box, {100, 100}, 2, 2, rop, {0, 0}, &dib);
       }},
      {"StretchBlt", [&](EmfBuilder& page, uint32_t rop, const Dib& dib) {
         page.stretchBlt(box, {100, 100}, 200, 200, rop, {0, 0}, 2, 2, &dib);
       }}};
  for (const auto& [record, draw] : kRecords) {
    for (const auto& order : kOrders) {
      SCOPED_TRACE(std::string(record) + ": " + order.name);
      const Dib mask = emfbuild::Dib1(
          2, 2, {order.opaqueBit, !order.opaqueBit, order.opaqueBit, !order.opaqueBit}, kBlack,
          kWhite);
      const Dib picture =
          emfbuild::Dib24(2, 2, {kRed, order.hiddenColour, kGreen, order.hiddenColour});
      EmfBuilder page(400, 400);
      page.selectObject(0x80000008)  // null pen
          .createBrushIndirect(1, 0, kBlue)
          .selectObject(1)
          .rectangle({0, 0, 400, 400});
      draw(page, order.maskRop, mask);
      draw(page, order.pictureRop, picture);
      const auto result = ConvertPicture(page);
      ASSERT_TRUE(result->ok);
      ExpectQuarters(result->pdf, kRed, kBlue, kGreen, kBlue);
      EXPECT_EQ(ImageKinds(result->pdf),
                (std::vector<std::string>{"image rgb 2x2", "ccitt - 2x2"}));
    }
  }
}

// A mask drawn by its bounds and a picture by its mapped destination round
// apart by a pixel; they still belong together.
TEST(EmfBitmaps, maskAndPictureThroughDifferentRecords_pairUp) {
  if (!HaveTools()) GTEST_SKIP() << "pdftoppm or pdfimages missing";
  const Dib mask = emfbuild::Dib1(2, 2, {false, true, false, true}, kBlack, kWhite);
  const Dib picture = emfbuild::Dib24(2, 2, {kRed, kBlack, kGreen, kBlack});
  EmfBuilder page(400, 400);
  page.selectObject(0x80000008)
      .createBrushIndirect(1, 0, kBlue)
      .selectObject(1)
      .rectangle({0, 0, 400, 400})
      .stretchBlt({100, 100, 299, 299}, {100, 100}, 200, 200, 0x008800C6, {0, 0}, 2, 2, &mask)
      .stretchDIBits({0, 0, -1, -1}, {101, 100}, 199, 200, {0, 0}, 2, 2, 0x00660046, picture);
  const auto result = ConvertPicture(page);
  ASSERT_TRUE(result->ok);
  EXPECT_EQ(PictureColorAt(result->pdf, 150, 150), kRed);
  EXPECT_EQ(PictureColorAt(result->pdf, 250, 150), kBlue);
  EXPECT_EQ(ImageKinds(result->pdf), (std::vector<std::string>{"image rgb 2x2", "ccitt - 2x2"}));
}

// StretchBlt copies the record's source area, not the whole DIB: a DIB with
// a row more than is shown does not squeeze that row into the destination.
TEST(EmfBitmaps, stretchBlt_copiesItsSourceArea) {
  if (!HaveTools()) GTEST_SKIP() << "pdftoppm or pdfimages missing";
  const Dib tall = emfbuild::Dib24(2, 3, {kRed, kGreen, kBlue, kWhite, kBlack, kBlack});
  EmfBuilder page(400, 400);
  page.stretchBlt({100, 100, 299, 299}, {100, 100}, 200, 200, kSrcCopy, {0, 0}, 2, 2, &tall);
  const auto result = ConvertPicture(page);
  ASSERT_TRUE(result->ok);
  EXPECT_EQ(PictureColorAt(result->pdf, 150, 120), kRed);
  EXPECT_EQ(PictureColorAt(result->pdf, 150, 290), kBlue);
  EXPECT_EQ(PictureColorAt(result->pdf, 250, 290), kWhite);
  EXPECT_EQ(ImageKinds(result->pdf), (std::vector<std::string>{"image rgb 2x2"}));
}

// A mask whose picture does not follow is drawn through a stencil of itself:
// SRCAND leaves what lies under its white pixels.
TEST(EmfBitmaps, maskWithoutItsPicture_isDrawnAlone) {
  if (!HaveTools()) GTEST_SKIP() << "pdftoppm or pdfimages missing";
  const Dib mask = emfbuild::Dib1(2, 1, {true, false}, kWhite, kBlack);
  for (const bool followedByAnother : {false, true}) {
    SCOPED_TRACE(followedByAnother);
    EmfBuilder page(400, 400);
    page.stretchDIBits({100, 100, 299, 199}, {100, 100}, 200, 100, {0, 0}, 2, 1, 0x008800C6, mask);
    if (followedByAnother)
      page.stretchDIBits({100, 300, 299, 399}, {100, 300}, 200, 100, {0, 0}, 2, 2, kSrcCopy,
                         Quad());
    const auto result = ConvertPicture(page);
    ASSERT_TRUE(result->ok);
    EXPECT_EQ(PictureColorAt(result->pdf, 150, 150), kBlack);
    std::vector<std::string> expected = {"ccitt gray 2x1", "ccitt - 2x1"};
    if (followedByAnother) expected.push_back("image rgb 2x2");
    EXPECT_EQ(ImageKinds(result->pdf), expected);
  }
}

TEST(EmfBitmaps, oneBitBitmapsBecomeCcittImages) {
  if (!HaveTools()) GTEST_SKIP() << "pdftoppm or pdfimages missing";
  // Left column black, right column white, in a DIB whose 1 bits are black.
  const Dib mono = emfbuild::Dib1(2, 1, {true, false}, kWhite, kBlack);
  EmfBuilder picture(400, 400);
  picture.stretchDIBits({100, 100, 299, 199}, {100, 100}, 200, 100, {0, 0}, 2, 1, kSrcCopy, mono);
  const auto result = ConvertPicture(picture);
  ASSERT_TRUE(result->ok);
  EXPECT_EQ(PictureColorAt(result->pdf, 150, 150), kBlack);
  EXPECT_EQ(PictureColorAt(result->pdf, 250, 150), kWhite);
  EXPECT_EQ(ImageKinds(result->pdf), (std::vector<std::string>{"ccitt gray 2x1"}));
}

TEST(EmfBitmaps, bltRecordsCopyFillOrDrawNothing) {
  if (!HaveTools()) GTEST_SKIP() << "pdftoppm or pdfimages missing";
  const Dib quad = Quad();
  EmfBuilder picture(400, 400);
  picture.createBrushIndirect(1, 0, kRed)
      .selectObject(1)
      // Source area (1, 0) of 1 x 2: green over white, inverted -> magenta over black.
      .bitBlt({20, 20, 59, 99}, {20, 20}, 1, 2, kNotSrcCopy, {1, 0}, &quad)
      // No source: BLACKNESS is black whatever the brush.
      .bitBlt({100, 20, 179, 99}, {100, 20}, 80, 80, kBlackness, {0, 0}, nullptr)
      // PATINVERT: the red brush XOR white paper is cyan.
      .bitBlt({200, 20, 279, 99}, {200, 20}, 80, 80, kPatInvert, {0, 0}, nullptr)
      // The whole DIB, placed by its bounds.
      .stretchBlt({20, 200, 99, 279}, {20, 200}, 80, 80, kSrcCopy, {0, 0}, 2, 2, &quad)
      .transparentBlt({200, 200, 279, 279}, {200, 200}, 2, 2, kWhite, {0, 0}, 2, 2, &quad)
      .maskBlt({300, 200, 379, 279}, {300, 200}, 2, 2, kSrcCopy, {0, 0}, &quad)
      // A mask blt without a source draws nothing.
      .maskBlt({300, 300, 379, 379}, {300, 300}, 2, 2, kSrcCopy, {0, 0}, nullptr);
  const auto result = ConvertPicture(picture);
  ASSERT_TRUE(result->ok);
  const std::string& pdf = result->pdf;
  EXPECT_EQ(PictureColorAt(pdf, 40, 40), Rgb(255, 0, 255));
  EXPECT_EQ(PictureColorAt(pdf, 40, 80), kBlack);
  EXPECT_EQ(PictureColorAt(pdf, 140, 60), kBlack);
  EXPECT_EQ(PictureColorAt(pdf, 240, 60), Rgb(0, 255, 255));
  EXPECT_EQ(PictureColorAt(pdf, 40, 220), kRed);
  EXPECT_EQ(PictureColorAt(pdf, 80, 260), kWhite);
  EXPECT_EQ(PictureColorAt(pdf, 260, 220), kGreen);
  EXPECT_EQ(PictureColorAt(pdf, 320, 260), kBlue);
  EXPECT_EQ(PictureColorAt(pdf, 340, 340), kWhite);
  EXPECT_EQ(ImageKinds(pdf).size(), 4u);
}

TEST(EmfBitmaps, alphaBlendShowsTransparentPixelsAsPaper) {
  if (!HaveTools()) GTEST_SKIP() << "pdftoppm or pdfimages missing";
  // Opaque blue, fully transparent (premultiplied black), half red.
  const Dib pixels = emfbuild::Dib32(3, 1, {kBlue, kBlack, Rgb(128, 0, 0)}, {255, 0, 128});
  EmfBuilder picture(400, 400);
  picture
      .alphaBlend({100, 100, 399, 199}, {100, 100}, 300, 100, 0x01FF0000, {0, 0}, 3, 1, &pixels)
      // No source: the destination is filled with the fill colour in force.
      .alphaBlend({20, 300, 59, 339}, {20, 300}, 40, 40, 0x01FF0000, {0, 0}, 0, 0, nullptr);
  const auto result = ConvertPicture(picture);
  ASSERT_TRUE(result->ok);
  EXPECT_EQ(PictureColorAt(result->pdf, 150, 150), kBlue);
  EXPECT_EQ(PictureColorAt(result->pdf, 250, 150), kWhite);
  EXPECT_EQ(PictureColorAt(result->pdf, 350, 150), Rgb(255, 127, 127));
}

TEST(EmfBitmaps, setDIBitsToDeviceCopiesUnscaledAtTheBounds) {
  if (!HaveTools()) GTEST_SKIP() << "pdftoppm or pdfimages missing";
  const Dib quad = Quad();
  EmfBuilder picture(400, 400);
  picture.setDIBitsToDevice({100, 100, 101, 101}, {100, 100}, {0, 0}, 2, 2, 0, 2, quad);
  const auto result = ConvertPicture(picture);
  ASSERT_TRUE(result->ok);
  EXPECT_EQ(ImageKinds(result->pdf), (std::vector<std::string>{"image rgb 2x2"}));
}

TEST(EmfBitmaps, brokenBitmapRecordsAddNoImage) {
  if (!HaveTools()) GTEST_SKIP() << "pdftoppm or pdfimages missing";
  const Dib quad = Quad();
  Dib unreadable = quad;
  unreadable.info[14] = 3;  // biBitCount
  EmfBuilder picture(400, 400);
  picture
      // Zero and negative sizes.
      .stretchDIBits({0, 0, 10, 10}, {0, 0}, 10, 10, {0, 0}, 0, 2, kSrcCopy, quad)
      .stretchDIBits({0, 0, 10, 10}, {0, 0}, 10, 10, {0, 0}, -2, 2, kSrcCopy, quad)
      .bitBlt({0, 0, 10, 10}, {0, 0}, -5, 5, kSrcCopy, {0, 0}, &quad)
      // Far more pixels than the record's bits hold.
      .stretchDIBits({0, 0, 10, 10}, {0, 0}, 10, 10, {0, 0}, 30000, 30000, kSrcCopy, quad)
      .bitBlt({0, 0, 10, 10}, {0, 0}, 100000, 100000, kSrcCopy, {0, 0}, &quad)
      // Offsets past the record.
      .record(81, std::vector<uint8_t>(72, 0xFF))
      // A DIB that cannot be read: the bitmap stays as made (black).
      .stretchDIBits({200, 200, 299, 299}, {200, 200}, 100, 100, {0, 0}, 2, 2, kSrcCopy,
                     unreadable);
  const auto result = ConvertPicture(picture);
  ASSERT_TRUE(result->ok);
  EXPECT_EQ(ImageKinds(result->pdf), (std::vector<std::string>{"image rgb 2x2"}));
  EXPECT_EQ(PictureColorAt(result->pdf, 250, 250), kBlack);
}

// A DIB whose bits are a JPEG file: left half red, right half blue.
Dib JpegDib() {
  platform::TBitmap bitmap(16, 16, platform::TPixelFormat::pf24bit);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) bitmap.SetPixel(x, y, x < 8 ? kRed : kBlue);
  const std::string jpeg = pdf::EncodeJpeg(bitmap, 95);
  Dib dib = emfbuild::Dib24(16, 16, std::vector<uint32_t>(256, 0));
  dib.info[14] = 0;  // biBitCount: given by the JPEG data
  dib.info[16] = 4;  // BI_JPEG
  dib.bits.assign(jpeg.begin(), jpeg.end());
  return dib;
}

TEST(EmfBitmaps, jpegDibsDecodeAndColourImagesFollowTheJpegOption) {
  if (!HaveTools()) GTEST_SKIP() << "pdftoppm or pdfimages missing";
  const Dib jpeg = JpegDib();
  const Dib quad = Quad();
  EmfBuilder picture(400, 400);
  picture.stretchDIBits({100, 100, 299, 199}, {100, 100}, 200, 100, {0, 0}, 16, 16, kSrcCopy, jpeg)
      .stretchDIBits({100, 250, 299, 349}, {100, 250}, 200, 100, {0, 0}, 2, 2, kSrcCopy, quad);
  TempFolder folder;
  picture.writeFile(folder.file("page.emf"));
  const std::string pdf = folder.file("page.pdf");
  emf2pdf::TEMF2PDFConverter converter;
  converter.SetFileName(pdf);
  converter.EMFOptions().ColorImagesAsJPEG = true;
  converter.BeginDoc();
  converter.AddDocument({folder.file("page.emf")});
  ASSERT_TRUE(converter.Convert()) << converter.LastError();
  converter.EndDoc();
  EXPECT_EQ(ImageKinds(pdf), (std::vector<std::string>{"jpeg rgb 16x16", "jpeg rgb 2x2"}));
  EXPECT_EQ(PictureColorAt(pdf, 130, 150), kRed);
  EXPECT_EQ(PictureColorAt(pdf, 270, 150), kBlue);
}

}  // namespace
