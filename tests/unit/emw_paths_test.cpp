// Lines, polygons, curves, shapes and path brackets, checked on the form's
// content lines (or, where a record is dropped, on the trace). The pictures
// are 200 x 100 device pixels at 96 dpi played at resolution 72: x becomes
// 0.75 x and y becomes 75 - 0.75 y.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/emf_builder.h"
#include "support/emw_play_support.h"

namespace {

using emfbuild::EmfBuilder;
using emw_test::PlayLines;
using emw_test::PlayText;
using emw_test::RecordTrace;
using Lines = std::vector<std::string>;

constexpr uint32_t kNullPen = 0x80000008;
constexpr uint32_t kBlackPen = 0x80000007;
constexpr uint32_t kNullBrush = 0x80000005;

TEST(EmwPaths, lineTo_movesFromTheCurrentPositionAndStrokes) {
  EXPECT_EQ(PlayLines(EmfBuilder().moveTo(40, 20).lineTo(80, 40).lineTo(0, 0).bytes()),
            (Lines{"30 60 m", "60 45 l", "S", "60 45 m", "0 75 l", "S"}));
}

// What the polygon record draws, as the trace lists it.
TEST(EmwPaths, polygonPainting_followsPenBrushAndFillRule) {
  const std::vector<emfbuild::Point> triangle = {{0, 0}, {40, 0}, {0, 40}};
  const std::string kPen = "stroke #000000 width 0.75";
  const struct {
    const char* name;
    uint32_t fillMode;
    uint32_t pen;
    uint32_t brush;
    std::string paint;
  } kCases[] = {
      {"winding, null pen", 2, kNullPen, 0x80000004, "fill #000000"},
      {"alternate, null pen", 1, kNullPen, 0x80000004, "fill #000000 even-odd"},
      {"winding, black pen", 2, kBlackPen, 0x80000004, "fill #000000, " + kPen},
      {"alternate, black pen", 1, kBlackPen, 0x80000004, "fill #000000 even-odd, " + kPen},
      {"null brush", 1, kBlackPen, kNullBrush, kPen},
      {"null brush and pen", 1, kNullPen, kNullBrush, ""},
  };
  for (const auto& c : kCases) {
    const Lines trace = RecordTrace(EmfBuilder()
                                        .setPolyFillMode(c.fillMode)
                                        .selectObject(c.pen)
                                        .selectObject(c.brush)
                                        .polygon16(triangle)
                                        .bytes());
    const auto polygon = std::find(trace.begin(), trace.end(), "  @144 EMR_POLYGON16");
    ASSERT_NE(polygon, trace.end()) << c.name;
    const Lines drawn(polygon + 1, std::find_if(polygon + 1, trace.end(), [](const auto& line) {
                        return line.starts_with("  @");
                      }));
    // Nothing to see, nothing drawn.
    EXPECT_EQ(drawn, c.paint.empty() ? Lines{} : Lines{"    path 0,0 30,30: " + c.paint}) << c.name;
  }
}

TEST(EmwPaths, shapePainting_strokesOnlyWithAVisiblePen) {
  // A new picture has GDI's black hairline pen: the rectangle is outlined.
  EXPECT_EQ(PlayLines(EmfBuilder().rectangle({4, 4, 40, 40}).bytes()),
            (Lines{"1 1 1 rg", "3 45 27 27 re", "B"}));
  EXPECT_EQ(PlayLines(EmfBuilder().rectangle({4, 4, 4, 40}).bytes()), Lines{});
  EXPECT_EQ(PlayLines(EmfBuilder().selectObject(kNullBrush).rectangle({4, 4, 40, 40}).bytes()),
            (Lines{"3 45 27 27 re", "S"}));
  EXPECT_EQ(PlayLines(EmfBuilder().selectObject(kNullPen).rectangle({4, 4, 40, 40}).bytes()),
            (Lines{"1 1 1 rg", "3 45 27 27 re", "f"}));
  const Lines stroked =
      PlayLines(EmfBuilder().selectObject(kBlackPen).ellipse({0, 0, 40, 40}).bytes());
  EXPECT_EQ(stroked.back(), "B");
  EXPECT_EQ(std::count_if(stroked.begin(), stroked.end(),
                          [](const std::string& l) { return l.ends_with(" c"); }),
            4);
}

TEST(EmwPaths, polyBezier_needsFourPointsAndDrawsWholeGroups) {
  std::vector<emfbuild::Point> seven;
  for (int i = 0; i < 7; ++i) seven.push_back({i * 4, i * 4});
  const Lines lines = PlayLines(EmfBuilder().polyBezier16(seven).bytes());
  EXPECT_EQ(lines, (Lines{"0 75 m", "3 72 6 69 9 66 c", "12 63 15 60 18 57 c", "S"}));
  EXPECT_EQ(PlayLines(EmfBuilder().polyBezier16({{0, 0}, {4, 4}, {8, 8}}).bytes()), Lines{});
}

TEST(EmwPaths, polyDraw_closesTheFigureAndLeavesThePositionOnItsStart) {
  const std::vector<emfbuild::Point> triangle = {{0, 0}, {40, 0}, {0, 40}};
  const Lines lines = PlayLines(EmfBuilder()
                                    .polyDraw(triangle, {6, 2, 2 | 1})
                                    .lineTo(40, 40)  // starts at the current position
                                    .bytes());
  EXPECT_EQ(lines, (Lines{"0 75 m", "0 75 m", "30 75 l", "0 45 l", "0 75 l", "S", "0 75 m",
                          "30 45 l", "S"}));
}

TEST(EmwPaths, polyDraw_shortTrailingCurveEndsTheFigure) {
  const Lines lines =
      PlayLines(EmfBuilder().polyDraw({{0, 0}, {40, 0}, {40, 40}}, {6, 4, 4}).bytes());
  EXPECT_EQ(lines, (Lines{"0 75 m", "0 75 m", "S"}));
}

TEST(EmwPaths, polyDraw16_makesLaterLineCapsRound) {
  const Lines lines = PlayLines(EmfBuilder()
                                    .polyDraw16({{0, 0}, {40, 0}}, {6, 2})
                                    .createPen(1, 0, 0, 0)
                                    .selectObject(1)
                                    .lineTo(40, 40)
                                    .bytes());
  EXPECT_EQ(lines, (Lines{"0 75 m", "0 75 m", "30 75 l", "S", "1 J", "30 75 m", "30 45 l", "S"}));
}

TEST(EmwPaths, polyPolygon_closesEachPolygonWithALineAndSkipsEmptyOnes) {
  const Lines lines = PlayLines(
      EmfBuilder().polyPolygon16({{{0, 0}, {40, 0}, {0, 40}}, {}, {{80, 0}, {80, 40}}}).bytes());
  EXPECT_EQ(lines, (Lines{"1 1 1 rg", "0 75 m", "30 75 l", "0 45 l", "0 75 l", "60 75 m", "60 45 l",
                          "60 75 l", "B*"}));
}

TEST(EmwPaths, polyPolygonCountsBeyondCptl_dropTheRecord) {
  std::vector<uint8_t> payload;
  emfbuild::PutRect(payload, {});
  emfbuild::PutU32(payload, 2);  // nPolys
  emfbuild::PutU32(payload, 3);  // cptl
  emfbuild::PutU32(payload, 2);  // aPolyCounts: 2 + 0xFFFFFFFF points
  emfbuild::PutU32(payload, 0xFFFFFFFF);
  for (int i = 0; i < 3; ++i) emfbuild::PutU32(payload, 0);
  // Dropped whole: no device call between the record and the next one.
  EXPECT_EQ(RecordTrace(EmfBuilder().record(91, payload).bytes()),
            (Lines{"  @0 EMR_HEADER",
                   "  @108 EMR_POLYPOLYGON16: dropped, malformed: polygon counts exceed cptl",
                   "  @160 EMR_EOF: ignored"}));
}

TEST(EmwPaths, pathBracket_buildsUntilThePaintingRecord) {
  const Lines lines = PlayLines(EmfBuilder()
                                    .moveTo(0, 0)
                                    .beginPath()
                                    .lineTo(40, 0)
                                    .lineTo(40, 40)
                                    .closeFigure()
                                    .endPath()
                                    .fillPath()
                                    .bytes());
  EXPECT_EQ(lines, (Lines{"1 1 1 rg", "0 75 m", "30 75 l", "30 45 l", "h", "f"}));
}

TEST(EmwPaths, roundRectCorners_areLengthsClampedToTheBox) {
  // The window origin moves the box but not the corner size.
  const Lines lines =
      PlayLines(EmfBuilder().setWindowOrgEx(-400, 0).roundRect({0, 0, 40, 40}, 16, 400).bytes());
  ASSERT_FALSE(lines.empty());
  // Box 300..330 wide, corner 12 x 30 (clamped from 300): first move at x1 + 6.
  EXPECT_EQ(lines[1], "306 75 m");  // after the white brush's "rg"
  EXPECT_EQ(lines[2], "324 75 l");
}

TEST(EmwPaths, angleArc_ofFullSweepDrawsTheWholeCircle) {
  const Lines lines = PlayLines(EmfBuilder().moveTo(80, 40).angleArc({40, 40}, 20, 0, 400).bytes());
  // One turn and the 40 degrees left over: the path ends where the sweep does.
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& l) { return l.ends_with(" c"); }),
            5);
  EXPECT_EQ(lines.back(), "S");
}

