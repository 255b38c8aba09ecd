#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "pdf/arc_geometry.h"
#include "pdf/document.h"
#include "pdf/page.h"
#include "support/graphics_test_support.h"

namespace pdf {
namespace {

using graphics_test::ContentLines;
using Lines = std::vector<std::string>;

// A document in progress whose first page the tests draw on.
class PageGraphics : public ::testing::Test {
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

  graphics_test::TempPdf file_{"page_graphics"};
  TPDFDocument document_;
};

struct GoldenCase {
  const char* name;
  int resolution;
  std::function<void(TPDFPage&)> draw;
  Lines expected;
};

TEST_F(PageGraphics, operations_writeGoldenLines) {
  const GoldenCase kCases[] = {
      {"move on A4", 72, [](TPDFPage& p) { p.MoveTo(72, 72); }, {"72 770 m"}},
      {"line width at 300 dpi", 300, [](TPDFPage& p) { p.SetLineWidth(1); }, {"0.24 w"}},
      {"line and curve",
       144,
       [](TPDFPage& p) {
         p.LineTo(144, 0);
         p.CurveTo(0, 0, 2, 2, 288, 1684);
       },
       {"72 842 l", "0 842 1 841 144 0 c"}},
      {"rectangle orders corners",
       72,
       [](TPDFPage& p) { p.Rectangle(110, 52, 10, 2); },
       {"10 790 100 50 re"}},
      {"clip after fill writes nothing",
       72,
       [](TPDFPage& p) {
         p.MoveTo(0, 0);
         p.Fill();
         p.Clip();
         p.EoClip();
       },
       {"0 842 m", "f"}},
      {"clip after path",
       72,
       [](TPDFPage& p) {
         p.MoveTo(0, 0);
         p.LineTo(1, 1);
         p.Clip();
         p.EoClip();
         p.NewPath();
       },
       {"0 842 m", "1 841 l", "W", "W*", "n"}},
      {"page-space primitives leave no path for clip",
       72,
       [](TPDFPage& p) {
         p.MoveToPt(1, 2);
         p.Clip();
       },
       {"1 2 m"}},
      {"painting operators",
       72,
       [](TPDFPage& p) {
         p.Stroke();
         p.EoFill();
         p.FillAndStroke();
         p.EoFillAndStroke();
         p.ClosePath();
       },
       {"S", "f*", "B", "B*", "h"}},
      {"restore at depth one", 72, [](TPDFPage& p) { p.GStateRestore(); }, {}},
      {"save and restore",
       72,
       [](TPDFPage& p) {
         p.GStateSave();
         p.GStateRestore();
         p.GStateRestore();
       },
       {"q", "Q"}},
      {"same dash twice",
       72,
       [](TPDFPage& p) {
         p.NoDash();
         p.SetDash("[3 1] 0");
         p.SetDash("[3 1] 0");
         p.NoDash();
       },
       {"[3 1] 0 d", "[] 0 d"}},
      {"cap and join always written",
       72,
       [](TPDFPage& p) {
         p.SetLineCap(lcRound);
         p.SetLineCap(lcRound);
         p.SetLineJoin(ljBevel);
       },
       {"1 J", "1 J", "2 j"}},
      {"colours fill first",
       72,
       [](TPDFPage& p) { p.SetRGBColor(0, 0.5, 1); },
       {"0 0.5 1 rg", "0 0.5 1 RG"}},
      {"matrices",
       72,
       [](TPDFPage& p) {
         p.Translate(10, 20.125);
         p.Rotate(90);
       },
       {"1 0 0 1 10 20.13 cm", "0 1 -1 0 0 0 cm"}},
      {"ellipse quarters",
       72,
       [](TPDFPage& p) { p.Ellipse(0, 842, 200, 742); },
       {"200 50 m", "200 77.61 155.23 100 100 100 c", "44.77 100 0 77.61 0 50 c",
        "0 22.39 44.77 0 100 0 c", "155.23 0 200 22.39 200 50 c"}},
      {"round rectangle",
       72,
       [](TPDFPage& p) { p.RoundRect(0, 742, 100, 842, 20, 20); },
       {"10 100 m", "90 100 l", "95.52 100 100 95.52 100 90 c", "100 10 l",
        "100 4.48 95.52 0 90 0 c", "10 0 l", "4.48 0 0 4.48 0 10 c", "0 90 l",
        "0 95.52 4.48 100 10 100 c", "h"}},
      {"pie closes through the centre",
       72,
       [](TPDFPage& p) {
         p.Pie(0, 742, 101, 842, 0, 792, 0, 792);
         p.Clip();
       },
       // Radii 50 and 49.5 around (50.5, 50); equal radials start at the left.
       {"0.5 50 m", "0.5 77.34 22.89 99.5 50.5 99.5 c", "78.11 99.5 100.5 77.34 100.5 50 c",
        "100.5 22.66 78.11 0.5 50.5 0.5 c", "22.89 0.5 0.5 22.66 0.5 50 c", "50.5 50 l", "0.5 50 m",
        "50.5 50 l", "W"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TPDFDocument document;
    graphics_test::TempPdf file("golden");
    document.SetFileName(file.Path());
    document.SetResolution(c.resolution);
    document.BeginDoc();
    c.draw(document.CurrentPage());
    EXPECT_EQ(ContentLines(document.CurrentPage()), c.expected);
    document.Abort();
  }
}

TEST_F(PageGraphics, arcOfFullTurn_isFourQuarterSegments) {
  TPDFPage& page = StartPage();
  const TPDFDevicePoint start = page.ArcAngles(0, 0, 101, 101, 0, 360);
  const Lines lines = ContentLines(page);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0].substr(lines[0].size() - 2), " m");
  for (size_t i = 1; i < 5; ++i) EXPECT_EQ(lines[i].substr(lines[i].size() - 2), " c") << i;
  EXPECT_NEAR(start.x, 100.5, 1e-9);
  EXPECT_NEAR(start.y, 50.5, 1e-9);
  EXPECT_TRUE(page.PathOpen());
}

TEST_F(PageGraphics, arcByPoints_returnsStartAtSecondRadial) {
  TPDFPage& page = StartPage();
  // Counter-clockwise on the device from the right radial (x3) to the top one
  // (x4) is a quarter drawn clockwise on the page, from the top.
  const TPDFDevicePoint start = page.Arc(0, 0, 101, 101, 200, 50.5, 50.5, -100);
  EXPECT_NEAR(start.x, 50.5, 1e-9);
  EXPECT_NEAR(start.y, 0.5, 1e-9);
  const Lines lines = ContentLines(page);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "50.5 841.5 m");
  EXPECT_EQ(lines[1], "78.11 841.5 100.5 819.11 100.5 791.5 c");
}

TEST_F(PageGraphics, degenerateArcs_writeOnlyFiniteNumbers) {
  TPDFPage& page = StartPage();
  page.ArcAngles(10, 10, 10, 10, 0, 90);      // zero radii
  page.ArcAngles(0, 0, 100, 100, 45, 45);     // zero sweep
  page.Arc(5, 5, 5, 5, 5, 5, 5, 5);           // zero box, points at the centre
  page.ArcAngles(0, 0, 100, 100, 0, 1e300);   // absurd sweep
  page.ArcAngles(0, 0, 100, 100, 0, 1e-320);  // sweep without a sine
  page.Pie(0, 0, 0, 0, 0, 0, 0, 0);
  const std::string& text = page.Content();
  EXPECT_EQ(text.find("nan"), std::string::npos);
  EXPECT_EQ(text.find("inf"), std::string::npos);
  EXPECT_EQ(text.find('e'), std::string::npos);
  EXPECT_LT(ContentLines(page).size(), 40u);
}

TEST(ArcGeometry, zeroSweep_isMoveAndLineToTheStart) {
  const TPDFArcGeometry arc(0, 0, 101, 51);
  for (double sweep : {0.0, 5e-324}) {
    const auto path = arc.ByAngles(1, 1 + sweep);
    ASSERT_EQ(path.pieces.size(), 2u);
    EXPECT_EQ(path.pieces[0].kind, TPDFArcGeometry::Kind::Move);
    EXPECT_EQ(path.pieces[1].kind, TPDFArcGeometry::Kind::Line);
    EXPECT_DOUBLE_EQ(path.pieces[1].p[0].x, arc.At(1).x);
  }
}

TEST(ArcGeometry, negativeRadius_isRaisedToZero) {
  const TPDFArcGeometry arc(3, 3, 3.5, 3.5);
  EXPECT_EQ(arc.RadiusX(), 0);
  EXPECT_EQ(arc.RadiusY(), 0);
  EXPECT_DOUBLE_EQ(arc.CenterX(), 3.25);
}

TEST(ArcGeometry, segmentEnds_lieOnTheEllipse) {
  const TPDFArcGeometry arc(0, 0, 201, 101);
  const auto path = arc.ByAngles(0.3, 2.5);
  ASSERT_EQ(path.pieces.size(), 3u);  // move, one quarter, the remainder
  const auto end = arc.At(2.5);
  EXPECT_NEAR(path.pieces.back().p[2].x, end.x - 0.0001, 1e-9);
  EXPECT_NEAR(path.pieces.back().p[2].y, end.y - 0.0001, 1e-9);
}

TEST(ArcGeometry, equalRadials_giveFullEllipse) {
  const TPDFArcGeometry arc(0, 0, 101, 101);
  const auto path = arc.ByPoints({100, 50}, {100, 50});
  EXPECT_EQ(path.pieces.size(), 5u);
}

TEST_F(PageGraphics, pathState_tracksPointsMatrixAndDash) {
  TPDFPage& page = StartPage();
  EXPECT_FALSE(page.PathOpen());
  page.RectanglePt(1, 2, 3, 4);
  EXPECT_EQ(page.CurrentX(), 1);
  EXPECT_EQ(page.CurrentY(), 2);
  EXPECT_FALSE(page.PathOpen());
  page.CurveTo(0, 0, 0, 0, 10, 20);
  EXPECT_EQ(page.CurrentX(), 10);
  EXPECT_EQ(page.CurrentY(), 822);
  EXPECT_TRUE(page.PathOpen());
  page.ClosePath();
  EXPECT_TRUE(page.PathOpen());
  page.NewPath();  // ends the path object
  EXPECT_FALSE(page.PathOpen());
  page.LineTo(5, 5);
  page.Stroke();
  EXPECT_FALSE(page.PathOpen());
  page.ConcatMatrix(2, 0, 0, 3, 4, 5);
  EXPECT_EQ(page.CurrentMatrix(3), 3);
  EXPECT_EQ(page.CurrentMatrix(5), 5);
  page.SetDash("[1] 0");
  EXPECT_EQ(page.DashPattern(), "[1] 0");
}

TEST_F(PageGraphics, nonFiniteCoordinates_areWrittenAsNumbers) {
  TPDFPage& page = StartPage();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  page.MoveTo(nan, inf);
  page.Rectangle(nan, 0, inf, -inf);
  page.Ellipse(inf, nan, 0, 0);
  page.SetLineWidth(nan);
  page.SetRGBColor(nan, inf, -inf);
  page.Rotate(inf);
  const std::string& text = page.Content();
  EXPECT_EQ(text.find("nan"), std::string::npos);
  EXPECT_EQ(text.find("inf"), std::string::npos);
}

TEST_F(PageGraphics, pathOperations_closeTheTextObjectButColoursDoNot) {
  TPDFPage& page = StartPage();
  page.SetActiveFont("Helvetica", 0, 0, 12);
  page.TextOut("Hi", 10, 10, 0);
  ASSERT_TRUE(page.InText());
  page.SetRGBColor(1, 0, 0);
  EXPECT_TRUE(page.InText());
  page.MoveTo(0, 0);
  EXPECT_FALSE(page.InText());
  const Lines lines = ContentLines(page);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ((Lines(lines.end() - 4, lines.end())),
            (Lines{"1 0 0 rg", "1 0 0 RG", "ET", "0 842 m"}));
}

}  // namespace
}  // namespace pdf
