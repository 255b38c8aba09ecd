#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>

#include "pdf/document.h"
#include "pdf/images.h"
#include "pdf/jpeg_codec.h"
#include "pdf/page.h"
#include "pdf/pdf_exception.h"
#include "support/image_tools.h"
#include "support/temp_folder.h"

namespace pdf {
namespace {

using platform::TBitmap;
using platform::TPixelFormat;
using testing_support::ReadFile;
using testing_support::ReadPnm;

std::optional<std::string> RunCommand(const std::string& command) {
  return testing_support::CommandOutput(command);
}

bool ToolAvailable(const std::string& tool) { return testing_support::HaveTool(tool); }

// A document whose only page shows each added image once, side by side.
class ImageDocument {
 public:
  explicit ImageDocument(const std::string& name, bool onePass = false) {
    path_ = folder_.file(name + ".pdf");
    document_.SetFileName(path_);
    document_.SetOnePass(onePass);
    document_.BeginDoc();
  }

  TPDFDocument& document() { return document_; }
  int Add(const TPDFGraphic& graphic, ImageCompression compression) {
    const int index = document_.AddImage(graphic, compression, -1, false, -1);
    document_.CurrentPage().ShowImage(index, 10 + 20 * index, 10, 10, 10, 0);
    return index;
  }
  const std::string& Finish() {
    document_.EndDoc();
    return path_;
  }
  const std::string& dir() const { return folder_.path(); }