TEST(EmwPaths, absurdAngleArc_isDroppedWithoutOutput) {
  int dropped = 0;
  EXPECT_EQ(PlayLines(EmfBuilder().angleArc({40, 40}, 0xFFFFFFFF, 0, 90).bytes(), 72, &dropped),
            Lines{});
  EXPECT_EQ(dropped, 1);
  std::vector<uint8_t> nanSweep;
  emfbuild::PutI32(nanSweep, 0);
  emfbuild::PutI32(nanSweep, 0);
  emfbuild::PutU32(nanSweep, 10);
  emfbuild::PutF32(nanSweep, 0);
  emfbuild::PutU32(nanSweep, 0x7FC00000);  // NaN
  EXPECT_EQ(PlayLines(EmfBuilder().record(41, nanSweep).bytes(), 72, &dropped), Lines{});
  EXPECT_EQ(dropped, 1);
}

TEST(EmwPaths, clockwisePie_isTheOtherSlice) {
  auto pie = [](uint32_t direction, emfbuild::Point start, emfbuild::Point end) {
    return PlayText(
        EmfBuilder().setArcDirection(direction).pie({0, 0, 40, 40}, start, end).bytes());
  };
  EXPECT_EQ(pie(2, {40, 20}, {20, 0}), pie(1, {20, 0}, {40, 20}));
  EXPECT_NE(pie(2, {40, 20}, {20, 0}), pie(1, {40, 20}, {20, 0}));
}

