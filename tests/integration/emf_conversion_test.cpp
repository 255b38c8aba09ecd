// Whole conversions of pictures made with the EMF builder: the shapes land
// where they should on the rendered page, the navigation objects are
// written, and failures are reported instead of producing a PDF.
#include <gtest/gtest.h>

#include <filesystem>

#include "emf2pdf/emf2pdf_converter.h"
#include "support/emf_builder.h"
#include "support/emf_convert_support.h"
#include "support/graphics_test_support.h"
#include "support/temp_folder.h"

namespace {

using emfbuild::EmfBuilder;
using emfbuild::Rgb;
using graphics_test::TempPdf;
using testing_support::TempFolder;

constexpr uint32_t kNullPen = 0x80000008;

// A4 at 72 dpi with 5 mm margins: a 400 x 400 picture is stretched into
// 566.65 x 813.65 points from (14.17, 14.17).
graphics_test::Rgb PixelOf(const std::string& pdf, double x, double y) {
  graphics_test::Rgb pixel;
  EXPECT_TRUE(graphics_test::RenderPixel(pdf, 72, static_cast<int>(14.17 + x * 566.65 / 400),
                                         static_cast<int>(14.17 + y * 813.65 / 400), &pixel));
  return pixel;
}

bool Near(const graphics_test::Rgb& p, int r, int g, int b) {
  return std::abs(p.r - r) < 40 && std::abs(p.g - g) < 40 && std::abs(p.b - b) < 40;
}

TEST(EmfConversion, shapesPathsAndClipsLandWhereTheyShould) {
  if (!graphics_test::ToolAvailable("pdftoppm")) GTEST_SKIP() << "pdftoppm missing";
  TempFolder folder;
  EmfBuilder picture(400, 400);
  picture
      .selectObject(kNullPen)
      // Red rectangle.
      .createBrushIndirect(1, 0, Rgb(255, 0, 0))
      .selectObject(1)
      .rectangle({20, 20, 180, 180})
      // Green triangle through a path bracket.
      .createBrushIndirect(2, 0, Rgb(0, 160, 0))
      .selectObject(2)
      .beginPath()
      .moveTo(220, 20)
      .lineTo(380, 20)
      .lineTo(380, 180)
      .closeFigure()
      .endPath()
      .fillPath()
      // Blue band clipped to its left part, inside a saved state.
      .saveDC()
      .intersectClipRect({20, 220, 100, 380})
      .createBrushIndirect(3, 0, Rgb(0, 0, 255))
      .selectObject(3)
      .rectangle({20, 220, 380, 380})
      .restoreDC(-1)
      // Yellow ellipse after the clip is gone.
      .createBrushIndirect(4, 0, Rgb(255, 255, 0))
      .selectObject(4)
      .selectObject(kNullPen)
      .ellipse({300, 300, 380, 380});
  const std::string emf = folder.file("page.emf");
  picture.writeFile(emf);
  TempPdf pdf("emf_conversion_shapes");
  std::string error;
  ASSERT_TRUE(emw_test::ConvertPages({emf}, pdf.Path(), &error)) << error;
  EXPECT_TRUE(graphics_test::QpdfCheckClean(pdf.Path()));

  const struct {
    const char* what;
    double x, y;
    int r, g, b;
  } kSamples[] = {
      {"rectangle", 100, 100, 255, 0, 0},
      {"triangle", 340, 60, 0, 160, 0},
      {"beside the triangle", 240, 150, 255, 255, 255},
      {"clipped band", 60, 300, 0, 0, 255},
      {"band outside the clip", 200, 300, 255, 255, 255},
      {"ellipse", 340, 340, 255, 255, 0},
      {"outside everything", 200, 200, 255, 255, 255},
  };
  for (const auto& s : kSamples) {
    const auto p = PixelOf(pdf.Path(), s.x, s.y);
    EXPECT_TRUE(Near(p, s.r, s.g, s.b)) << s.what << ": " << p.r << " " << p.g << " " << p.b;
  }
}

TEST(EmfConversion, mappedAndTransformedDrawingLandsInPlace) {
  if (!graphics_test::ToolAvailable("pdftoppm")) GTEST_SKIP() << "pdftoppm missing";
  TempFolder folder;
  EmfBuilder picture(400, 400);
  // Shifted by the world transform first, then mapped to 0.1 device pixel.
  picture.selectObject(kNullPen)
      .setMapMode(8)
      .setWindowExtEx(4000, 4000)
      .setViewportExtEx(400, 400)
      .setWorldTransform({1, 0, 0, 1, 2000, 2000})
      .createBrushIndirect(1, 0, Rgb(0, 0, 0))
      .selectObject(1)
      .polygon16({{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}});
  const std::string emf = folder.file("page.emf");
  picture.writeFile(emf);
  TempPdf pdf("emf_conversion_mapped");
  ASSERT_TRUE(emw_test::ConvertPages({emf}, pdf.Path()));
  EXPECT_TRUE(Near(PixelOf(pdf.Path(), 250, 250), 0, 0, 0));
  EXPECT_TRUE(Near(PixelOf(pdf.Path(), 150, 150), 255, 255, 255));
  EXPECT_TRUE(Near(PixelOf(pdf.Path(), 350, 350), 255, 255, 255));
}

// Windows plays a picture by its frame: the frame's top-left corner lands at
// the corner inside the margins wherever it lies in device space.
TEST(EmfConversion, frameAwayFromTheOrigin_isPlacedByItsCorner) {
  if (!graphics_test::ToolAvailable("pdftoppm")) GTEST_SKIP() << "pdftoppm missing";
  const uint32_t red = Rgb(255, 0, 0), blue = Rgb(0, 0, 255);
  for (const emfbuild::Rect box :
       {emfbuild::Rect{100, 100, 299, 299}, emfbuild::Rect{-300, -250, -101, -51}}) {
    SCOPED_TRACE(box.left);
    EmfBuilder picture(400, 400);
    picture.bounds(box)
        .selectObject(kNullPen)
        .createBrushIndirect(1, 0, red)
        .selectObject(1)
        .rectangle({box.left, box.top, box.right + 1, box.bottom + 1})
        .createBrushIndirect(2, 0, blue)
        .selectObject(2)
        .rectangle({box.left, box.top, box.left + 100, box.top + 100});
    const auto result = emw_test::ConvertPicture(picture);
    ASSERT_TRUE(result->ok);
    EXPECT_EQ(emw_test::PictureColorAt(result->pdf, 50, 50, 200, 200), blue);
    EXPECT_EQ(emw_test::PictureColorAt(result->pdf, 150, 150, 200, 200), red);
    EXPECT_EQ(emw_test::PictureColorAt(result->pdf, 190, 10, 200, 200), red);
  }
}

// The fixed metric map modes scale logical units by the reference device's
// resolution (1024 x 768 pixels on 271 x 203 mm here) and run y upwards.
TEST(EmfConversion, metricMapModes_scaleByTheDeviceResolution) {
  if (!graphics_test::ToolAvailable("pdftoppm")) GTEST_SKIP() << "pdftoppm missing";
  const uint32_t blue = Rgb(0, 0, 255), white = Rgb(255, 255, 255);
  const struct {
    uint32_t mode;
    int32_t twoHundredPixels;  // in the mode's units
  } kCases[] = {{2, 529}, {3, 5292}, {4, 208}, {5, 2083}, {6, 3000}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.mode);
    EmfBuilder picture(400, 400);
    picture.setMapMode(c.mode)
        .selectObject(kNullPen)
        .createBrushIndirect(1, 0, blue)
        .selectObject(1)
        .rectangle({0, 0, c.twoHundredPixels, -c.twoHundredPixels});
    const auto result = emw_test::ConvertPicture(picture);
    ASSERT_TRUE(result->ok);
    EXPECT_EQ(emw_test::PictureColorAt(result->pdf, 20, 20), blue);
    EXPECT_EQ(emw_test::PictureColorAt(result->pdf, 185, 185), blue);
    EXPECT_EQ(emw_test::PictureColorAt(result->pdf, 215, 100), white);
    EXPECT_EQ(emw_test::PictureColorAt(result->pdf, 100, 215), white);
  }
}

