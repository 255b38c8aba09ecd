#include <gtest/gtest.h>

#include <string>

#include "pdf/actions.h"
#include "pdf/annotations.h"
#include "pdf/document.h"
#include "pdf/outlines.h"
#include "pdf/page.h"
#include "support/graphics_test_support.h"

namespace pdf {
namespace {

using graphics_test::FakePlayer;
using graphics_test::QpdfCheckClean;
using graphics_test::RenderPixel;
using graphics_test::Rgb;
using graphics_test::TempPdf;
using graphics_test::ToolAvailable;

#define REQUIRE_TOOL(tool) \
  if (!ToolAvailable(tool)) GTEST_SKIP() << tool " is not installed; skipping the check"

struct Variant {
  const char* name;
  TCompressionType compression;
  bool protect;
  bool onePass;
  TPDFVersion version;
};

constexpr Variant kVariants[] = {
    {"plain", ctNone, false, false, v13},
    {"deflated one pass", ctFlate, false, true, v14},
    {"protected 40-bit", ctNone, true, false, v13},
    {"protected 128-bit deflated", ctFlate, true, true, v16},
};

void Configure(TPDFDocument& document, const Variant& variant, const std::string& path) {
  document.SetFileName(path);
  document.SetCompression(variant.compression);
  document.SetVersion(variant.version);
  document.SetOnePass(variant.onePass);
  document.SetProtectionEnabled(variant.protect);
  if (variant.protect && variant.version != v13) document.SetProtectionKeyLength(kl128);
  document.SetOwnerPassword("owner");
}

// Two pages with shapes, a played picture, links of both kinds and a nested
// outline with single-byte and Unicode titles.
void WriteNavigationDocument(TPDFDocument& document) {
  document.BeginDoc();
  TPDFPage& first = document.CurrentPage();
  first.SetRGBFillColor(1, 0, 0);
  first.Rectangle(100, 100, 200, 200);
  first.Fill();
  first.SetLineWidth(4);
  first.SetDash("[6 2] 0");
  first.Ellipse(300, 300, 400, 360);
  first.Stroke();
  first.ArcAngles(50, 400, 150, 500, 0, 270);
  first.Stroke();
  FakePlayer picture(100, 50);
  first.PlayMetaFile(picture, 400, 600, 1, 1);
  FakePlayer empty(0, 50);
  first.PlayMetaFile(empty, 0, 0, 1, 1);
  first.CreateURLAnnotation(100, 100, 200, 120, "http://example.com/a(b)c");

  document.NewPage();
  TPDFPage& second = document.CurrentPage();
  second.RoundRect(10, 10, 300, 200, 40, 40);
  second.FillAndStroke();
  TPDFGoToPageAction& back = document.Actions().CreateGoToPageAction(0, 100);
  second.CreateAnnotation(10, 10, 300, 200, &back);
  second.CreateAnnotation(10, 300, 300, 400, &back);

  TPDFOutlines& outlines = document.Outlines();
  TPDFGoToPageAction& top = document.Actions().CreateGoToPageAction(0, 0);
  TPDFOutlineNode& folder = outlines.AddOutline(nullptr, "Folder (one)", 0, &top);
  outlines.AddOutline(&folder, "Caf\xE9", 1, &top);
  TPDFOutlineNode& sub =
      outlines.AddOutline(&folder, u"\u0416\u0443\u0440\u043d\u0430\u043b", &back);
  outlines.AddOutline(&sub, "\xCF\xF0\xE8", 204, nullptr);
  outlines.AddOutline(nullptr, "Second", 0, &back);
  document.EndDoc();
}

TEST(GraphicsPdf, navigationDocument_passesQpdfCheckInEveryVariant) {
  REQUIRE_TOOL("qpdf");
  for (const auto& variant : kVariants) {
    SCOPED_TRACE(variant.name);
    TempPdf file("navigation");
    TPDFDocument document;
    Configure(document, variant, file.Path());
    WriteNavigationDocument(document);
    EXPECT_TRUE(QpdfCheckClean(file.Path()));
  }
}

// Outline titles and link targets survive decryption as a reader sees them.
TEST(GraphicsPdf, navigationDocument_readsBackThroughQpdf) {
  REQUIRE_TOOL("qpdf");
  for (const auto& variant : kVariants) {
    SCOPED_TRACE(variant.name);
    TempPdf file("navigation_read");
    TPDFDocument document;
    Configure(document, variant, file.Path());
    WriteNavigationDocument(document);

    std::string json;
    ASSERT_EQ(graphics_test::RunCommand(
                  "qpdf --password=owner --json --json-key=outlines '" + file.Path() + "'", &json),
              0)
        << json;
    // qpdf reports titles in UTF-8.
    for (const char* title : {"\"Folder (one)\"", "\"Second\""})
      EXPECT_NE(json.find(title), std::string::npos) << title;
    EXPECT_NE(json.find("\"Caf\xC3\xA9\""), std::string::npos);
    EXPECT_NE(json.find("\"\xD0\x96\xD1\x83\xD1\x80\xD0\xBD\xD0\xB0\xD0\xBB\""), std::string::npos);
    EXPECT_NE(json.find("\"\xD0\x9F\xD1\x80\xD0\xB8\""), std::string::npos);
    EXPECT_NE(json.find("742"), std::string::npos);

    TempPdf plain("navigation_plain");
    ASSERT_EQ(graphics_test::RunCommand("qpdf --password=owner --decrypt --qdf "
                                        "--object-streams=disable '" +
                                        file.Path() + "' '" + plain.Path() + "'"),
              0);
    EXPECT_NE(plain.Read().find("/URI (http://example.com/a\\(b\\)c)"), std::string::npos);
  }
}

// Draws a few filled shapes where a pixel can tell whether they landed.
void WriteShapes(TPDFDocument& document, int resolution) {
  document.SetResolution(resolution);
  document.BeginDoc();
  TPDFPage& page = document.CurrentPage();
  const double k = resolution / 72.0;  // device units per point
  page.SetRGBFillColor(1, 0, 0);
  page.Rectangle(100 * k, 100 * k, 200 * k, 200 * k);
  page.Fill();
  page.SetRGBFillColor(0, 1, 0);
  page.Ellipse(300 * k, 100 * k, 400 * k, 200 * k);
  page.Fill();
  // A clipped fill: only the clip's square may turn grey.
  page.GStateSave();
  page.Rectangle(100 * k, 300 * k, 150 * k, 350 * k);
  page.Clip();
  page.NewPath();
  page.SetRGBFillColor(0.5, 0.5, 0.5);
  page.Rectangle(0, 250 * k, 595 * k, 400 * k);
  page.Fill();
  page.GStateRestore();
  page.SetRGBFillColor(0, 0, 0);
  page.Pie(300 * k, 300 * k, 401 * k, 401 * k, 400 * k, 350 * k, 350 * k, 300 * k);
  page.Fill();
  FakePlayer picture(100 * k, 50 * k);
  page.PlayMetaFile(picture, 400 * k, 600 * k, 1, 1);
  document.EndDoc();
}

TEST(GraphicsPdf, shapes_renderWhereTheyWereDrawn) {
  REQUIRE_TOOL("qpdf");
  REQUIRE_TOOL("pdftoppm");
  const struct {
    int x, y;
    Rgb colour;
  } kPixels[] = {
      {150, 150, {255, 0, 0}},      // rectangle
      {90, 150, {255, 255, 255}},   // just left of it
      {350, 150, {0, 255, 0}},      // ellipse centre
      {302, 102, {255, 255, 255}},  // ellipse box corner stays blank
      {125, 325, {128, 128, 128}},  // inside the clip
      {200, 325, {255, 255, 255}},  // clipped away
      {380, 330, {0, 0, 0}},        // the pie's quarter (top right on the device)
      {320, 380, {255, 255, 255}},  // outside the quarter
      {450, 625, {0, 0, 255}},      // the played picture
      {450, 590, {255, 255, 255}},  // above it
  };
  for (int resolution : {72, 300}) {
    SCOPED_TRACE(resolution);
    TempPdf file("shapes");
    TPDFDocument document;
    document.SetFileName(file.Path());
    WriteShapes(document, resolution);
    EXPECT_TRUE(QpdfCheckClean(file.Path()));
    for (const auto& p : kPixels) {
      Rgb pixel;
      ASSERT_TRUE(RenderPixel(file.Path(), 72, p.x, p.y, &pixel));
      EXPECT_NEAR(pixel.r, p.colour.r, 2) << p.x << "," << p.y;
      EXPECT_NEAR(pixel.g, p.colour.g, 2) << p.x << "," << p.y;
      EXPECT_NEAR(pixel.b, p.colour.b, 2) << p.x << "," << p.y;
    }
  }
}

}  // namespace
}  // namespace pdf
