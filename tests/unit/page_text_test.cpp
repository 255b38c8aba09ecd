#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "pdf/document.h"
#include "pdf/font.h"
#include "pdf/fonts.h"
#include "pdf/page.h"
#include "pdf/standard_font_metrics.h"
#include "support/temp_folder.h"

namespace pdf {
namespace {

class PageTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    doc_.SetFileName(folder_.file("t.pdf"));
    doc_.BeginDoc();
  }
  void TearDown() override {
    if (doc_.Active()) doc_.Abort();
  }
  TPDFPage& page() { return doc_.CurrentPage(); }
  // Content written since the page's opening "q".
  std::string Written() { return page().Content().substr(3); }
  static int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }

  testing_support::TempFolder folder_;
  TPDFDocument doc_;
};

TEST_F(PageTextTest, twoTextOuts_shareOneTextObjectAndOneFontSelection) {
  page().SetActiveFont("Helvetica", 0, 0, 10);
  page().TextOut("Hi", 72, 72, 0);
  page().TextOut("(x)", 72, 144, 0);
  EXPECT_EQ(Written(),
            "BT\r\n"
            "10 0 0 10 72 762.72 Tm\r\n"
            "/Fnt0 1 Tf\r\n"
            "(Hi) Tj\r\n"
            "10 0 0 10 72 690.72 Tm\r\n"
            "(\\(x\\)) Tj\r\n");
}

TEST_F(PageTextTest, baselineOriginAndRotation_placeTheTextMatrix) {
  page().SetActiveFont("Courier", 0, 0, 10);
  page().SetBaselineOrigin(true);
  page().TextOut("a", 10, 20, 90);
  EXPECT_NE(Written().find("0 10 -10 0 10 822 Tm\r\n"), std::string::npos) << Written();
}

TEST_F(PageTextTest, restoreBelowTheSelection_selectsTheFontAgain) {
  page().SetActiveFont("Times", 0, 0, 10);
  page().GStateSave();
  page().TextOut("a", 0, 0, 0);
  page().GStateRestore();
  page().TextOut("b", 0, 0, 0);
  EXPECT_EQ(Count(Written(), "/Fnt4 1 Tf"), 2);
}

TEST_F(PageTextTest, restore_bringsBackTheRememberedTextState) {
  page().SetHorizontalScaling(100);  // unchanged on a new page: nothing at all
  EXPECT_EQ(Written(), "");
  page().SetHorizontalScaling(50);
  page().GStateSave();
  page().SetHorizontalScaling(80);
  page().SetWordSpacing(2);
  page().GStateRestore();
  page().SetHorizontalScaling(80);  // Q brought back 50
  page().SetWordSpacing(2);         // and 0
  EXPECT_EQ(Count(Written(), "80 Tz"), 2);
  EXPECT_EQ(Count(Written(), "2 Tw"), 2);
}

TEST_F(PageTextTest, endText_keepsTheCharacterSpacingOfThePdfState) {
  page().SetCharacterSpacing(1.5);
  page().EndText();
  page().SetCharacterSpacing(1.5);  // Tc outlives ET: nothing to write
  page().SetCharacterSpacing(0);
  EXPECT_EQ(Written(), "BT\r\n1.5 Tc\r\nET\r\nBT\r\n0 Tc\r\n");
}

TEST_F(PageTextTest, euroAndCyrillic_giveALiteralAndAHexRunWithAFontChange) {
  page().SetActiveFont("Arial", 0, 0, 12);
  page().UnicodeTextOut(u"5\u20AC \u0416", 0, 0, 0);
  const std::string written = Written();
  const size_t literal = written.find("(5\x80 ) Tj\r\n");
  const size_t change = written.find("/TT2 1 Tf\r\n<");
  ASSERT_NE(literal, std::string::npos) << written;
  ASSERT_NE(change, std::string::npos) << written;
  EXPECT_LT(literal, change);
  EXPECT_NE(written.find("/TT1 1 Tf\r\n(5"), std::string::npos);
}

