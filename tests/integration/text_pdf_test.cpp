// Whole PDFs with text, checked with qpdf, pdffonts, pdftotext and pdftoppm.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "pdf/document.h"
#include "pdf/font.h"
#include "pdf/page.h"
#include "platform/code_pages.h"
#include "support/pdf_inspect.h"
#include "support/temp_folder.h"

namespace pdf {
namespace {

using testing_support::HaveTool;
using testing_support::RunCommand;

class TextPdfTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = folder_.file("text.pdf");
    doc_.SetFileName(path_);
    doc_.SetCompression(ctFlate);
  }
  void TearDown() override {
    if (doc_.Active()) doc_.Abort();
  }
  std::string Tool(const std::string& command) {
    std::string out;
    EXPECT_EQ(RunCommand(command + " '" + path_ + "' - 2>&1", &out), 0) << out;
    return out;
  }
  void ExpectCleanCheck() {
    bool ok = false;
    const std::string out = testing_support::QpdfCheck(path_, &ok);
    EXPECT_TRUE(ok) << out;
  }

  testing_support::TempFolder folder_;
  std::string path_;
  TPDFDocument doc_;
};

TEST_F(TextPdfTest, mixedFonts_comeBackThroughPdftotextAndPdffonts) {
  if (!HaveTool("pdftotext") || !HaveTool("pdffonts") || !HaveTool("qpdf"))
    GTEST_SKIP() << "poppler-utils or qpdf not installed";
  doc_.BeginDoc();
  TPDFPage& page = doc_.CurrentPage();
  page.SetActiveFont("Helvetica", 0, 0, 12);
  page.TextOut("Standard Helvetica line", 50, 50, 0);
  page.SetActiveFont("Arial", 0, 0, 12);
  page.TextOut("Arial single byte \x80 euro", 50, 100, 0);
  page.SetActiveFont("Times New Roman", kStyleBold, 0, 14);
  page.UnicodeTextOut(
      u"Price 5\u20AC \u041F\u0440\u0438\u0432\u0435\u0442 \u0395\u03BB\u03BB\u03AC\u03B4\u03B1",
      50, 150, 0);
  page.SetActiveFont("DejaVu Sans", 0, 204, 12);
  page.TextOut("\xcf\xf0\xe8\xe2\xe5\xf2 cp1251", 50, 200, 0);
  doc_.EndDoc();

  ExpectCleanCheck();
  const std::string out = Tool("pdftotext -enc UTF-8 -layout");
  EXPECT_NE(out.find("Standard Helvetica line"), std::string::npos) << out;
  EXPECT_NE(out.find("Arial single byte \u20AC euro"), std::string::npos) << out;
  EXPECT_NE(out.find("Price 5\u20AC \u041F\u0440\u0438\u0432\u0435\u0442 "
                     "\u0395\u03BB\u03BB\u03AC\u03B4\u03B1"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("\u041F\u0440\u0438\u0432\u0435\u0442 cp1251"), std::string::npos) << out;

  // Font names carry no subset tag: the base font name is the face's own.
  std::string fonts;
  RunCommand("pdffonts '" + path_ + "'", &fonts);
  for (const char* row :
       {"Helvetica                            Type 1            WinAnsi          no  no  no",
        "Liberation Sans                      TrueType          WinAnsi          yes no  no",
        "Liberation Serif Bold                CID TrueType      Identity-H       yes no  yes",
        "DejaVu Sans                          CID TrueType      Identity-H       yes no  yes"})
    EXPECT_NE(fonts.find(row), std::string::npos) << row << "\n" << fonts;
}

// Dark pixels of a rectangle of a binary PGM (P5, 8-bit) page rendering.
int DarkPixels(const std::string& pgm, int x0, int y0, int x1, int y1) {
  int width = 0, height = 0, maxValue = 0, consumed = 0;
  if (std::sscanf(pgm.c_str(), "P5 %d %d %d%n", &width, &height, &maxValue, &consumed) != 3)
    return -1;
  const size_t data = static_cast<size_t>(consumed) + 1;
  int dark = 0;
  for (int y = y0; y < y1 && y < height; ++y)
    for (int x = x0; x < x1 && x < width; ++x) {
      const size_t at = data + static_cast<size_t>(y) * width + x;
      if (at < pgm.size() && static_cast<uint8_t>(pgm[at]) < 128) ++dark;
    }
  return dark;
}

TEST_F(TextPdfTest, embeddedGlyphs_renderWhereTheTextIs) {
  if (!HaveTool("pdftoppm")) GTEST_SKIP() << "pdftoppm (poppler-utils) not installed";
  doc_.BeginDoc();
  TPDFPage& page = doc_.CurrentPage();
  page.SetActiveFont("Liberation Serif", 0, 0, 36);
  page.UnicodeTextOut(u"\u0416\u0416\u0416 \u03A9\u03A9", 72, 72, 0);
  page.SetActiveFont("Carlito", 0, 0, 36);
  page.TextOut("MMMM", 72, 216, 0);
  doc_.EndDoc();
  std::string pgm;
  ASSERT_EQ(RunCommand("pdftoppm -r 72 -gray '" + path_ + "' " + folder_.file("r") + " && cat " +
                           folder_.file("r") + "-1.pgm",
                       &pgm),
            0);
  EXPECT_GT(DarkPixels(pgm, 72, 72, 300, 110), 200);   // the Unicode line
  EXPECT_GT(DarkPixels(pgm, 72, 216, 300, 254), 200);  // the single-byte line
  EXPECT_EQ(DarkPixels(pgm, 0, 300, 595, 842), 0);     // nothing below
}

TEST_F(TextPdfTest, protectedDocument_keepsFontsReadable) {
  if (!HaveTool("pdftotext") || !HaveTool("qpdf")) GTEST_SKIP() << "poppler-utils or qpdf missing";
  doc_.SetProtectionEnabled(true);
  doc_.SetProtectionKeyLength(kl128);
  doc_.SetOwnerPassword("owner");
  doc_.BeginDoc();
  TPDFPage& page = doc_.CurrentPage();
  page.SetActiveFont("DejaVu Sans", 0, 0, 12);
  page.UnicodeTextOut(u"Encrypted \u0416 text", 50, 50, 0);
  doc_.EndDoc();
  ExpectCleanCheck();
  EXPECT_NE(Tool("pdftotext -enc UTF-8").find("Encrypted \u0416 text"), std::string::npos);
}

}  // namespace
}  // namespace pdf
