// Symbol and ZapfDingbats in PDF/A-1b: their Type 1 programs embedded, the
// file valid for Preflight, the text extractable with its meaning and drawn
// as a reader draws the same standard fonts in a plain file.
#include <gtest/gtest.h>

#include <cstdlib>

#include "pdf/document.h"
#include "pdf/page.h"
#include "support/image_tools.h"
#include "support/preflight.h"
#include "support/temp_folder.h"

namespace {

using testing_support::CommandOutput;
using testing_support::TempFolder;

// "a", "S", "P", bullet, circled plus, in Symbol; a scissors and a star in
// ZapfDingbats; Word's bullets and Greek letters are such text.
void WritePage(pdf::TPDFConformance conformance, const std::string& path) {
  pdf::TPDFDocument document;
  document.SetFileName(path);
  document.SetConformance(conformance);
  document.BeginDoc();
  pdf::TPDFPage& page = document.CurrentPage();
  page.SetActiveFont("Symbol", 0, 0, 48);
  page.TextOut("aSP\xB7\xC5", 40, 40, 0);
  page.SetActiveFont("ZapfDingbats", 0, 0, 48);
  page.TextOut("\x21\x48", 40, 120, 0);
  document.EndDoc();
}

std::optional<testing_support::PnmImage> Render(const std::string& pdf) {
  if (!CommandOutput("pdftoppm -r 50 -gray -singlefile '" + pdf + "' '" + pdf + "'")) return {};
  return testing_support::ReadPnm(pdf + ".pgm");
}

// Pixels of the two pictures whose grey differs by more than half.
int DifferentPixels(const testing_support::PnmImage& a, const testing_support::PnmImage& b) {
  int differ = 0;
  for (size_t i = 0; i < a.pixels.size() && i < b.pixels.size(); ++i)
    if (std::abs(static_cast<int>(a.pixels[i] & 0xFF) - static_cast<int>(b.pixels[i] & 0xFF)) > 128)
      ++differ;
  return differ;
}

TEST(PdfASymbolicFonts, embedTheirType1ProgramsPassPreflightAndKeepMeaningAndLook) {
  TempFolder folder;
  const std::string archival = folder.file("archival.pdf");
  const std::string plain = folder.file("plain.pdf");
  WritePage(pdf::pcPDFA1b, archival);
  WritePage(pdf::pcNone, plain);

  const auto fonts = CommandOutput("pdffonts '" + archival + "'");
  ASSERT_TRUE(fonts);
  EXPECT_NE(fonts->find("StandardSymbolsPS                    Type 1            Builtin          "
                        "yes no  yes"),
            std::string::npos)
      << *fonts;
  EXPECT_NE(fonts->find("D050000L                             Type 1            Builtin          "
                        "yes no  yes"),
            std::string::npos)
      << *fonts;

  const auto text = CommandOutput("pdftotext '" + archival + "' -");
  ASSERT_TRUE(text);
  EXPECT_NE(text->find("\u03B1\u03A3\u03A0\u2022\u2295"), std::string::npos) << *text;
  EXPECT_NE(text->find("\u2701\u2605"), std::string::npos) << *text;

  const auto archivalPicture = Render(archival);
  const auto plainPicture = Render(plain);
  ASSERT_TRUE(archivalPicture && plainPicture);
  ASSERT_EQ(archivalPicture->pixels.size(), plainPicture->pixels.size());
  int ink = 0;
  for (auto pixel : plainPicture->pixels) ink += (pixel & 0xFF) < 128;
  ASSERT_GT(ink, 500);
  EXPECT_LT(DifferentPixels(*archivalPicture, *plainPicture), ink / 20);

  const auto report = testing_support::Preflight({archival});
  if (!report) return;
  EXPECT_EQ(report->at(archival), std::vector<std::string>());
}

}  // namespace