 private:
  testing_support::TempFolder folder_;
  TPDFDocument document_;
  std::string path_;
};

struct ListedImage {
  int width = 0;
  int height = 0;
  std::string color;
  int bpc = 0;
  std::string encoding;
};

// The rows of `pdfimages -list` after its two header lines.
std::vector<ListedImage> ListImages(const std::string& pdf) {
  std::vector<ListedImage> images;
  const auto output = RunCommand("pdfimages -list '" + pdf + "'");
  if (!output) return images;
  std::istringstream lines(*output);
  std::string line;
  for (int skip = 0; skip < 2 && std::getline(lines, line); ++skip) {
  }
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string page, num, type, comp, interp;
    ListedImage image;
    int components = 0;
    fields >> page >> num >> type >> image.width >> image.height >> image.color >> components >>
        image.bpc >> image.encoding;
    images.push_back(image);
  }
  return images;
}

void ExpectQpdfClean(const std::string& pdf) {
  const auto output = RunCommand("qpdf --check '" + pdf + "' 2>&1");
  ASSERT_TRUE(output.has_value()) << "qpdf --check failed on " << pdf;
  EXPECT_EQ(output->find("WARNING"), std::string::npos) << *output;
}

// Extracts every image decoded by poppler (PBM, PGM, PPM) in order.
std::vector<testing_support::PnmImage> ExtractImages(const std::string& pdf,
                                                     const std::string& dir) {
  std::vector<testing_support::PnmImage> images;
  if (!RunCommand("pdfimages '" + pdf + "' '" + dir + "/x'")) return images;
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    if (entry.path().filename().string().rfind("x-", 0) == 0) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  for (const auto& file : files) {
    auto image = ReadPnm(file);
    if (image) images.push_back(std::move(*image));
  }
  return images;
}

bool HaveTools() { return ToolAvailable("pdfimages") && ToolAvailable("qpdf"); }

TEST(ImagesPdf, ccittImagesOfEveryModeDecodeBackToTheSource) {
  if (!HaveTools()) GTEST_SKIP() << "pdfimages or qpdf not installed";
  std::mt19937 random(5);
  std::vector<TBitmap> bitmaps;
  for (int width : {1, 7, 13, 333, 1729, 2561, 3001, 5003})
    bitmaps.push_back(testing_support::RandomMonochrome(width, 17, random));
  bitmaps.push_back(testing_support::UniformMonochrome(2480, 40, true));
  bitmaps.push_back(testing_support::UniformMonochrome(2480, 40, false));
  bitmaps.push_back(testing_support::UniformMonochrome(3, 3, false));

  for (ImageCompression compression : {icCCITT31, icCCITT32, icCCITT4}) {
    SCOPED_TRACE(static_cast<int>(compression));
    ImageDocument pdf("ccitt");
    for (const TBitmap& bitmap : bitmaps) pdf.Add(&bitmap, compression);
    const std::string& file = pdf.Finish();
    ExpectQpdfClean(file);

    const auto listed = ListImages(file);
    ASSERT_EQ(listed.size(), bitmaps.size());
    for (size_t i = 0; i < bitmaps.size(); ++i) {
      EXPECT_EQ(listed[i].width, bitmaps[i].Width());
      EXPECT_EQ(listed[i].height, bitmaps[i].Height());
      EXPECT_EQ(listed[i].color, "gray");
      EXPECT_EQ(listed[i].bpc, 1);
      EXPECT_EQ(listed[i].encoding, "ccitt");
    }
    const auto decoded = ExtractImages(file, pdf.dir());
    ASSERT_EQ(decoded.size(), bitmaps.size());
    for (size_t i = 0; i < bitmaps.size(); ++i)
      EXPECT_TRUE(decoded[i].pixels == testing_support::PixelsOf(bitmaps[i]))
          << "image " << i << " width " << bitmaps[i].Width();
  }
}

TEST(ImagesPdf, blackIs1FollowsThePaletteOfTheTopLeftPixel) {
  if (!HaveTools()) GTEST_SKIP() << "pdfimages or qpdf not installed";
  std::mt19937 random(9);
  TBitmap usual = testing_support::RandomMonochrome(41, 9, random);
  TBitmap inverted = usual;
  inverted.Palette() = {platform::kWhite, platform::kBlack};
  ImageDocument pdf("blackis1");
  pdf.Add(&usual, icCCITT4);
  pdf.Add(&inverted, icCCITT4);
  EXPECT_EQ(pdf.document().Images().Items(0).BlackIs1(), false);
  EXPECT_EQ(pdf.document().Images().Items(1).BlackIs1(), true);
  const std::string& file = pdf.Finish();
  const std::string text = ReadFile(file);
  EXPECT_NE(text.find("/DecodeParms [<</K -1 /Columns 41 /Rows 9/BlackIs1 true>>]\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("/DecodeParms [<</K -1 /Columns 41 /Rows 9>>]\r\n"), std::string::npos);
  const auto decoded = ExtractImages(file, pdf.dir());
  ASSERT_EQ(decoded.size(), 2u);
  EXPECT_TRUE(decoded[0].pixels == testing_support::PixelsOf(usual));
  EXPECT_TRUE(decoded[1].pixels == testing_support::PixelsOf(inverted));
}

TEST(ImagesPdf, flateAndJpegImagesMatchTheSource) {
  if (!HaveTools()) GTEST_SKIP() << "pdfimages or qpdf not installed";
  std::mt19937 random(3);
  const TBitmap noisy = testing_support::GradientBitmap(3, 5, random, 100);
  const TBitmap wide = testing_support::GradientBitmap(317, 41, random, 100);
  const TBitmap smooth = testing_support::GradientBitmap(160, 96, random, 0);
  ImageDocument pdf("colour");
  pdf.document().SetJPEGQuality(90);
  pdf.Add(&noisy, icFlate);
  pdf.Add(&wide, icFlate);
  pdf.Add(&smooth, icJPEG);
  const std::string& file = pdf.Finish();
  ExpectQpdfClean(file);

  const auto listed = ListImages(file);
  ASSERT_EQ(listed.size(), 3u);
  EXPECT_EQ(listed[0].encoding, "image");
  EXPECT_EQ(listed[2].encoding, "jpeg");
  for (const auto& image : listed) {
    EXPECT_EQ(image.color, "rgb");
    EXPECT_EQ(image.bpc, 8);
  }
  const auto decoded = ExtractImages(file, pdf.dir());
  ASSERT_EQ(decoded.size(), 3u);
  EXPECT_TRUE(decoded[0].pixels == testing_support::PixelsOf(noisy));
  EXPECT_TRUE(decoded[1].pixels == testing_support::PixelsOf(wide));
  const auto source = testing_support::PixelsOf(smooth);
  ASSERT_EQ(decoded[2].pixels.size(), source.size());
  double difference = 0;
  for (size_t i = 0; i < source.size(); ++i)
    for (int shift : {0, 8, 16})
      difference += std::abs(static_cast<int>((decoded[2].pixels[i] >> shift) & 0xFF) -
                             static_cast<int>((source[i] >> shift) & 0xFF));
  EXPECT_LT(difference / (source.size() * 3), 3.0);
}

// Pictures of few colours are written as palette indices of as few bits as
// hold them, and a stencil of single pixels is deflated rather than coded
// by Group 4: both decode to exactly the source.
TEST(ImagesPdf, fewColoursBecomeIndicesAndSpeckledMasksAreDeflated) {
  if (!HaveTools()) GTEST_SKIP() << "pdfimages or qpdf not installed";
  std::mt19937 random(9);
  std::vector<TBitmap> bitmaps;
  for (int colours : {2, 3, 5, 17, 256, 257}) {
    std::vector<platform::TColor> palette(colours);
    for (auto& colour : palette) colour = random() & 0xFFFFFF;
    TBitmap bitmap(131, 129, TPixelFormat::pf24bit);  // 16,899 pixels: 257 x 64 is more
    for (int y = 0; y < bitmap.Height(); ++y)
      for (int x = 0; x < bitmap.Width(); ++x)
        bitmap.SetPixel(x, y, palette[(x / 3 + y * 7) % colours]);
    bitmaps.push_back(std::move(bitmap));
  }
  TBitmap speckled(97, 61, TPixelFormat::pf24bit);
  speckled.Fill(platform::kWhite);
  for (int y = 0; y < speckled.Height(); ++y)
    for (int x = (y % 2); x < speckled.Width(); x += 2) speckled.SetPixel(x, y, platform::kBlack);

  ImageDocument pdf("indexed");
  for (const TBitmap& bitmap : bitmaps) pdf.Add(&bitmap, icFlate);
  TPDFDocument& document = pdf.document();
  const int mask = document.AddImage(&speckled, icCCITT4, platform::kWhite, true, -1);
  EXPECT_EQ(document.Images().Items(mask).Compression(), icFlate);
  TBitmap under(97, 61, TPixelFormat::pf24bit);
  under.Fill(0x3366CC);
  const int masked = document.AddImage(&under, icFlate, -1, false, mask);
  document.CurrentPage().ShowImage(masked, 200, 10, 97, 61, 0);
  const std::string& file = pdf.Finish();
  ExpectQpdfClean(file);

  const auto listed = ListImages(file);
  ASSERT_EQ(listed.size(), bitmaps.size() + 2);
  const int bits[] = {1, 2, 4, 8, 8, 8};
  for (size_t i = 0; i < bitmaps.size(); ++i) {
    EXPECT_EQ(listed[i].color, i + 1 < bitmaps.size() ? "index" : "rgb") << i;
    EXPECT_EQ(listed[i].bpc, bits[i]) << i;
  }
  // pdfimages writes 1-bit images, indexed or not, as their bits: those
  // must split the pixels as the source's colours do.
  auto sameSplit = [](const std::vector<platform::TColor>& a,
                      const std::vector<platform::TColor>& b) {
    std::map<platform::TColor, platform::TColor> forth, back;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
      if (forth.emplace(a[i], b[i]).first->second != b[i] ||
          back.emplace(b[i], a[i]).first->second != a[i])
        return false;
    return a.size() == b.size();
  };
  const auto decoded = ExtractImages(file, pdf.dir());
  ASSERT_EQ(decoded.size(), bitmaps.size() + 2);
  for (size_t i = 0; i < bitmaps.size(); ++i) {
    const auto source = testing_support::PixelsOf(bitmaps[i]);
    EXPECT_TRUE(bits[i] == 1 ? sameSplit(decoded[i].pixels, source) : decoded[i].pixels == source)
        << i;
  }
  EXPECT_TRUE(sameSplit(decoded.back().pixels, testing_support::PixelsOf(speckled)));
}

TEST(ImagesPdf, greyJpegSourceIsWrittenAsDeviceGray) {
  if (!HaveTools()) GTEST_SKIP() << "pdfimages or qpdf not installed";
  if (!ToolAvailable("gs")) GTEST_SKIP() << "ghostscript not installed";
  ImageDocument pdf("grey");
  ASSERT_TRUE(
      RunCommand("echo '0.5 setgray 0 0 10 10 rectfill showpage' | gs -q -dNOPAUSE "
                 "-dBATCH -dSAFER -sDEVICE=jpeggray -g4x2 -r72 -sOutputFile='" +
                 pdf.dir() + "/g.jpg' - >/dev/null"));
  const TPDFJpegGraphic jpeg{ReadFile(pdf.dir() + "/g.jpg")};
  pdf.Add(&jpeg, icJPEG);
  EXPECT_TRUE(pdf.document().Images().Items(0).IsGray());
  const std::string& file = pdf.Finish();
  ExpectQpdfClean(file);
  const auto listed = ListImages(file);
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].color, "gray");
  EXPECT_EQ(listed[0].bpc, 8);
  EXPECT_EQ(listed[0].width, 4);
}

TEST(ImagesPdf, flateImageOfWidthThreeHasNineBytesPerRow) {
  std::mt19937 random(1);
  const TBitmap bitmap = testing_support::GradientBitmap(3, 4, random, 50);
  ImageDocument pdf("width3");
  pdf.Add(&bitmap, icFlate);
  const TPDFImage& image = pdf.document().Images().Items(0);
  EXPECT_EQ(image.ResourceName(), "Im0");
  EXPECT_EQ(image.BitsPerComponent(), 8);
  std::string raw(100, '\0');
  uLongf size = raw.size();
  ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(raw.data()), &size,
                       reinterpret_cast<const Bytef*>(image.ImageData().data()),
                       image.ImageData().size()),
            Z_OK);
  ASSERT_EQ(size, 36u);  // four rows of 9 bytes, red first
  EXPECT_EQ(static_cast<uint8_t>(raw[9 + 3]), platform::ColorRed(bitmap.Pixel(1, 1)));
  EXPECT_EQ(static_cast<uint8_t>(raw[9 + 5]), platform::ColorBlue(bitmap.Pixel(1, 1)));
  pdf.Finish();
}

