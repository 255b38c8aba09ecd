#include "platform/raster_ops.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

constexpr TColor kRed = MakeColor(255, 0, 0);
constexpr TColor kCyan = MakeColor(0, 255, 255);
constexpr TColor kGrey = MakeColor(0x80, 0x80, 0x80);

TDibPixels OnePixel(TColor color, bool present = true) {
  return TDibPixels{1, 1, {color}, {static_cast<uint8_t>(present)}, {}};
}

TEST(RasterOps, everySupportedOperationOnAFreshBitmap) {
  // Destination black (a new bitmap), pattern white (the default brush),
  // source red.
  struct Case {
    const char* name;
    uint32_t rop;
    TColor expected;
  };
  const Case kCases[] = {
      {"BLACKNESS", BLACKNESS, kBlack},  {"NOTSRCERASE", NOTSRCERASE, kCyan},
      {"NOTSRCCOPY", NOTSRCCOPY, kCyan}, {"SRCERASE", SRCERASE, kRed},
      {"DSTINVERT", DSTINVERT, kWhite},  {"SRCINVERT", SRCINVERT, kRed},
      {"SRCAND", SRCAND, kBlack},        {"MERGEPAINT", MERGEPAINT, kCyan},
      {"MERGECOPY", MERGECOPY, kRed},    {"SRCCOPY", SRCCOPY, kRed},
      {"SRCPAINT", SRCPAINT, kRed},      {"PATCOPY", PATCOPY, kWhite},
      {"PATPAINT", PATPAINT, kWhite},    {"WHITENESS", WHITENESS, kWhite},
  };
  for (const Case& c : kCases) {
    EXPECT_TRUE(IsSupportedRop(c.rop)) << c.name;
    TBitmap bitmap(1, 1, TPixelFormat::pf24bit);
    CopyPixels(bitmap, OnePixel(kRed), c.rop);
    EXPECT_EQ(bitmap.Pixel(0, 0), c.expected) << c.name;
  }
  EXPECT_FALSE(IsSupportedRop(PATINVERT));
}

TEST(RasterOps, combinesWithTheDestinationBitByBit) {
  EXPECT_EQ(ApplyRop(SRCAND, kWhite, kRed, MakeColor(0x80, 0x40, 0)), MakeColor(0x80, 0, 0));
  EXPECT_EQ(ApplyRop(SRCPAINT, kWhite, kRed, kGrey), MakeColor(0xFF, 0x80, 0x80));
  EXPECT_EQ(ApplyRop(SRCINVERT, kWhite, kGrey, kGrey), kBlack);
  EXPECT_EQ(ApplyRop(MERGECOPY, kGrey, kRed, kBlack), MakeColor(0x80, 0, 0));
}

TEST(RasterOps, missingSourcePixelsLeaveTheDestination) {
  TBitmap bitmap(1, 1, TPixelFormat::pf24bit);
  bitmap.Fill(kGrey);
  CopyPixels(bitmap, OnePixel(kRed, false), SRCCOPY);
  EXPECT_EQ(bitmap.Pixel(0, 0), kGrey);
}

TEST(RasterOps, monochromeDestinationsTakeColoursAsBlackOrWhite) {
  TBitmap bitmap(3, 1, TPixelFormat::pf1bit);
  const TDibPixels source{
      3, 1, {kWhite, MakeColor(30, 30, 200), MakeColor(250, 240, 100)}, {1, 1, 1}, {}};
  CopyPixels(bitmap, source, SRCCOPY);
  EXPECT_EQ(bitmap.Row(0)[0], 0xA0);  // white, black, white
  CopyPixels(bitmap, source, NOTSRCCOPY);
  EXPECT_EQ(bitmap.Row(0)[0] & 0xE0, 0x40);
  CopyPixels(bitmap, source, WHITENESS);
  EXPECT_EQ(bitmap.Row(0)[0] & 0xE0, 0xE0);
}

TEST(RasterOps, alphaBlendMixesOntoThePaper) {
  struct Case {
    const char* name;
    TColor source;
    std::vector<uint8_t> alpha;
    uint32_t blend;  // AlphaFormat << 24 | SourceConstantAlpha << 16
    TColor expected;
  };
  const Case kCases[] = {
      {"opaque constant", kRed, {}, 0x00FF0000, kRed},
      {"half constant", kBlack, {}, 0x00800000, MakeColor(0x7F, 0x7F, 0x7F)},
      {"transparent pixel", kBlack, {0}, 0x01FF0000, kWhite},
      {"premultiplied half red",
       MakeColor(0x80, 0, 0),
       {0x80},
       0x01FF0000,
       MakeColor(0xFF, 0x7F, 0x7F)},
      {"alpha ignored without AC_SRC_ALPHA", kBlack, {0}, 0x00FF0000, kBlack},
  };
  for (const Case& c : kCases) {
    TBitmap paper(1, 1, TPixelFormat::pf24bit);
    paper.Fill(kWhite);
    TDibPixels source = OnePixel(c.source);
    source.alpha = c.alpha;
    AlphaBlendPixels(paper, source, c.blend);
    EXPECT_EQ(paper.Pixel(0, 0), c.expected) << c.name;
  }
}

