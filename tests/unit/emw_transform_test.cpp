// Rotating and mirroring world transforms on what Wine cannot show us:
// ellipses, bitmaps and text turn with the matrix (x becomes 0.75 x and y
// becomes 75 - 0.75 y at resolution 72).
#include <gtest/gtest.h>

#include <algorithm>

#include "support/emf_builder.h"
#include "support/emw_play_support.h"

namespace {

using emfbuild::EmfBuilder;
using emw_test::PlayLines;
using Lines = std::vector<std::string>;

// 90 degrees clockwise on the device: x' = 100 - y, y' = x.
constexpr emfbuild::Xform kQuarterTurn{0, 1, -1, 0, 100, 0};

std::string LineEndingWith(const Lines& lines, const std::string& op) {
  const auto it = std::find_if(lines.begin(), lines.end(),
                               [&](const std::string& l) { return l.ends_with(" " + op); });
  return it == lines.end() ? std::string() : *it;
}

TEST(EmwTransform, rotatedEllipse_turnsItsAxes) {
  const Lines lines =
      PlayLines(EmfBuilder().setWorldTransform(kQuarterTurn).ellipse({0, 0, 40, 20}).bytes());
  // (40, 10), the end of the long axis, lands at (90, 40); the curve ends at
  // (20, 20) -> (80, 20).
  EXPECT_EQ(LineEndingWith(lines, "m"), "67.5 45 m");
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& l) { return l.ends_with(" c"); }),
            4);
  EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                         [](const std::string& l) { return l.find(" 60 60 c") != l.npos; }),
            lines.end());
}

TEST(EmwTransform, rotatedBitmap_isPlacedByItsCorners) {
  const auto dib = emfbuild::Dib24(2, 2, std::vector<uint32_t>(4, 0));
  const Lines lines =
      PlayLines(EmfBuilder()
                    .setWorldTransform(kQuarterTurn)
                    .stretchDIBits({0, 0, 99, 99}, {0, 0}, 40, 20, {0, 0}, 2, 2, 0x00CC0020, dib)
                    .bytes());
  // Top-left (0,0) -> (100,0), top-right (40,0) -> (100,40), bottom-left
  // (0,20) -> (80,0): the unit square's x axis runs down the page.
  EXPECT_EQ(LineEndingWith(lines, "cm"), "0 -30 15 0 60 75 cm");
}

std::vector<uint8_t> TextOutA(int32_t x, int32_t y) {
  std::vector<uint8_t> p;
  emfbuild::PutRect(p, {0, 0, 0, 0});
  emfbuild::PutU32(p, 1);
  emfbuild::PutF32(p, 1);
  emfbuild::PutF32(p, 1);
  emfbuild::PutI32(p, x);
  emfbuild::PutI32(p, y);
  emfbuild::PutU32(p, 1);   // nChars
  emfbuild::PutU32(p, 76);  // offString, after the fixed part
  emfbuild::PutU32(p, 0);   // options
  emfbuild::PutRect(p, {0, 0, 0, 0});
  emfbuild::PutU32(p, 0);  // offDx
  p.insert(p.end(), {'A', 0, 0, 0});
  return p;
}

TEST(EmwTransform, textTurnsWithTheTransform) {
  auto matrix = [](const emfbuild::Xform& world, int32_t escapement) {
    const Lines lines = PlayLines(EmfBuilder()
                                      .setWorldTransform(world)
                                      .extCreateFontIndirectW(1, -16, u"Arial", 400, escapement)
                                      .selectObject(1)
                                      .record(83, TextOutA(20, 20))  // EMR_EXTTEXTOUTA
                                      .bytes());
    const std::string tm = LineEndingWith(lines, "Tm");
    return tm.substr(0, tm.find(' ', tm.find(' ') + 1));  // the first two factors
  };
  EXPECT_EQ(matrix({1, 0, 0, 1, 0, 0}, 900), "0 12");
  EXPECT_EQ(matrix(kQuarterTurn, 0), "0 -12");
  // y flipped by the world transform: text turned up turns down.
  EXPECT_EQ(matrix({1, 0, 0, -1, 0, 100}, 900), "0 -12");
}

}  // namespace

namespace {

TEST(EmwTransform, plgBlt_placesTheBitmapOnItsParallelogram) {
  const auto dib = emfbuild::Dib24(2, 2, std::vector<uint32_t>(4, 0));
  std::vector<uint8_t> p;
  emfbuild::PutRect(p, {0, 0, 99, 99});
  for (int32_t v : {20, 0, 60, 20, 0, 40}) emfbuild::PutI32(p, v);  // the three corners
  for (int32_t v : {0, 0, 2, 2}) emfbuild::PutI32(p, v);            // source area
  for (int i = 0; i < 6; ++i) emfbuild::PutF32(p, i == 0 || i == 3 ? 1 : 0);
  emfbuild::PutU32(p, 0);  // crBkColorSrc
  emfbuild::PutU32(p, 0);  // DIB_RGB_COLORS
  const uint32_t offBmi = 140, offBits = offBmi + static_cast<uint32_t>(dib.info.size());
  for (uint32_t v : {offBmi, static_cast<uint32_t>(dib.info.size()), offBits,
                     static_cast<uint32_t>(dib.bits.size())})
    emfbuild::PutU32(p, v);
  for (int i = 0; i < 7; ++i) emfbuild::PutU32(p, 0);  // no mask
  p.insert(p.end(), dib.info.begin(), dib.info.end());
  p.insert(p.end(), dib.bits.begin(), dib.bits.end());
  const Lines lines = PlayLines(EmfBuilder().record(79, p).bytes());  // EMR_PLGBLT
  // Corners (20, 0), (60, 20), (0, 40): x axis (30, -15), y axis (15, 30)
  // from the lower-left corner (0, 75 - 30).
  EXPECT_EQ(LineEndingWith(lines, "cm"), "30 -15 15 30 0 45 cm");
}

}  // namespace