TEST(ImagesPdf, maskIsCheckedAndWrittenBeforeTheImageThatNamesIt) {
  std::mt19937 random(2);
  const TBitmap colour = testing_support::GradientBitmap(8, 8, random, 0);
  ImageDocument pdf("mask");
  TPDFDocument& document = pdf.document();
  const int plain = document.AddImage(&colour, icFlate, -1, false, -1);
  auto expectRefused = [&](bool isMask, int maskIndex, const char* message) {
    try {
      document.AddImage(&colour, icFlate, -1, isMask, maskIndex);
      ADD_FAILURE() << "accepted: " << message;
    } catch (const TPDFException& e) {
      EXPECT_STREQ(e.what(), message);
    }
  };
  expectRefused(false, 1, msg::kUnknownMask);
  expectRefused(false, plain, msg::kMaskNotMarked);
  const int mask = document.AddImage(&colour, icFlate, colour.Pixel(0, 0), true, -1);
  expectRefused(true, mask, msg::kMaskCannotHaveMask);
  const TPDFJpegGraphic notAnImage;
  try {
    document.AddImage(&notAnImage, icFlate, -1, true, -1);
    ADD_FAILURE() << "mask of a JPEG accepted";
  } catch (const TPDFException& e) {
    EXPECT_STREQ(e.what(), msg::kMaskOnlyForBitmap);
  }
  EXPECT_EQ(document.Images().Count(), 2);
  const TPDFImage& maskImage = document.Images().Items(mask);
  EXPECT_EQ(maskImage.Compression(), icCCITT4);
  EXPECT_TRUE(maskImage.IsGray());

  const int masked = document.AddImage(&colour, icFlate, -1, false, mask);
  document.CurrentPage().ShowImage(masked, 0, 0, 50, 50, 0);
  const std::string& file = pdf.Finish();
  const std::string text = ReadFile(file);
  const size_t maskAt = text.find("/ImageMask true");
  const size_t maskRef = text.find("/Mask ");
  ASSERT_NE(maskAt, std::string::npos);
  ASSERT_NE(maskRef, std::string::npos);
  EXPECT_LT(maskAt, maskRef);
  EXPECT_EQ(text.find("/ImageMask true", maskAt + 1), std::string::npos);  // written once
  if (ToolAvailable("qpdf")) ExpectQpdfClean(file);
}

