// State, objects, saved states and clipping, checked on the form's content
// lines (x becomes 0.75 x and y becomes 75 - 0.75 y at resolution 72).
#include <gtest/gtest.h>

#include <algorithm>

#include "support/emf_builder.h"
#include "support/emw_play_support.h"

namespace {

using emfbuild::EmfBuilder;
using emfbuild::Xform;
using emw_test::PlayLines;
using Lines = std::vector<std::string>;

constexpr uint32_t kNullPen = 0x80000008;
constexpr uint32_t kBlackPen = 0x80000007;

TEST(EmwMapping, mapModesAndScaling_mapTheFirstPoint) {
  const struct {
    const char* name;
    EmfBuilder picture;
    const char* move;
  } kCases[] = {
      {"text mode keeps units", EmfBuilder(), "30 60 m"},
      {"origins shift", EmfBuilder().setWindowOrgEx(20, 0).setViewportOrgEx(0, 20), "15 45 m"},
      {"anisotropic scales by extents",
       EmfBuilder().setMapMode(8).setWindowExtEx(100, 100).setViewportExtEx(50, 200), "15 45 m"},
      {"extents do nothing in text mode",
       EmfBuilder().setWindowExtEx(100, 100).setViewportExtEx(50, 200), "30 60 m"},
      {"window scaling multiplies the extent",
       EmfBuilder()
           .setMapMode(8)
           .setWindowExtEx(100, 100)
           .setViewportExtEx(100, 100)
           .scaleWindowExtEx(1, 2, 1, 2)
           .scaleWindowExtEx(1, 2, 1, 2),
       "120 15 m"},
      {"viewport scaling",
       EmfBuilder()
           .setMapMode(8)
           .setWindowExtEx(100, 100)
           .setViewportExtEx(100, 100)
           .scaleViewportExtEx(1, 2, 1, 2),
       "15 67.5 m"},
      {"scaling does nothing in text mode", EmfBuilder().scaleViewportExtEx(1, 2, 1, 2), "30 60 m"},
      {"isotropic keeps one scale",
       EmfBuilder().setMapMode(7).setWindowExtEx(100, 100).setViewportExtEx(50, 200), "15 67.5 m"},
      {"world before window",
       EmfBuilder()
           .setMapMode(8)
           .setWindowExtEx(100, 100)
           .setViewportExtEx(50, 50)
           .setWorldTransform({1, 0, 0, 1, 20, 0}),
       "22.5 67.5 m"},
      {"rotation", EmfBuilder().setWorldTransform({0, 1, -1, 0, 100, 0}),  // 90 degrees
       "60 45 m"},
      {"world transform", EmfBuilder().setWorldTransform({2, 0, 0, 2, 8, 4}), "66 42 m"},
      {"left multiply",
       EmfBuilder()
           .setWorldTransform({2, 0, 0, 2, 0, 0})
           .modifyWorldTransform({1, 0, 0, 1, 4, 4}, 2),
       "66 39 m"},
      {"right multiply",
       EmfBuilder()
           .setWorldTransform({2, 0, 0, 2, 0, 0})
           .modifyWorldTransform({1, 0, 0, 1, 4, 4}, 3),
       "63 42 m"},
      {"zero extent is refused", EmfBuilder().setMapMode(8).setWindowExtEx(0, 100), "30 60 m"},
      {"zero scaling is refused", EmfBuilder().scaleWindowExtEx(0, 2, 1, 2), "30 60 m"},
  };
  for (const auto& c : kCases) {
    EmfBuilder picture = c.picture;
    const Lines lines = PlayLines(picture.moveTo(40, 20).lineTo(80, 40).bytes());
    const auto move = std::find_if(lines.begin(), lines.end(),
                                   [](const std::string& l) { return l.ends_with(" m"); });
    ASSERT_NE(move, lines.end()) << c.name;
    EXPECT_EQ(*move, c.move) << c.name;
  }
}

TEST(EmwMapping, hugeTransform_dropsTheDrawingWithoutNonFiniteNumbers) {
  int dropped = 0;
  const Lines lines = PlayLines(EmfBuilder()
                                    .setWorldTransform({3e38f, 0, 0, 3e38f, 0, 0})
                                    .modifyWorldTransform({3e38f, 0, 0, 3e38f, 0, 0}, 3)
                                    .moveTo(40, 20)
                                    .lineTo(80, 40)
                                    .bytes(),
                                72, &dropped);
  EXPECT_EQ(lines, Lines{});
  EXPECT_EQ(dropped, 1);
}

TEST(EmwObjects, blackPenAfterNullPen_strokesSolidBlackAgain) {
  const Lines lines = PlayLines(EmfBuilder()
                                    .createPen(1, 1, 1, 0x0000FF)  // dashed red
                                    .selectObject(1)
                                    .selectObject(kNullPen)
                                    .selectObject(kBlackPen)
                                    .moveTo(0, 0)
                                    .lineTo(40, 0)
                                    .bytes());
  // The picture's own black hairline is in force: nothing to write.
  EXPECT_EQ(lines, (Lines{"0 75 m", "30 75 l", "S"}));
}

TEST(EmwObjects, widePen_isSolidAndWritesOnlyWhatChanged) {
  const Lines lines = PlayLines(EmfBuilder()
                                    .createPen(1, 1, 3, 0)  // PS_DASH, width 3
                                    .selectObject(1)
                                    .lineTo(40, 0)
                                    .createPen(2, 2, 1, 0)  // PS_DOT, width 1
                                    .selectObject(2)
                                    .lineTo(40, 40)
                                    .createPen(3, 2, 1, 0xFF0000)  // the same in blue
                                    .selectObject(3)
                                    .lineTo(0, 0)
                                    .bytes());
  EXPECT_EQ(lines, (Lines{"2.25 w", "0 75 m", "30 75 l", "S", "0.75 w", "[2.25 2.25] 0 d",
                          "30 75 m", "30 45 l", "S", "0 0 1 RG", "30 45 m", "0 75 l", "S"}));
}

TEST(EmwObjects, mirroredTransform_keepsPenWidthsPositive) {
  const Lines lines = PlayLines(EmfBuilder()
                                    .setWorldTransform({-2, 0, 0, 1, 0, 0})
                                    .createPen(1, 0, 2, 0)
                                    .selectObject(1)
                                    .lineTo(-40, 0)
                                    .bytes());
  EXPECT_EQ(lines, (Lines{"3 w", "0 75 m", "60 75 l", "S"}));
}

TEST(EmwObjects, brushFills_writeTheFillColourOnlyWhenItChanges) {
  const Lines lines = PlayLines(EmfBuilder()
                                    .selectObject(kNullPen)
                                    .createBrushIndirect(1, 0, 0x00FF00)
                                    .selectObject(1)
                                    .rectangle({0, 0, 40, 40})
                                    .selectObject(1)
                                    .rectangle({0, 0, 40, 40})
                                    .createBrushIndirect(2, 0, 0x0100000D)  // palette red
                                    .selectObject(2)
                                    .rectangle({0, 0, 40, 40})
                                    .selectObject(0x80000004)  // BLACK_BRUSH
                                    .rectangle({0, 0, 40, 40})
                                    .bytes());
  Lines colours;
  for (const std::string& line : lines)
    if (line.ends_with(" rg")) colours.push_back(line);
  EXPECT_EQ(colours, (Lines{"0 1 0 rg", "1 0 0 rg", "0 0 0 rg"}));
}

TEST(EmwObjects, tableOfNoHandles_ignoresObjectRecords) {
  int dropped = 0;
  const Lines lines = PlayLines(
      EmfBuilder().handles(0).createPen(0, 0, 5, 0x0000FF).selectObject(0).deleteObject(0).bytes(),
      72, &dropped);
  EXPECT_EQ(lines, Lines{});
  EXPECT_EQ(dropped, 0);
}

TEST(EmwSavedStates, restoreDC_bringsBackTheSavedTransform) {
  auto firstMove = [](int32_t relative) {
    const Lines lines = PlayLines(EmfBuilder()
                                      .saveDC()
                                      .setWorldTransform({2, 0, 0, 2, 0, 0})
                                      .restoreDC(relative)
                                      .moveTo(40, 20)
                                      .lineTo(0, 0)
                                      .bytes());
    const auto move = std::find_if(lines.begin(), lines.end(),
                                   [](const std::string& l) { return l.ends_with(" m"); });
    return move == lines.end() ? std::string() : *move;
  };
  EXPECT_EQ(firstMove(-1), "30 60 m");
  EXPECT_EQ(firstMove(1), "30 60 m");
  EXPECT_EQ(firstMove(-2), "60 45 m");  // stack emptied, transform kept
  EXPECT_EQ(firstMove(0), "60 45 m");
}

// The restored context holds the platform's defaults: a black pen of width
// 0 (drawn 1 wide) and a white brush.
TEST(EmwSavedStates, restoreDC_takesBackPenAndBrush) {
  const Lines trace = emw_test::RecordTrace(EmfBuilder()
                                                .saveDC()
                                                .createPen(1, 0, 2, 0x0000FF)
                                                .selectObject(1)
                                                .rectangle({0, 0, 40, 40})
                                                .restoreDC(-1)
                                                .rectangle({0, 0, 40, 40})
                                                .bytes());
  Lines drawn;
  std::copy_if(trace.begin(), trace.end(), std::back_inserter(drawn),
               [](const std::string& line) { return line.starts_with("    path"); });
  EXPECT_EQ(drawn, (Lines{"    path 0,0 30,30: fill #FFFFFF, stroke #FF0000 width 1.5",
                          "    path 0,0 30,30: fill #FFFFFF, stroke #000000 width 0.75"}));
}

TEST(EmwSavedStates, deepNesting_isBoundedAndPlayable) {
  EmfBuilder picture;
  for (int i = 0; i < 5000; ++i) picture.saveDC();
  for (int i = 0; i < 5000; ++i) picture.restoreDC(-1);
  picture.moveTo(40, 20).lineTo(0, 0);
  int dropped = 0;
  const Lines lines = PlayLines(picture.bytes(), 72, &dropped);
  EXPECT_EQ(dropped, 5000 - 1024);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines.back(), "S");
}