namespace {

// Cosmetic dashes in device pixels (18 on, 6 off), geometric pens with the
// end cap and join they were made with.
TEST(EmwPens, dashesAndCapsFollowThePen) {
  // The state written for a line drawn with the pen, before its path.
  auto stateOf = [](EmfBuilder picture) {
    Lines lines = PlayLines(picture.selectObject(1).moveTo(0, 0).lineTo(40, 0).bytes());
    lines.erase(std::find(lines.begin(), lines.end(), "0 75 m"), lines.end());
    return lines;
  };
  EXPECT_EQ(stateOf(EmfBuilder().createPen(1, 1, 0, 0)), (Lines{"[13.5 4.5] 0 d"}));
  EXPECT_EQ(stateOf(EmfBuilder().extCreatePen(1, 8, 1, 0)),  // PS_ALTERNATE
            (Lines{"[0.75 0.75] 0 d"}));
  // PS_GEOMETRIC | PS_ENDCAP_FLAT | PS_JOIN_ROUND, 4 units wide.
  EXPECT_EQ(stateOf(EmfBuilder().extCreatePen(1, 0x10200, 4, 0)), (Lines{"3 w", "0 J", "1 j"}));
  // A geometric PS_DASH dashes in multiples of its width: 3 on, 1 off.
  EXPECT_EQ(stateOf(EmfBuilder().extCreatePen(1, 0x10001, 4, 0)),
            (Lines{"3 w", "[9 3] 0 d", "1 J", "1 j"}));
}

// Geometric dashes are logical lengths: under a world transform turned by
// 30 degrees and scaled they scale as the pen's width does, whether the pen
// comes before or after the transform. Wine draws these pens thin and
// solid, so the dash array written is what is checked.
TEST(EmwPens, geometricDashes_followTheWorldScale) {
  constexpr float cosine = 0.8660254f, sine = 0.5f;
  const emfbuild::Xform turnedTwice{2 * cosine, 2 * sine, -2 * sine, 2 * cosine, 20, 20};
  auto userStylePen = [](EmfBuilder& b) {  // PS_GEOMETRIC | PS_USERSTYLE, 2 wide: 8 on, 4 off
    std::vector<uint8_t> p;
    for (uint32_t v : {1u, 0u, 0u, 0u, 0u, 0x10007u, 2u, 0u, 0u, 0u, 2u, 8u, 4u})
      emfbuild::PutU32(p, v);
    b.record(95, p);
  };
  const struct {
    const char* name;
    EmfBuilder picture;
    const char* dash;
    const char* width;
  } cases[] = {
      {"dash, pen first",
       EmfBuilder()
           .extCreatePen(1, 0x10201, 3, 0)
           .selectObject(1)
           .setWorldTransform(turnedTwice)
           .lineTo(80, 0),
       "[13.5 4.5] 0 d", "4.5 w"},
      {"dot, transform first",
       EmfBuilder()
           .setWorldTransform(turnedTwice)
           .extCreatePen(1, 0x10202, 4, 0)
           .selectObject(1)
           .lineTo(80, 0),
       "[6 6] 0 d", "6 w"},
      {"user style",
       [&] {
         EmfBuilder b;
         b.setWorldTransform(turnedTwice);
         userStylePen(b);
         return b.selectObject(1).lineTo(80, 0);
       }(),
       "[12 6] 0 d", "3 w"},
      // x scaled by 2, y by 1: the dashes take the scale the width takes.
      {"stretched",
       EmfBuilder()
           .extCreatePen(1, 0x10201, 3, 0)
           .selectObject(1)
           .setWorldTransform({2, 0, 0, 1, 0, 0})
           .lineTo(0, 80),
       "[13.5 4.5] 0 d", "4.5 w"},
  };
  for (const auto& c : cases) {
    const Lines lines = PlayLines(c.picture.bytes());
    const auto stroke = std::find(lines.begin(), lines.end(), "S");
    ASSERT_NE(stroke, lines.end()) << c.name;
    const auto dash = std::find_if(std::make_reverse_iterator(stroke), lines.rend(),
                                   [](const std::string& l) { return l.ends_with(" d"); });
    ASSERT_NE(dash, lines.rend()) << c.name;
    EXPECT_EQ(*dash, c.dash) << c.name;
    EXPECT_NE(std::find(lines.begin(), stroke, c.width), stroke) << c.name;
  }
}

}  // namespace