TEST(EmwPaths, clockwiseArc_exchangesItsRadialPoints) {
  auto arc = [](uint32_t direction, emfbuild::Point start, emfbuild::Point end) {
    return PlayText(
        EmfBuilder().setArcDirection(direction).arc({0, 0, 80, 40}, start, end).bytes());
  };
  EXPECT_EQ(arc(2, {80, 20}, {40, 0}), arc(1, {40, 0}, {80, 20}));
  EXPECT_NE(arc(1, {80, 20}, {40, 0}), arc(1, {40, 0}, {80, 20}));
}

TEST(EmwPaths, chord_closesWithALineToWhereTheArcBegan) {
  const Lines lines = PlayLines(EmfBuilder().chord({0, 0, 80, 40}, {80, 20}, {0, 20}).bytes());
  ASSERT_GE(lines.size(), 3u);
  const std::string start = lines[1].substr(0, lines[1].size() - 2);  // "x y" of the move
  EXPECT_EQ(lines[lines.size() - 2], start + " l");
  EXPECT_EQ(lines.back(), "B*");
}

TEST(EmwPaths, arcTo_linesToTheArcAndMovesThePosition) {
  const Lines lines = PlayLines(
      EmfBuilder().moveTo(0, 0).arcTo({0, 0, 80, 40}, {80, 20}, {40, 0}).lineTo(0, 0).bytes());
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0], "0 75 m");
  EXPECT_EQ(lines[1], "60 60 l");  // (80, 20) on the ellipse
  // The next line starts at the end radial's point on the ellipse, (40, 0).
  const auto next = std::find(lines.begin() + 2, lines.end(), "S");
  ASSERT_NE(next, lines.end());
  EXPECT_EQ(*(next + 1), "30 75 m");
}

TEST(EmwPaths, setPixelV_drawsADotAndLeavesThePenAsItWas) {
  const Lines lines = PlayLines(EmfBuilder().setPixelV({40, 20}, 0x0000FF).lineTo(40, 0).bytes());
  EXPECT_EQ(lines, (Lines{"1 0 0 RG", "1 w", "30 60 m", "30.01 59.99 l", "S", "0 0 0 RG", "0.75 w",
                          "0 75 m", "30 75 l", "S"}));
}

TEST(EmwPaths, fillRgn_fillsEachRectangleInDeviceUnits) {
  const Lines lines = PlayLines(EmfBuilder().fillRgn({{0, 0, 40, 40}, {80, 0, 120, 40}}).bytes());
  EXPECT_EQ(lines, (Lines{"1 1 1 rg", "0 45 30 30 re", "60 45 30 30 re", "f"}));
}

}  // namespace