TEST(EmwClipping, secondIntersectClipRect_intersectsWithTheFirst) {
  // Only the clip in force when something is drawn is shown.
  const Lines lines = PlayLines(EmfBuilder()
                                    .intersectClipRect({0, 0, 40, 40})
                                    .intersectClipRect({20, 0, 80, 40})
                                    .lineTo(40, 0)
                                    .bytes());
  EXPECT_EQ(lines, (Lines{"q", "15 45 15 30 re", "W", "n", "0 75 m", "30 75 l", "S", "Q"}));
}

TEST(EmwClipping, extSelectClipRgn_combinesByModeAndEmptyRegionRemovesTheClip) {
  const Lines lines = PlayLines(EmfBuilder()
                                    .intersectClipRect({0, 0, 40, 40})
                                    .lineTo(40, 0)
                                    .extSelectClipRgn({{0, 0, 40, 40}, {80, 0, 120, 40}}, 2)
                                    .lineTo(0, 0)
                                    .extSelectClipRgn({})
                                    .lineTo(40, 0)
                                    .bytes());
  EXPECT_EQ(lines, (Lines{"q",
                          "0 45 30 30 re",
                          "W",
                          "n",
                          "0 75 m",
                          "30 75 l",
                          "S",
                          "Q",
                          "q",
                          "0 45 30 30 re",
                          "60 45 30 30 re",
                          "W",
                          "n",
                          "30 75 m",
                          "0 75 l",
                          "S",
                          "Q",
                          "0 75 m",
                          "30 75 l",
                          "S"}));
}

