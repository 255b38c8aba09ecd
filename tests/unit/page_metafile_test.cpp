#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "pdf/document.h"
#include "pdf/page.h"
#include "support/graphics_test_support.h"

namespace pdf {
namespace {

using graphics_test::ContentLines;
using graphics_test::FakePlayer;
using graphics_test::TempPdf;

class PageMetafile : public ::testing::Test {
 protected:
  TPDFPage& StartPage(int resolution = 72) {
    document_.SetFileName(file_.Path());
    document_.SetResolution(resolution);
    document_.BeginDoc();
    return document_.CurrentPage();
  }
  void TearDown() override {
    if (document_.Active()) document_.Abort();
  }

  TempPdf file_{"page_metafile"};
  TPDFDocument document_;
};

TEST_F(PageMetafile, secondPicture_isReferredToAsIF1) {
  TPDFPage& page = StartPage();
  FakePlayer first(100, 50), second(20, 10);
  page.PlayMetaFile(first, 0, 0, 1, 1);
  page.PlayMetaFile(second, 0, 0, 1, 1);
  EXPECT_EQ(ContentLines(page), (std::vector<std::string>{"q /IF0 Do Q", "q /IF1 Do Q"}));
  EXPECT_EQ(page.Forms().Count(), 2);
  EXPECT_EQ(first.loads, 1);
  EXPECT_EQ(first.plays, 1);
}

TEST_F(PageMetafile, formMatrix_placesThePictureFromTheTopLeft) {
  TPDFPage& page = StartPage(144);  // F = 2, page 1190 x 1684 pixels
  FakePlayer player(-400, 200);     // negative extents count by size
  page.PlayMetaFile(player, 100, 60, 0.5, 2);
  TPDFPage& form = page.Forms().Items(0);
  EXPECT_EQ(form.Width(), 200);
  EXPECT_EQ(form.Height(), 100);
  EXPECT_TRUE(form.IsForm());
  const double expected[6] = {0.5, 0, 0, 2, 50, (1684 - 2 * 200 - 60) / 2.0};
  for (int i = 0; i < 6; ++i) EXPECT_DOUBLE_EQ(form.FormMatrix(i), expected[i]) << i;
}

TEST_F(PageMetafile, pictureDrawing_goesIntoTheForm) {
  TPDFPage& page = StartPage();
  FakePlayer player(100, 50);
  page.PlayMetaFile(player, 0, 0, 1, 1);
  EXPECT_EQ(ContentLines(page.Forms().Items(0)),
            (std::vector<std::string>{"0 0 1 rg", "0 0 100 50 re", "f"}));
}

TEST_F(PageMetafile, emptyPicture_addsNothing) {
  const struct {
    double width, height;
  } kExtents[] = {{0, 50}, {50, 0}, {std::numeric_limits<double>::quiet_NaN(), 5}};
  for (const auto& extent : kExtents) {
    TPDFDocument document;
    TempPdf file("empty_picture");
    document.SetFileName(file.Path());
    document.BeginDoc();
    TPDFPage& page = document.CurrentPage();
    FakePlayer player(extent.width, extent.height);
    page.PlayMetaFile(player, 0, 0, 1, 1);
    EXPECT_EQ(page.Forms().Count(), 0);
    EXPECT_TRUE(ContentLines(page).empty());
    EXPECT_EQ(player.plays, 0);
    document.Abort();
  }
}

// The dropped form's number still has an object, so no cross-reference
// entry points at offset 0.
TEST_F(PageMetafile, emptyPicture_keepsTheFileConsistent) {
  TPDFPage& page = StartPage();
  FakePlayer empty(0, 0), picture(10, 10);
  page.PlayMetaFile(empty, 0, 0, 1, 1);
  page.PlayMetaFile(picture, 0, 0, 1, 1);
  EXPECT_EQ(ContentLines(page), (std::vector<std::string>{"q /IF0 Do Q"}));
  document_.EndDoc();
  const std::string pdf = file_.Read();
  EXPECT_NE(pdf.find("\r\n3 0 obj\r\n<<>>\r\nendobj\r\n"), std::string::npos);
  EXPECT_EQ(pdf.find("0000000000 00000 n"), std::string::npos);
  if (!graphics_test::ToolAvailable("qpdf")) GTEST_SKIP() << "qpdf is not installed";
  EXPECT_TRUE(graphics_test::QpdfCheckClean(file_.Path()));
}

class ThrowingPlayer : public FakePlayer {
 public:
  ThrowingPlayer() : FakePlayer(10, 10) {}
  void Play() override { throw std::runtime_error("bad record"); }
};

TEST_F(PageMetafile, interpreterFailure_propagatesAndKeepsTheForm) {
  TPDFPage& page = StartPage();
  ThrowingPlayer player;
  EXPECT_THROW(page.PlayMetaFile(player, 0, 0, 1, 1), std::runtime_error);
  EXPECT_EQ(page.Forms().Count(), 1);
  EXPECT_TRUE(ContentLines(page).empty());
}

}  // namespace
}  // namespace pdf