TEST_F(PageTextTest, sizeZeroOrNonFinite_drawsNothing) {
  for (double size : {0.0, std::nan(""), HUGE_VAL}) {
    page().SetActiveFont("Helvetica", 0, 0, size);
    const double advances[] = {1, 2};
    page().TextOut("ab", 1, 1, 0);
    page().ExtTextOut("ab", advances, 1, 1, 0);
    page().UnicodeExtTextOut(u"ab", advances, 1, 1, 0);
  }
  EXPECT_EQ(Written(), "");
}

TEST_F(PageTextTest, singleByteAdvances_moveEachCharacter) {
  page().SetActiveFont("Helvetica", 0, 0, 10);
  page().SetCharacterSpacing(1);
  const double advances[] = {5, 7.5};
  page().ExtTextOut("ab", advances, 0, 0, 0);
  EXPECT_NE(Written().find("0 Tc\r\n/Fnt0 1 Tf\r\n(a) Tj 0.5 0 Td\r\n(b) Tj 0.75 0 Td\r\n"),
            std::string::npos)
      << Written();
}

TEST_F(PageTextTest, spacedUnicodeRuns_spreadTheDifferenceWithoutDividingByZero) {
  page().SetActiveFont("Helvetica", 0, 0, 10);
  // Helvetica: A 667, B 667, C 722 (thousandths); at size 10 an advance of
  // 7 is 0.7 text units. C ends the run (1.5 differs by more than 0.1).
  const double advances[] = {7, 7, 15, 20, 6.67};
  page().UnicodeExtTextOut(u"ABCDA", advances, 0, 0, 0);
  const std::string written = Written();
  // The first run spreads (1.4 - 1.334) over its two matching units.
  EXPECT_NE(written.find("0.033 Tc\r\n(ABC) Tj\r\n2.9 0 Td\r\n"), std::string::npos) << written;
  // "D" differs at once: a run of one ending unit keeps the spacing.
  EXPECT_NE(written.find("(D) Tj\r\n2 0 Td\r\n"), std::string::npos) << written;
  EXPECT_EQ(written.find("nan"), std::string::npos);
  EXPECT_EQ(written.find("inf"), std::string::npos);
}

TEST_F(PageTextTest, textWidth_addsSpacingAndScaling) {
  page().SetActiveFont("Helvetica", 0, 0, 10);
  EXPECT_DOUBLE_EQ(page().TextWidth("A A"), (667 + 278 + 667) * 10 / 1000.0);
  page().SetWordSpacing(2);
  page().SetCharacterSpacing(1);
  page().SetHorizontalScaling(50);
  EXPECT_DOUBLE_EQ(page().TextWidth("A A"), (667 + 278 + 667) * 10 / 1000.0 / 2 + 2 + 3);
  page().SetHorizontalScaling(0);
  EXPECT_EQ(page().TextWidth("A A"), 0);
}

TEST_F(PageTextTest, underline_drawsABarUnderTheText) {
  page().SetActiveFont("Helvetica", kStyleUnderline, 0, 10);
  page().TextOut("A", 0, 0, 0);
  EXPECT_NE(Written().find("ET\r\n0 834.22 6.67 -0.5 re\r\nf\r\n"), std::string::npos) << Written();
}

TEST_F(PageTextTest, addresses_becomeLinksOnlyAfterABlank) {
  page().SetActiveFont("Helvetica", 0, 0, 10);
  page().TextOut("see http://example.org now", 0, 0, 0);
  EXPECT_EQ(page().AnnotationCount(), 1);
  page().TextOut("seehttp://example.org", 0, 20, 0);
  page().UnicodeTextOut(u"mailto:someone@example.org", 0, 40, 0);
  EXPECT_EQ(page().AnnotationCount(), 2);
}

TEST(StandardFontWidthsTest, rows_followThePublishedMetrics) {
  const struct {
    int row, code, width;
  } cases[] = {
      {0, 0, 278},  {0, 65, 667},  {0, 128, 558}, {0, 127, 350}, {0, 157, 350}, {1, 65, 722},
      {4, 0, 250},  {4, 128, 500}, {5, 65, 722},  {8, 0, 600},   {8, 143, 600}, {11, 65, 600},
      {12, 0, 250}, {12, 97, 631}, {13, 0, 250},  {13, 32, 278}, {0, 5, 0},     {13, 31, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(StandardFontWidths[c.row][c.code], c.width) << c.row << " " << c.code;
}

}  // namespace
}  // namespace pdf