// A drawing's state is written before the clip's q, so it outlives the Q.
TEST(EmwClipping, restoreDCWithAClip_closesItAndKeepsTheState) {
  const Lines lines = PlayLines(EmfBuilder()
                                    .createPen(1, 0, 2, 0x0000FF)
                                    .selectObject(1)
                                    .saveDC()
                                    .intersectClipRect({0, 0, 40, 40})
                                    .lineTo(40, 0)
                                    .restoreDC(-1)
                                    .lineTo(0, 0)
                                    .bytes());
  EXPECT_EQ(lines, (Lines{"1 0 0 RG", "1.5 w", "q", "0 45 30 30 re", "W", "n", "0 75 m", "30 75 l",
                          "S", "Q", "30 75 m", "0 75 l", "S"}));
}

TEST(EmwClipping, selectClipPath_clipsToTheBracketPath) {
  const Lines lines = PlayLines(EmfBuilder()
                                    .beginPath()
                                    .rectangle({0, 0, 40, 40})
                                    .endPath()
                                    .selectClipPath()
                                    .lineTo(40, 0)
                                    .bytes());
  EXPECT_EQ(lines,
            (Lines{"q", "0 75 m", "0 45 30 30 re", "W*", "n", "0 75 m", "30 75 l", "S", "Q"}));
  EXPECT_EQ(
      PlayLines(
          EmfBuilder().beginPath().rectangle({0, 0, 40, 40}).endPath().selectClipPath().bytes()),
      Lines{});  // a clip nothing is drawn under is not written
}