TEST(EmfConversion, bookmarksAndLinks_areWrittenForFoldersDocumentsAndPages) {
  TempFolder folder;
  const std::string emf = folder.file("page.emf");
  EmfBuilder(400, 400).rectangle({0, 0, 100, 100}).writeFile(emf);
  TempPdf pdf("emf_conversion_navigation");
  emf2pdf::TEMF2PDFConverter converter;
  converter.SetFileName(pdf.Path());
  converter.SetRootFolder("/Jobs");
  converter.BeginDoc();
  emf2pdf::TPageLinksList links(1);
  links[0].push_back({"http://example.com/", "", 0, 0, 96, 48});
  converter.AddDocument({emf, emf, emf}, links, "/jobs/a\\b\\first");
  converter.AddDocument({emf}, {}, "/JOBS/a\\b\\second");
  converter.AddDocument({emf}, {}, "/jobs/A\\third");
  ASSERT_TRUE(converter.Convert()) << converter.LastError();
  converter.EndDoc();
  const std::string text = pdf.Read();
  for (const char* title : {"/Title <FEFF0061>", "/Title <FEFF0062>", "/Title <FEFF0041>",
                            "/Title <FEFF00660069007200730074>"})
    EXPECT_NE(text.find(title), std::string::npos) << title;
  EXPECT_NE(text.find("/URI (http://example.com/)"), std::string::npos);
  EXPECT_NE(text.find("/PageMode /UseOutlines"), std::string::npos);
  // One link on the first page only; the rectangle starts at the margins.
  EXPECT_EQ(text.find("/Subtype /Link"), text.rfind("/Subtype /Link"));
  EXPECT_NE(text.find("/Rect [14 792 86 828]"), std::string::npos);
  if (graphics_test::ToolAvailable("qpdf")) {
    EXPECT_TRUE(graphics_test::QpdfCheckClean(pdf.Path()));
  }
}

