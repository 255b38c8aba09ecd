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

}  // namespace
}  // namespace pdf