TEST(ImagesPdf, graphicsWithoutPixelsAreRefused) {
  ImageDocument pdf("empty");
  TPDFDocument& document = pdf.document();
  const TBitmap empty;
  for (const TPDFGraphic& graphic : {TPDFGraphic{}, TPDFGraphic{&empty}}) {
    try {
      document.AddImage(graphic, icFlate, -1, false, -1);
      ADD_FAILURE() << "empty graphic accepted";
    } catch (const TPDFException& e) {
      EXPECT_STREQ(e.what(), msg::kNotValidImage);
    }
  }
  const TBitmap colour(2, 2, TPixelFormat::pf24bit);
  try {
    document.AddImage(&colour, icCCITT4, -1, false, -1);
    ADD_FAILURE() << "colour bitmap coded as CCITT";
  } catch (const TPDFException&) {
    ADD_FAILURE() << "must not be the writer's exception";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), msg::kCcittNotMonochrome);
  }
  const TPDFJpegGraphic broken{"not a jpeg at all"};
  EXPECT_THROW(document.AddImage(&broken, icJPEG, -1, false, -1), std::runtime_error);
  EXPECT_EQ(document.Images().Count(), 0);
  EXPECT_THROW(document.CurrentPage().ShowImage(0, 0, 0, 1, 1, 0), TPDFException);
  pdf.Finish();
}