TEST(EmfConversion, noDocuments_keepsTheOneEmptyPage) {
  TempPdf pdf("emf_conversion_empty");
  emf2pdf::TEMF2PDFConverter converter;
  converter.SetFileName(pdf.Path());
  converter.BeginDoc();
  EXPECT_TRUE(converter.Convert());
  EXPECT_EQ(converter.PageCount(), 1);
  converter.EndDoc();
  if (graphics_test::ToolAvailable("qpdf")) {
    EXPECT_TRUE(graphics_test::QpdfCheckClean(pdf.Path()));
  }
}

// Bounds ending at -1 are a recorder's "nothing tracked": the frame decides.
TEST(EmfConversion, emptyBounds_playByTheFrame) {
  TempFolder folder;
  const std::string emf = folder.file("empty.emf");
  EmfBuilder()
      .bounds({0, 0, -1, -1})
      .frame({0, 0, 1000, 1000})
      .rectangle({0, 0, 10, 10})
      .writeFile(emf);
  TempPdf pdf("emf_conversion_empty_bounds");
  ASSERT_TRUE(emw_test::ConvertPages({emf, emf}, pdf.Path()));
  EXPECT_NE(pdf.Read().find("/IF0"), std::string::npos);
  if (graphics_test::ToolAvailable("qpdf")) {
    EXPECT_TRUE(graphics_test::QpdfCheckClean(pdf.Path()));
  }
}

TEST(EmfConversion, failures_areReportedByConvert) {
  TempFolder folder;
  const std::string emf = folder.file("page.emf");
  EmfBuilder().writeFile(emf);
  const std::string text = folder.file("page.txt");
  testing_support::WriteFile(text,
                             "not a picture, just some text long enough for a header "
                             "of eighty-eight bytes to be read at all......");
  const struct {
    const char* name;
    std::string file;
    double margin;
    const char* message;
  } kCases[] = {
      {"not a metafile", text, 5, "is not an enhanced metafile"},
      {"missing file", folder.file("missing.emf"), 5, "Cannot open"},
      {"margins leave no room", emf, 150, "margins leave no room"},
  };
  for (const auto& c : kCases) {
    TempPdf pdf("emf_conversion_failure");
    emf2pdf::TEMF2PDFConverter converter;
    converter.SetFileName(pdf.Path());
    converter.SetMarginLeft(c.margin);
    converter.SetMarginRight(c.margin);
    converter.BeginDoc();
    converter.AddDocument({c.file});
    EXPECT_FALSE(converter.Convert()) << c.name;
    EXPECT_NE(converter.LastError().find(c.message), std::string::npos)
        << c.name << ": " << converter.LastError();
    converter.Abort();
  }
}

TEST(EmfConversion, silentRunWithABrokenPage_failsAndLeavesNoPdf) {
  TempFolder folder;
  std::filesystem::create_directory(folder.file("docs"));
  testing_support::WriteFile(folder.file("settings.reg"),
                             "Windows Registry Editor Version 5.00\r\n\r\n"
                             "[HKEY_CURRENT_USER\\Software\\Quillmark\\Tallowcraft]\r\n"
                             "\"Silent\"=dword:00000001\r\n\"OutputFileFormat\"=\"pdf\"\r\n\r\n");
  testing_support::WriteFile(folder.file("bad.emf"), std::string(200, 'x'));
  testing_support::WriteFile(
      folder.file("job.ini"),
      "[Document]\r\nName=Broken\r\n[EMF]\r\nCount=1\r\nFile0=" + folder.file("bad.emf") + "\r\n");
  const std::string env = "XDG_DOCUMENTS_DIR='" + folder.file("docs") + "' TALLOWCRAFT_REGISTRY='" +
                          folder.file("settings.reg") + "' ";
  std::string output;
  const int status = testing_support::RunCommand(
      env + TALLOWCRAFT_BIN + std::string(" '") + folder.file("job.ini") + "' 2>&1", &output);
  EXPECT_NE(status, 0) << output;
  EXPECT_NE(output.find("is not an enhanced metafile"), std::string::npos) << output;
  for (const auto& entry : std::filesystem::directory_iterator(folder.file("docs")))
    ADD_FAILURE() << "left behind: " << entry.path();
}

}  // namespace
