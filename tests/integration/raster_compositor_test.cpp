// Raster operations combined with the page in a raster: exact colours, an
// image through a stencil (no soft mask), text left as text, and the
// silent program compositing them through the raster module.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "emf2pdf/emf2pdf_converter.h"
#include "emf2pdf/raster_compositor.h"
#include "platform/pdf_raster.h"
#include "support/emf_convert_support.h"
#include "support/graphics_test_support.h"
#include "support/image_tools.h"
#include "support/silent_job.h"

namespace {

using emfbuild::EmfBuilder;
using emfbuild::Rgb;
using testing_support::SilentJob;

constexpr uint32_t kNullPen = 0x80000008;
constexpr uint32_t kBrush = Rgb(64, 160, 90);

// EMR_EXTTEXTOUTW of `text` at `at`, 10 units per character.
void Text(EmfBuilder& b, emfbuild::Point at, const std::u16string& text) {
  std::vector<uint8_t> p;
  emfbuild::PutRect(p, {0, 0, -1, -1});
  for (uint32_t v : {1u, 0u, 0u}) emfbuild::PutU32(p, v);
  emfbuild::PutI32(p, at.x);
  emfbuild::PutI32(p, at.y);
  const auto n = static_cast<uint32_t>(text.size());
  const uint32_t padded = (2 * n + 3) & ~3u;
  for (uint32_t v : {n, 76u, 0u}) emfbuild::PutU32(p, v);
  emfbuild::PutRect(p, {0, 0, -1, -1});
  emfbuild::PutU32(p, 76 + padded);
  for (char16_t u : text) emfbuild::PutU16(p, u);
  p.resize(p.size() + padded - 2 * n, 0);
  for (uint32_t i = 0; i < n; ++i) emfbuild::PutI32(p, 10);
  b.record(84, p);
}

// EMR_SETROP2 with binary raster operation `code`.
void SetRop2(EmfBuilder& b, uint32_t code) {
  std::vector<uint8_t> p;
  emfbuild::PutU32(p, code);
  b.record(20, p);
}

// Red ground with a line of text, then an XOR fill of a mixed colour over
// the lower half of the page and part of the text.
EmfBuilder XorOverText() {
  EmfBuilder b(400, 400);
  b.selectObject(kNullPen).createBrushIndirect(1, 0, Rgb(255, 0, 0)).selectObject(1);
  b.rectangle({0, 0, 401, 401});
  b.extCreateFontIndirectW(2, 24, u"DejaVu Sans").selectObject(2);
  Text(b, {20, 180}, u"Raster keeps text");
  b.createBrushIndirect(3, 0, kBrush).selectObject(3);
  SetRop2(b, 7);  // R2_XORPEN
  b.rectangle({0, 190, 401, 401});
  return b;
}

// The type, width and height pdfimages lists for the PDF's first image.
struct Listed {
  std::string type;
  int width = 0, height = 0;
  std::string all;
};
Listed FirstImage(const std::string& pdf) {
  Listed first;
  first.all = testing_support::CommandOutput("pdfimages -list '" + pdf + "'").value_or("");
  std::istringstream lines(first.all);
  std::string line, page, number;
  for (int skip = 0; skip < 3 && std::getline(lines, line); ++skip) {
  }
  std::istringstream(line) >> page >> number >> first.type >> first.width >> first.height;
  return first;
}

// Within a step of rounding, channel by channel.
bool Near(uint32_t a, uint32_t b) {
  for (int shift : {0, 8, 16})
    if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > 2)
      return false;
  return true;
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

std::string Qdf(const std::string& pdf) {
  return testing_support::CommandOutput("qpdf --qdf --object-streams=disable '" + pdf +
                                        "' - 2>/dev/null")
      .value_or("");
}

TEST(RasterCompositor, xorOfAMixedColourIsExactAndDrawnAsAStencilledImage) {
  ASSERT_TRUE(graphics_test::ToolAvailable("qpdf"));
  const auto without = emw_test::ConvertPicture(XorOverText());
  ASSERT_TRUE(without->ok);
  EXPECT_EQ(Count(Qdf(without->pdf), "/Subtype /Image"), 0u);  // blend modes alone

  const emf2pdf::UsePageRasterizer rasterizer(&platform::RasterizePdfPage);
  const auto with = emw_test::ConvertPicture(XorOverText());
  ASSERT_TRUE(with->ok);
  EXPECT_TRUE(Near(emw_test::PictureColorAt(with->pdf, 300, 300), Rgb(255, 0, 0) ^ kBrush));
  EXPECT_EQ(emw_test::PictureColorAt(with->pdf, 300, 100), Rgb(255, 0, 0));
  const std::string qdf = Qdf(with->pdf);
  EXPECT_EQ(Count(qdf, "/ImageMask true"), 1u);
  EXPECT_EQ(Count(qdf, "/SMask"), 0u);
  const auto text = testing_support::CommandOutput("pdftotext '" + with->pdf + "' -");
  ASSERT_TRUE(text);
  EXPECT_NE(text->find("Raster keeps text"), std::string::npos) << *text;
}

// The transparent blit of old programs (XOR the picture, AND its mono mask,
// XOR the picture again) over red: the picture where the mask is black, the
// red ground untouched where it is white, once its first step is composited.
TEST(RasterCompositor, xorAndXorSequenceLeavesTheGroundWhereTheMaskIsWhite) {
  EmfBuilder b(200, 100);
  b.selectObject(kNullPen).createBrushIndirect(1, 0, Rgb(255, 0, 0)).selectObject(1);
  b.rectangle({0, 0, 201, 101});
  const emfbuild::Dib picture = emfbuild::Dib24(2, 1, {Rgb(0, 0, 255), Rgb(0, 255, 0)});
  const emfbuild::Dib mask = emfbuild::Dib1(2, 1, {false, true}, Rgb(0, 0, 0), Rgb(255, 255, 255));
  const emfbuild::Rect bounds{20, 20, 179, 79};
  b.stretchDIBits(bounds, {20, 20}, 160, 60, {0, 0}, 2, 1, 0x00660046, picture);
  b.stretchDIBits(bounds, {20, 20}, 160, 60, {0, 0}, 2, 1, 0x008800C6, mask);
  b.stretchDIBits(bounds, {20, 20}, 160, 60, {0, 0}, 2, 1, 0x00660046, picture);
  const emf2pdf::UsePageRasterizer rasterizer(&platform::RasterizePdfPage);
  const auto converted = emw_test::ConvertPicture(b);
  ASSERT_TRUE(converted->ok);
  EXPECT_TRUE(Near(emw_test::PictureColorAt(converted->pdf, 60, 50, 200, 100), Rgb(0, 0, 255)));
  EXPECT_TRUE(Near(emw_test::PictureColorAt(converted->pdf, 140, 50, 200, 100), Rgb(255, 0, 0)));
}

// PDF/A-1 has no blend modes: an inversion, elsewhere the Difference blend,
// is composited there instead of left out.
TEST(RasterCompositor, inversionsOfPdfA1bAreComposited) {
  EmfBuilder b(200, 100);
  b.selectObject(kNullPen).createBrushIndirect(1, 0, Rgb(255, 0, 0)).selectObject(1);
  b.rectangle({0, 0, 201, 101});
  SetRop2(b, 6);  // R2_NOT
  b.rectangle({100, 0, 201, 101});
  testing_support::TempFolder temp;
  b.writeFile(temp.file("page.emf"));
  const std::string pdf = temp.file("page.pdf");
  const emf2pdf::UsePageRasterizer rasterizer(&platform::RasterizePdfPage);
  emf2pdf::TEMF2PDFConverter converter;
  converter.SetConformance(pdf::pcPDFA1b);
  converter.SetFileName(pdf);
  converter.BeginDoc();
  converter.AddDocument({temp.file("page.emf")});
  ASSERT_TRUE(converter.Convert()) << converter.LastError();
  converter.EndDoc();
  EXPECT_TRUE(Near(emw_test::PictureColorAt(pdf, 150, 50, 200, 100), Rgb(0, 255, 255)));
  EXPECT_EQ(emw_test::PictureColorAt(pdf, 50, 50, 200, 100), Rgb(255, 0, 0));
}

// What is drawn between two composites is the ground of the second: a green
// copy over the left half between two XORs of a mixed colour over red.
TEST(RasterCompositor, drawingBetweenCompositesIsTheGroundOfTheNext) {
  EmfBuilder b(200, 100);
  b.selectObject(kNullPen).createBrushIndirect(1, 0, Rgb(255, 0, 0)).selectObject(1);
  b.rectangle({0, 0, 201, 101});
  b.createBrushIndirect(2, 0, kBrush).createBrushIndirect(3, 0, Rgb(0, 200, 0));
  SetRop2(b, 7);  // R2_XORPEN
  b.selectObject(2).rectangle({0, 0, 201, 101});
  SetRop2(b, 13);  // R2_COPYPEN
  b.selectObject(3).rectangle({0, 0, 101, 101});
  SetRop2(b, 7);
  b.selectObject(2).rectangle({0, 0, 201, 101});
  const emf2pdf::UsePageRasterizer rasterizer(&platform::RasterizePdfPage);
  const auto converted = emw_test::ConvertPicture(b);
  ASSERT_TRUE(converted->ok);
  EXPECT_TRUE(
      Near(emw_test::PictureColorAt(converted->pdf, 50, 50, 200, 100), Rgb(0, 200, 0) ^ kBrush));
  EXPECT_TRUE(Near(emw_test::PictureColorAt(converted->pdf, 150, 50, 200, 100), Rgb(255, 0, 0)));
}

// A pen of one pixel lights one row of pixels, from its first point up to
// its last, which it leaves out, as GDI draws lines; and once a ROP2 drawing
// is composited, one that blend modes could draw (XOR of white) joins its
// image instead of being drawn between two images.
TEST(RasterCompositor, onePixelPensLightGdisPixelsAndLaterXorsJoinTheImage) {
  EmfBuilder b(200, 100);
  b.selectObject(kNullPen).createBrushIndirect(1, 0, Rgb(255, 0, 0)).selectObject(1);
  b.rectangle({0, 0, 201, 101});
  SetRop2(b, 7);  // R2_XORPEN
  b.createPen(2, 0, 0, kBrush).selectObject(2).polyline({{20, 50}, {120, 50}});
  b.createPen(3, 0, 0, Rgb(255, 255, 255)).selectObject(3).polyline({{20, 70}, {120, 70}});
  const emf2pdf::UsePageRasterizer rasterizer(&platform::RasterizePdfPage);
  const auto converted = emw_test::ConvertPicture(b);
  ASSERT_TRUE(converted->ok);
  const std::string& pdf = converted->pdf;
  auto at = [&](double x, double y) { return emw_test::PictureColorAt(pdf, x, y, 200, 100); };
  const uint32_t red = Rgb(255, 0, 0);
  EXPECT_TRUE(Near(at(70.5, 50.5), red ^ kBrush));
  EXPECT_TRUE(Near(at(119.5, 50.5), red ^ kBrush));
  EXPECT_EQ(at(120.5, 50.5), red);  // the last point
  EXPECT_EQ(at(70.5, 49.5), red);
  EXPECT_EQ(at(70.5, 51.5), red);
  EXPECT_TRUE(Near(at(70.5, 70.5), Rgb(0, 255, 255)));
  EXPECT_EQ(at(70.5, 71.5), red);
  const std::string qdf = Qdf(pdf);
  EXPECT_EQ(Count(qdf, "/ImageMask true"), 1u);
  EXPECT_EQ(Count(qdf, "/Difference"), 0u);
}

// A page of more composited pixels than its picture budget holds draws the
// rest with blend modes and says so once, not once an operation.
TEST(RasterCompositor, pastThePagesBudgetTheRestIsDrawnWithBlendModesAndOneMessage) {
  EmfBuilder b(800, 800);
  b.selectObject(kNullPen).createBrushIndirect(1, 0, Rgb(255, 0, 0));
  b.createBrushIndirect(2, 0, kBrush);
  for (int i = 0; i < 200; ++i) {
    SetRop2(b, 13);  // R2_COPYPEN: ends the image before
    b.selectObject(1).rectangle({0, 0, 10, 10});
    SetRop2(b, 7);  // R2_XORPEN of a mixed colour
    b.selectObject(2).rectangle({0, 0, 801, 801});
  }
  const emf2pdf::UsePageRasterizer rasterizer(&platform::RasterizePdfPage);
  testing::internal::CaptureStderr();
  const auto converted = emw_test::ConvertPicture(b);
  const std::string said = testing::internal::GetCapturedStderr();
  ASSERT_TRUE(converted->ok);
  EXPECT_EQ(Count(said, "48 million colour pixels"), 1u) << said.substr(0, 2000);
}

// A large picture shrunk onto the page composites at 300 dots per inch of
// paper, not one raster pixel per pixel of its own, along the axis it is
// shrunk least: stretched over the page, its 4,000 pixels across become 7.9
// inches, 2,362 raster pixels (and down, where they become 11.3 inches, as
// many).
TEST(RasterCompositor, shrunkPicturesCompositeAtThePapersResolution) {
  EmfBuilder b(4000, 4000);
  b.selectObject(kNullPen).createBrushIndirect(1, 0, Rgb(255, 0, 0)).selectObject(1);
  b.rectangle({0, 0, 4001, 4001});
  b.createBrushIndirect(2, 0, kBrush).selectObject(2);
  SetRop2(b, 7);  // R2_XORPEN
  b.rectangle({0, 2000, 4001, 4001});
  const emf2pdf::UsePageRasterizer rasterizer(&platform::RasterizePdfPage);
  const auto converted = emw_test::ConvertPicture(b);
  ASSERT_TRUE(converted->ok);
  EXPECT_TRUE(Near(emw_test::PictureColorAt(converted->pdf, 3000, 3000, 4000, 4000),
                   Rgb(255, 0, 0) ^ kBrush));
  const Listed image = FirstImage(converted->pdf);
  EXPECT_EQ(image.type, "image");
  EXPECT_NEAR(image.width, 2362, 20) << image.all;
}

// An OR of dark red over the page changes only a small blue square: the image
// is that square and a margin of hidden pixels, not the whole fill.
TEST(RasterCompositor, onlyTheBoxOfChangedPixelsIsAnImage) {
  EmfBuilder b(400, 400);
  b.selectObject(kNullPen).createBrushIndirect(1, 0, Rgb(0, 0, 255)).selectObject(1);
  b.rectangle({100, 100, 121, 121});
  b.createBrushIndirect(2, 0, Rgb(128, 0, 0)).selectObject(2);
  SetRop2(b, 15);  // R2_MERGEPEN
  b.rectangle({0, 0, 401, 401});
  const emf2pdf::UsePageRasterizer rasterizer(&platform::RasterizePdfPage);
  const auto converted = emw_test::ConvertPicture(b);
  ASSERT_TRUE(converted->ok);
  EXPECT_TRUE(Near(emw_test::PictureColorAt(converted->pdf, 110, 110), Rgb(128, 0, 255)));
  EXPECT_EQ(emw_test::PictureColorAt(converted->pdf, 300, 300), Rgb(255, 255, 255));
  const Listed image = FirstImage(converted->pdf);
  EXPECT_EQ(image.type, "image");
  EXPECT_LE(image.width, 40) << image.all;
  EXPECT_LE(image.height, 40) << image.all;
}

// The silent program composites through the raster module beside it: a
// copy of the two without the desktop program makes the same image.
TEST(RasterCompositor, silentProgramCompositesThroughTheRasterModule) {
  testing_support::TempFolder folder;
  const std::filesystem::path bin = std::filesystem::path(TALLOWCRAFT_BIN).parent_path();
  for (const char* file : {"tallowcraft", "tallowcraft-raster.so"})
    std::filesystem::copy_file(bin / file, folder.file(file));
  XorOverText().writeFile(folder.file("page.emf"));
  const std::string pdf = folder.file("out.pdf");
  const auto result = testing_support::RunProgram(folder.file("tallowcraft"),
                                                  {"convert", folder.file("page.emf"), "-o", pdf});
  ASSERT_EQ(result.exitStatus, 0) << result.standardError;
  EXPECT_EQ(Count(Qdf(pdf), "/ImageMask true"), 1u);
}

TEST(RasterCompositor, silentJobsWithSuchPagesAreComposited) {
  SilentJob job;
  XorOverText().writeFile(job.folder().file("page.emf"));
  job.WritePages({job.folder().file("page.emf")});
  const std::string pdf = job.folder().file("out.pdf");
  job.WriteSettings(std::string(SilentJob::kMainKeyLine) +
                    "\"Silent\"=dword:00000001\n\"OutputFileName\"=\"" + pdf + "\"\n");
  const auto result = job.Run();
  ASSERT_EQ(result.exitStatus, 0) << result.standardError;
  EXPECT_EQ(Count(Qdf(pdf), "/ImageMask true"), 1u);
}

}  // namespace