TEST(ImagesPdf, addImageOutsideGenerationIsRefused) {
  TPDFDocument document;
  const TBitmap bitmap(1, 1, TPixelFormat::pf24bit);
  try {
    document.AddImage(&bitmap, icFlate, -1, false, -1);
    ADD_FAILURE();
  } catch (const TPDFException& e) {
    EXPECT_STREQ(e.what(), msg::kNotActivated);
  }
}

TEST(ImagesPdf, onePassPagesCarryTheirImagesAndProcSets) {
  if (!HaveTools()) GTEST_SKIP() << "pdfimages or qpdf not installed";
  std::mt19937 random(4);
  const TBitmap mono = testing_support::RandomMonochrome(50, 20, random);
  const TBitmap colour = testing_support::GradientBitmap(30, 20, random, 10);
  ImageDocument pdf("onepass", true);
  TPDFDocument& document = pdf.document();
  pdf.Add(&mono, icCCITT4);
  document.NewPage();
  const int second = document.AddImage(&colour, icFlate, -1, false, -1);
  document.CurrentPage().ShowImage(second, 100, 100, 300, 200, 0);
  document.CurrentPage().ShowImage(second, 100, 400, 300, 200, 30);
  // The first page and its image left memory when the second page began.
  EXPECT_TRUE(document.Images().Items(0).IsWritten());
  EXPECT_TRUE(document.Images().Items(0).ImageData().empty());
  EXPECT_FALSE(document.Images().Items(second).IsWritten());
  const std::string& file = pdf.Finish();
  ExpectQpdfClean(file);
  const std::string text = ReadFile(file);
  EXPECT_NE(text.find(" /ProcSet [/PDF /ImageB ]"), std::string::npos);
  EXPECT_NE(text.find(" /ProcSet [/PDF /ImageC ]"), std::string::npos);
  EXPECT_NE(text.find(" /XObject <<\r\n/Im1 "), std::string::npos);
  const auto listed = ListImages(file);
  ASSERT_EQ(listed.size(), 3u);  // the colour image is placed twice
  const auto decoded = ExtractImages(file, pdf.dir());
  ASSERT_EQ(decoded.size(), 3u);
  EXPECT_TRUE(decoded[0].pixels == testing_support::PixelsOf(mono));
  EXPECT_TRUE(decoded[1].pixels == testing_support::PixelsOf(colour));
}

// The object number of each placement in `pdfimages -list`.
std::vector<int> ListedObjects(const std::string& pdf) {
  std::vector<int> objects;
  const auto output = RunCommand("pdfimages -list '" + pdf + "'");
  if (!output) return objects;
  std::istringstream lines(*output);
  std::string line;
  for (int skip = 0; skip < 2 && std::getline(lines, line); ++skip) {
  }
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string skipped;
    for (int i = 0; i < 10; ++i) fields >> skipped;  // page ... interp
    int object = -1;
    fields >> object;
    objects.push_back(object);
  }
  return objects;
}