TEST(Bitmap, mirrorsBothWaysInBothFormats) {
  for (TPixelFormat format : {TPixelFormat::pf24bit, TPixelFormat::pf1bit}) {
    TBitmap bitmap(9, 2, format);
    bitmap.SetPixel(0, 0, kWhite);
    bitmap.MirrorHorizontal();
    EXPECT_EQ(bitmap.Pixel(8, 0), kWhite);
    EXPECT_EQ(bitmap.Pixel(0, 0), kBlack);
    bitmap.MirrorVertical();
    EXPECT_EQ(bitmap.Pixel(8, 1), kWhite);
    EXPECT_EQ(bitmap.Pixel(8, 0), kBlack);
  }
}

TEST(Bitmap, refusesSizesWithoutPixelsOrBeyondTheCap) {
  EXPECT_FALSE(TBitmap::SizeAllowed(0, 5));
  EXPECT_FALSE(TBitmap::SizeAllowed(5, -1));
  EXPECT_FALSE(TBitmap::SizeAllowed(int64_t{1} << 20, int64_t{1} << 20));
  EXPECT_TRUE(TBitmap::SizeAllowed(4960, 7016));  // A4 at 600 dpi
  EXPECT_THROW(TBitmap(0, 1, TPixelFormat::pf24bit), std::length_error);
}

// Each binary code is the ternary code of the same truth table over the
// pattern and destination, whatever the source; the operands a code uses
// follow from its table.
TEST(RasterOps, binaryCodesBecomeTernaryCodesAndCodesKnowTheirOperands) {
  const TColor pen = MakeColor(0x40, 0xA0, 0xE0), under = MakeColor(0xC8, 0x96, 0x32);
  auto p = [&](int bit) { return bit ? pen : ~pen & 0xFFFFFF; };
  struct Case {
    uint32_t rop2;
    TColor expected;
  };
  const Case kCases[] = {
      {1, kBlack},
      {2, ~(pen | under) & 0xFFFFFF},   // R2_NOTMERGEPEN
      {3, ~pen & under},                // R2_MASKNOTPEN
      {5, pen & ~under & 0xFFFFFF},     // R2_MASKPENNOT
      {6, ~under & 0xFFFFFF},           // R2_NOT
      {7, pen ^ under},                 // R2_XORPEN
      {10, ~(pen ^ under) & 0xFFFFFF},  // R2_NOTXORPEN
      {11, under},                      // R2_NOP
      {12, (~pen & 0xFFFFFF) | under},  // R2_MERGENOTPEN
      {13, p(1)},                       // R2_COPYPEN
      {14, pen | (~under & 0xFFFFFF)},  // R2_MERGEPENNOT
      {16, kWhite},
  };
  for (const Case& c : kCases) {
    const uint32_t rop = RopOfRop2(c.rop2);
    for (TColor source : {kBlack, kRed, kWhite})
      EXPECT_EQ(ApplyRop(rop, pen, source, under), c.expected) << c.rop2;
    EXPECT_FALSE(RopUsesSource(rop)) << c.rop2;
  }
  EXPECT_EQ(RopOfRop2(0), 0u);
  EXPECT_EQ(RopOfRop2(17), 0u);
  EXPECT_EQ(RopOfRop2(13) >> 16, PATCOPY >> 16);
  EXPECT_EQ(RopOfRop2(6) >> 16, DSTINVERT >> 16);

  EXPECT_TRUE(RopUsesSource(SRCCOPY) && !RopUsesPattern(SRCCOPY) && !RopUsesDestination(SRCCOPY));
  EXPECT_TRUE(RopUsesPattern(MERGECOPY) && RopUsesSource(MERGECOPY));
  EXPECT_FALSE(RopUsesDestination(MERGECOPY));
  EXPECT_TRUE(RopUsesDestination(SRCAND) && !RopUsesPattern(SRCAND));
  EXPECT_TRUE(RopUsesDestination(PATINVERT) && !RopUsesSource(PATINVERT));
  EXPECT_FALSE(RopUsesPattern(BLACKNESS) || RopUsesSource(BLACKNESS) ||
               RopUsesDestination(BLACKNESS));
}

}  // namespace
}  // namespace platform
