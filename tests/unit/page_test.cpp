#include "pdf/page.h"

#include <gtest/gtest.h>

#include "pdf/document.h"
#include "pdf/pdf_exception.h"
#include "support/temp_folder.h"

namespace pdf {
namespace {

class PageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    doc_.SetFileName(folder_.file("p.pdf"));
    doc_.BeginDoc();
  }
  void TearDown() override {
    if (doc_.Active()) doc_.Abort();
  }

  testing_support::TempFolder folder_;
  TPDFDocument doc_;
};

TEST_F(PageTest, newPage_isA4PortraitWithItsOwnSaveLevel) {
  TPDFPage& page = doc_.CurrentPage();
  EXPECT_EQ(page.Width(), 595);
  EXPECT_EQ(page.Height(), 842);
  EXPECT_EQ(page.Content(), "q\r\n");
  EXPECT_EQ(page.SaveDepth(), 1);
  // The page's own level stays: a restore there is refused and counted.
  EXPECT_DEBUG_DEATH(page.GStateRestore(), "without its GStateSave");
  EXPECT_EQ(page.Content(), "q\r\n");
#ifdef NDEBUG
  EXPECT_EQ(page.StrayRestores(), 1);
#endif
}

TEST_F(PageTest, sizesAndOrientations_followTheTable) {
  TPDFPage& page = doc_.CurrentPage();
  const struct {
    TPDFPageSize size;
    TPDFPageOrientation orientation;
    int width, height;
  } kCases[] = {{psLetter, poPageLandscape, 792, 612}, {psLetter, poPagePortrait, 612, 792},
                {psA3, poPagePortrait, 842, 1190},     {psEnv11, poPageLandscape, 747, 324},
                {psA5, poPagePortrait, 419, 595},      {psExecutive, poPageLandscape, 756, 522}};
  for (const auto& c : kCases) {
    page.SetSize(c.size);
    page.SetOrientation(c.orientation);
    EXPECT_EQ(page.Width(), c.width) << int(c.size);
    EXPECT_EQ(page.Height(), c.height) << int(c.size);
  }
  page.SetSize(static_cast<TPDFPageSize>(40));  // out of range: A4
  EXPECT_EQ(page.Size(), psA4);
}

TEST_F(PageTest, deviceUnits_convertWithTheResolution) {
  doc_.Abort();
  doc_.SetResolution(300);
  doc_.BeginDoc();
  TPDFPage& page = doc_.CurrentPage();
  page.SetWidth(2480);   // 595.2 -> 595
  page.SetHeight(3508);  // 841.92 -> 842
  EXPECT_EQ(page.Width(), 595);
  EXPECT_EQ(page.Height(), 842);
  EXPECT_EQ(page.Size(), psUserDefined);
  EXPECT_EQ(page.WidthPx(), 2479);  // 2479.17
  EXPECT_DOUBLE_EQ(page.ExtX(300), 72);
  EXPECT_DOUBLE_EQ(page.ExtY(300), 842 - 72);
  EXPECT_DOUBLE_EQ(page.ExtLength(150), 36);
}

TEST_F(PageTest, newPath_leavesNoPathForAClip) {
  TPDFPage& page = doc_.CurrentPage();
  page.MoveTo(0, 0);
  page.LineTo(10, 10);
  page.NewPath();
  page.Clip();
  EXPECT_EQ(page.Content().find("W"), std::string::npos);
}

// Q brings back the state of its q, which the page then has in force: the
// dash written again only where it differs, the colours known again.
TEST_F(PageTest, restore_bringsBackTheStateOfItsLevel) {
  TPDFPage& page = doc_.CurrentPage();
  page.SetDash("[3] 0");
  page.SetRGBFillColor(1, 0, 0);
  page.GStateSave();
  page.SetDash("[1] 0");
  page.SetFillPattern(TPDFTilingPattern(), {}, 1, 1);
  EXPECT_FALSE(page.GraphicsState().fill.has_value());
  page.GStateRestore();
  page.SetDash("[3] 0");  // in force again: not written
  page.SetDash("[1] 0");
  EXPECT_EQ(page.Content(),
            "q\r\n[3] 0 d\r\n1 0 0 rg\r\nq\r\n[1] 0 d\r\n/Pattern cs /P0 scn\r\nQ\r\n[1] 0 d\r\n");
  EXPECT_EQ(page.GraphicsState().fill, (std::array<double, 3>{1, 0, 0}));
  EXPECT_EQ(page.StrayRestores(), 0);
}

TEST_F(PageTest, geometryChangesAfterDrawing_areRefused) {
  TPDFPage& page = doc_.CurrentPage();
  page.ExtX(1);
  EXPECT_THROW(page.SetSize(psLetter), TPDFException);
  EXPECT_THROW(page.SetOrientation(poPageLandscape), TPDFException);
  EXPECT_THROW(page.SetWidth(10), TPDFException);
  try {
    page.SetHeight(10);
  } catch (const TPDFException& e) {
    EXPECT_STREQ(e.what(), "Page in progress");
  }
}

TEST_F(PageTest, absurdDeviceSizes_saturateInsteadOfOverflowing) {
  TPDFPage& page = doc_.CurrentPage();
  page.SetWidth(1e300);
  EXPECT_EQ(page.Width(), 2147483647);
  page.SetHeight(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(page.Height(), 0);
}

}  // namespace
}  // namespace pdf