// Only construction may stand between a path's first operator and its
// painting or clip: state changed inside a bracket is written with the
// painting.
TEST(EmwClipping, stateChangedInsideABracket_landsBeforeThePath) {
  const Lines lines = PlayLines(EmfBuilder()
                                    .beginPath()
                                    .lineTo(40, 0)
                                    .createPen(1, 0, 2, 0x0000FF)
                                    .selectObject(1)
                                    .lineTo(40, 40)
                                    .endPath()
                                    .strokePath()
                                    .bytes());
  EXPECT_EQ(lines, (Lines{"1 0 0 RG", "1.5 w", "0 75 m", "30 75 l", "30 45 l", "S"}));
}

TEST(EmwTextColour, drawingAfterText_fillsWithTheBrush) {
  std::vector<uint8_t> text(76, 0);
  const Lines lines = PlayLines(EmfBuilder()
                                    .createBrushIndirect(1, 0, 0x00FF00)
                                    .selectObject(1)
                                    .record(84, text)
                                    .setTextColor(0x0000FF)
                                    .rectangle({0, 0, 40, 40})
                                    .bytes());
  EXPECT_EQ(lines, (Lines{"0 1 0 rg", "0 45 30 30 re", "B"}));
}

}  // namespace

namespace {

// A region painted with a DIB pattern brush takes its pattern's mean colour.
TEST(EmwObjects, dibPatternBrush_fillsRegionsWithItsMeanColour) {
  const auto dib = emfbuild::Dib1(2, 2, {true, false, false, true}, 0x000000, 0xFFFFFF);
  std::vector<uint8_t> p;
  const uint32_t offBmi = 32, offBits = offBmi + static_cast<uint32_t>(dib.info.size());
  for (uint32_t v : {1u, 0u, offBmi, static_cast<uint32_t>(dib.info.size()), offBits,
                     static_cast<uint32_t>(dib.bits.size())})
    emfbuild::PutU32(p, v);
  p.insert(p.end(), dib.info.begin(), dib.info.end());
  p.insert(p.end(), dib.bits.begin(), dib.bits.end());
  const Lines lines =
      PlayLines(EmfBuilder().record(94, p).selectObject(1).fillRgn({{0, 0, 40, 40}}).bytes());
  EXPECT_EQ(lines, (Lines{"0.5 0.5 0.5 rg", "0 45 30 30 re", "f"}));
}

}  // namespace