TEST(ImagesPdf, equalImagesShareOneXObjectAcrossPages) {
  if (!HaveTools()) GTEST_SKIP() << "pdfimages or qpdf not installed";
  std::mt19937 random(7);
  const TBitmap colour = testing_support::GradientBitmap(30, 20, random, 10);
  const TBitmap sameColour = colour;
  const TBitmap other = testing_support::GradientBitmap(30, 20, random, 10);
  const TBitmap mono = testing_support::RandomMonochrome(16, 16, random);
  // One pass: the first copy is written and its bytes freed before the second comes.
  ImageDocument pdf("repeats", true);
  TPDFDocument& document = pdf.document();
  const int first = pdf.Add(&colour, icFlate);
  const int stencil = document.AddImage(&mono, icCCITT4, 0xFFFFFF, true, -1);
  const int masked = document.AddImage(&colour, icFlate, -1, false, stencil);
  document.CurrentPage().ShowImage(masked, 100, 100, 30, 20, 0);
  document.NewPage();
  EXPECT_EQ(pdf.Add(&sameColour, icFlate), first);
  EXPECT_EQ(document.AddImage(&mono, icCCITT4, 0xFFFFFF, true, -1), stencil);
  EXPECT_EQ(document.AddImage(&sameColour, icFlate, -1, false, stencil), masked);
  // Other pixels, another encoding or another mask make another image.
  EXPECT_NE(pdf.Add(&other, icFlate), first);
  EXPECT_NE(pdf.Add(&colour, icJPEG), first);
  EXPECT_NE(document.AddImage(&mono, icCCITT4, 0x000000, true, -1), stencil);
  EXPECT_EQ(document.Images().Count(), 6);
  const std::string& file = pdf.Finish();
  ExpectQpdfClean(file);
  const std::vector<int> objects = ListedObjects(file);
  // Page 1: colour, masked picture, its mask; page 2: colour, other, JPEG.
  ASSERT_EQ(objects.size(), 6u);
  EXPECT_EQ(objects[3], objects[0]);
  EXPECT_NE(objects[4], objects[0]);
  EXPECT_NE(objects[5], objects[0]);
  const auto decoded = ExtractImages(file, pdf.dir());
  ASSERT_EQ(decoded.size(), 6u);
  EXPECT_TRUE(decoded[3].pixels == testing_support::PixelsOf(colour));
}

TEST(ImagesPdf, encryptedImagesDecodeWithThePassword) {
  if (!HaveTools()) GTEST_SKIP() << "pdfimages or qpdf not installed";
  std::mt19937 random(6);
  const TBitmap mono = testing_support::RandomMonochrome(77, 13, random);
  const TBitmap colour = testing_support::GradientBitmap(21, 8, random, 60);
  TPDFDocument document;
  testing_support::TempFolder folder;
  const std::string& dir = folder.path();
  document.SetFileName(dir + "/enc.pdf");
  document.SetProtectionEnabled(true);
  document.SetUserPassword("user");
  document.SetOwnerPassword("owner");
  document.BeginDoc();
  document.CurrentPage().ShowImage(document.AddImage(&mono, icCCITT32, -1, false, -1), 0, 0, 77, 13,
                                   0);
  document.CurrentPage().ShowImage(document.AddImage(&colour, icFlate, -1, false, -1), 0, 20, 21, 8,
                                   0);
  document.EndDoc();
  const auto check = RunCommand("qpdf --password=user --check '" + dir + "/enc.pdf' 2>&1");
  ASSERT_TRUE(check.has_value());
  EXPECT_EQ(check->find("WARNING"), std::string::npos) << *check;
  ASSERT_TRUE(RunCommand("pdfimages -upw user '" + dir + "/enc.pdf' '" + dir + "/x'"));
  const auto first = ReadPnm(dir + "/x-000.pbm");
  const auto second = ReadPnm(dir + "/x-001.ppm");
  ASSERT_TRUE(first && second);
  EXPECT_TRUE(first->pixels == testing_support::PixelsOf(mono));
  EXPECT_TRUE(second->pixels == testing_support::PixelsOf(colour));
}

}  // namespace
}  // namespace pdf
