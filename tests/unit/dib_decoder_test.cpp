#include "platform/dib_decoder.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>

namespace platform {
namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(Bytes& out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

// A BITMAPINFOHEADER followed by `table` (colour table or masks).
Bytes Info(int32_t width, int32_t height, uint16_t bitCount, uint32_t compression,
           const Bytes& table = {}, uint32_t colorsUsed = 0) {
  Bytes out;
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(width));
  Put32(out, static_cast<uint32_t>(height));
  Put16(out, 1);
  Put16(out, bitCount);
  Put32(out, compression);
  for (int i = 0; i < 3; ++i) Put32(out, 0);  // size, resolution
  Put32(out, colorsUsed);
  Put32(out, 0);
  out.insert(out.end(), table.begin(), table.end());
  return out;
}

// RGBQUADs from colours.
Bytes Table(std::initializer_list<TColor> colors) {
  Bytes out;
  for (TColor c : colors) {
    out.push_back(ColorBlue(c));
    out.push_back(ColorGreen(c));
    out.push_back(ColorRed(c));
    out.push_back(0);
  }
  return out;
}

constexpr TColor kRed = MakeColor(255, 0, 0);
constexpr TColor kGreen = MakeColor(0, 255, 0);
constexpr TColor kBlue = MakeColor(0, 0, 255);

TDibPixels ReadAll(const Bytes& info, const Bytes& bits, uint32_t usage = DIB_RGB_COLORS) {
  TDibDecoder decoder;
  EXPECT_TRUE(decoder.Load(info, bits, usage));
  return decoder.ReadArea(0, 0, decoder.Width(), decoder.Height());
}

TEST(DibDecoder, readsEveryUncompressedDepthTopRowFirst) {
  struct Case {
    const char* name;
    Bytes info;
    Bytes bits;                    // two rows of two pixels, bottom row first unless top-down
    std::vector<TColor> expected;  // top-down
  };
  const Case kCases[] = {
      {"1 bit",
       Info(2, 2, 1, BI_RGB, Table({kRed, kBlue})),
       {0x40, 0, 0, 0, 0x80, 0, 0, 0},
       {kBlue, kRed, kRed, kBlue}},
      {"4 bit",
       Info(2, 2, 4, BI_RGB, Table({kRed, kGreen, kBlue}), 3),
       {0x12, 0, 0, 0, 0x20, 0, 0, 0},
       {kBlue, kRed, kGreen, kBlue}},
      {"8 bit, index past the table",
       Info(2, 2, 8, BI_RGB, Table({kRed, kGreen}), 2),
       {1, 0, 0, 0, 7, 1, 0, 0},
       {kBlack, kGreen, kGreen, kRed}},
      {"16 bit 5-5-5",
       Info(2, 2, 16, BI_RGB),
       {0x00, 0x7C, 0x1F, 0x00, 0xE0, 0x03, 0xFF, 0x7F},
       {kGreen, kWhite, kRed, kBlue}},
      {"16 bit 5-6-5 bit fields",
       Info(2, 2, 16, BI_BITFIELDS,
            [] {
              Bytes m;
              Put32(m, 0xF800);
              Put32(m, 0x07E0);
              Put32(m, 0x001F);
              return m;
            }()),
       {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0x00, 0x00},
       {kBlue, kBlack, kRed, kGreen}},
      {"24 bit top-down",
       Info(2, -2, 24, BI_RGB),
       {0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0},
       {kRed, kGreen, kBlue, kWhite}},
      {"32 bit",
       Info(2, 2, 32, BI_RGB),
       {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 1, 2, 3, 0},
       {kBlue, MakeColor(3, 2, 1), kRed, kGreen}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const TDibPixels pixels = ReadAll(c.info, c.bits);
    EXPECT_EQ(pixels.colors, c.expected);
    EXPECT_EQ(pixels.present, std::vector<uint8_t>(4, 1));
  }
}

TEST(DibDecoder, paletteColorsIndexTheDefaultPalette) {
  Bytes indices;
  Put16(indices, 13);  // red
  Put16(indices, 19);  // white
  const TDibPixels pixels =
      ReadAll(Info(2, 1, 1, BI_RGB, indices, 2), {0x40, 0, 0, 0}, DIB_PAL_COLORS);
  EXPECT_EQ(pixels.colors, (std::vector<TColor>{kRed, kWhite}));
}

// The fourth byte is alpha without masks and with masks that leave it free
// (icons drawn with AlphaBlend come as BI_BITFIELDS); a mask that takes it
// for a colour leaves no alpha.
TEST(DibDecoder, thirtyTwoBitPixelsKeepTheirAlpha) {
  Bytes standard, wide;
  for (uint32_t mask : {0xFF0000u, 0x00FF00u, 0x0000FFu}) Put32(standard, mask);
  for (uint32_t mask : {0xFFC00000u, 0x003FF000u, 0x00000FFCu}) Put32(wide, mask);
  const TDibPixels plain = ReadAll(Info(1, 1, 32, BI_RGB), {10, 20, 30, 128});
  const TDibPixels fields = ReadAll(Info(1, 1, 32, BI_BITFIELDS, standard), {10, 20, 30, 128});
  const TDibPixels taken = ReadAll(Info(1, 1, 32, BI_BITFIELDS, wide), {10, 20, 30, 128});
  ASSERT_EQ(plain.alpha.size(), 1u);
  EXPECT_EQ(plain.alpha[0], 128);
  ASSERT_EQ(fields.alpha.size(), 1u);
  EXPECT_EQ(fields.alpha[0], 128);
  EXPECT_EQ(fields.colors, plain.colors);
  EXPECT_TRUE(taken.alpha.empty());
}

TEST(DibDecoder, areaOutsideTheDibHasNoPixels) {
  TDibDecoder decoder;
  const Bytes info = Info(2, 2, 24, BI_RGB);
  const Bytes bits(16, 0xFF);
  ASSERT_TRUE(decoder.Load(info, bits, DIB_RGB_COLORS));
  const TDibPixels area = decoder.ReadArea(1, -1, 3, 2);
  EXPECT_EQ(area.present, (std::vector<uint8_t>{0, 0, 0, 1, 0, 0}));
  EXPECT_EQ(area.colors[3], kWhite);
}

TEST(DibDecoder, scanLinesForSetDIBitsCoverOnlyTheirRows) {
  // Three-row bottom-up DIB of which the bits hold scan line 1 only.
  TDibDecoder decoder;
  const Bytes info = Info(1, 3, 24, BI_RGB);
  const Bytes bits = {0, 0, 255, 0};
  ASSERT_TRUE(decoder.Load(info, bits, DIB_RGB_COLORS, 1, 1));
  const TDibPixels area = decoder.ReadArea(0, 0, 1, 3);
  EXPECT_EQ(area.present, (std::vector<uint8_t>{0, 1, 0}));
  EXPECT_EQ(area.colors[1], kRed);
}

TEST(DibDecoder, runLengthDibsDecodeRunsJumpsAndAbsoluteRuns) {
  const Bytes table = Table({kBlack, kRed, kGreen, kBlue});
  // 4 x 3, bottom line first: run of 3 red, end of line; absolute 3 pixels
  // (green, blue, red) padded, end of line; jump (1, 0), 1 blue, end of bitmap.
  const Bytes rle8 = {3, 1, 0, 0, 0, 3, 2, 3, 1, 0, 0, 0, 0, 2, 1, 0, 1, 3, 0, 1};
  const TDibPixels eight = ReadAll(Info(4, 3, 8, BI_RLE8, table, 4), rle8);
  EXPECT_EQ(eight.colors, (std::vector<TColor>{kBlack, kBlue, kBlack, kBlack,  //
                                               kGreen, kBlue, kRed, kBlack,    //
                                               kRed, kRed, kRed, kBlack}));
  EXPECT_EQ(eight.present, (std::vector<uint8_t>{0, 1, 0, 0, 1, 1, 1, 0, 1, 1, 1, 0}));

  // RLE4: run of 4 alternating red/green, end of line; absolute 3 nibbles.
  const Bytes rle4 = {4, 0x12, 0, 0, 0, 3, 0x31, 0x20, 0, 1};
  const TDibPixels four = ReadAll(Info(4, 2, 4, BI_RLE4, table, 4), rle4);
  EXPECT_EQ(four.colors, (std::vector<TColor>{kBlue, kRed, kGreen, kBlack,  //
                                              kRed, kGreen, kRed, kGreen}));
}

// Bands and single lines of a run-length DIB read as the whole does, and a
// smaller output takes the nearest pixels.
TEST(DibDecoder, areasInBandsMatchTheWholeAndSampleDown) {
  const Bytes table = Table({kBlack, kRed, kGreen, kBlue});
  const Bytes rle8 = {3, 1, 0, 0, 0, 3, 2, 3, 1, 0, 0, 0, 0, 2, 1, 0, 1, 3, 0, 1};
  TDibDecoder decoder;
  const Bytes info = Info(4, 3, 8, BI_RLE8, table, 4);
  ASSERT_TRUE(decoder.Load(info, rle8, DIB_RGB_COLORS));
  const TDibPixels whole = decoder.ReadArea(0, 0, 4, 3);
  for (int line = 0; line < 3; ++line) {
    const TDibPixels one = decoder.ReadArea(0, line, 4, 1);
    EXPECT_EQ(one.colors, std::vector<TColor>(whole.colors.begin() + line * 4,
                                              whole.colors.begin() + line * 4 + 4));
  }
  const struct {
    int width, height;
    std::vector<TColor> colors;
  } kCases[] = {
      {4, 3, whole.colors},
      {2, 1, {kBlue, kBlack}},       // centre line 1, columns 1 and 3
      {1, 3, {kBlack, kRed, kRed}},  // column 2
  };
  for (const auto& c : kCases) {
    std::vector<TColor> got(static_cast<size_t>(c.width * c.height), 0x123456);
    decoder.ReadAreaInBands(0, 0, 4, 3, c.width, c.height, [&](const TDibPixels& band, int top) {
      std::copy(band.colors.begin(), band.colors.end(), got.begin() + top * c.width);
    });
    EXPECT_EQ(got, c.colors) << c.width << " x " << c.height;
  }
}

TEST(DibDecoder, runLengthOutputIsClippedToTheBitmap) {
  const Bytes table = Table({kBlack, kRed});
  // A run of 200 on a 2-pixel line, a jump far away, an absolute run that
  // claims more bytes than there are.
  const Bytes rle = {200, 1, 0, 2, 255, 255, 0, 0, 0, 9, 1, 1};
  TDibDecoder decoder;
  const Bytes info = Info(2, 2, 8, BI_RLE8, table, 2);
  ASSERT_TRUE(decoder.Load(info, rle, DIB_RGB_COLORS));
  const TDibPixels pixels = decoder.ReadArea(0, 0, 2, 2);
  EXPECT_EQ(pixels.present, (std::vector<uint8_t>{0, 0, 1, 1}));
}

TEST(DibDecoder, malformedDibsAreRefused) {
  const Bytes fourBytes(4, 0);
  Bytes masksMissing = Info(2, 2, 16, BI_BITFIELDS);
  Bytes headerTooLong = Info(2, 2, 24, BI_RGB);
  headerTooLong[0] = 200;
  Bytes headerTooShort = Info(2, 2, 24, BI_RGB);
  headerTooShort[0] = 20;
  struct Case {
    const char* name;
    Bytes info;
    Bytes bits;
    uint32_t usage;
  };
  const Case kCases[] = {
      {"no header", {}, Bytes(16), DIB_RGB_COLORS},
      {"header size past the info", headerTooLong, Bytes(16), DIB_RGB_COLORS},
      {"header size unknown", headerTooShort, Bytes(16), DIB_RGB_COLORS},
      {"bit count 3", Info(2, 2, 3, BI_RGB), Bytes(16), DIB_RGB_COLORS},
      {"bit count 0", Info(2, 2, 0, BI_RGB), Bytes(16), DIB_RGB_COLORS},
      {"width 0", Info(0, 2, 24, BI_RGB), Bytes(16), DIB_RGB_COLORS},
      {"negative width", Info(-2, 2, 24, BI_RGB), Bytes(16), DIB_RGB_COLORS},
      {"height 0", Info(2, 0, 24, BI_RGB), Bytes(16), DIB_RGB_COLORS},
      {"smallest height", Info(2, INT32_MIN, 24, BI_RGB), Bytes(16), DIB_RGB_COLORS},
      {"bits short by a byte", Info(2, 2, 24, BI_RGB), Bytes(15), DIB_RGB_COLORS},
      {"huge width, few bits", Info(INT32_MAX, 1, 32, BI_RGB), Bytes(16), DIB_RGB_COLORS},
      {"huge height, few bits", Info(1, INT32_MAX, 1, BI_RGB), Bytes(16), DIB_RGB_COLORS},
      {"bit fields without masks", masksMissing, Bytes(16), DIB_RGB_COLORS},
      {"bit fields of 24 bits", Info(2, 2, 24, BI_BITFIELDS, Bytes(12)), Bytes(16), DIB_RGB_COLORS},
      {"top-down RLE", Info(2, -2, 8, BI_RLE8), Bytes(16), DIB_RGB_COLORS},
      {"RLE8 of 4 bits", Info(2, 2, 4, BI_RLE8), Bytes(16), DIB_RGB_COLORS},
      {"RLE without bits", Info(2, 2, 8, BI_RLE8), {}, DIB_RGB_COLORS},
      {"JPEG", Info(2, 2, 0, BI_JPEG), Bytes(16), DIB_RGB_COLORS},
      {"unknown usage", Info(2, 2, 24, BI_RGB), Bytes(16), 7},
      {"four bytes", fourBytes, Bytes(16), DIB_RGB_COLORS},
  };
  for (const Case& c : kCases) {
    TDibDecoder decoder;
    EXPECT_FALSE(decoder.Load(c.info, c.bits, c.usage)) << c.name;
  }
}

TEST(DibDecoder, shortColourTableGivesBlackForMissingEntries) {
  // An 8-bit DIB that declares 256 colours but carries one.
  const TDibPixels pixels = ReadAll(Info(2, 1, 8, BI_RGB, Table({kRed}), 256), {0, 200, 0, 0});
  EXPECT_EQ(pixels.colors, (std::vector<TColor>{kRed, kBlack}));
}

TEST(DibDecoder, randomBytesNeverReadOutOfBounds) {
  // Run under the sanitizer build, this finds reads past the given spans.
  std::mt19937 random(11);
  const uint16_t bitCounts[] = {1, 4, 8, 16, 24, 32};
  for (int round = 0; round < 3000; ++round) {
    const uint32_t compression = random() % 4;
    Bytes info =
        Info(static_cast<int32_t>(random() % 40) - 2, static_cast<int32_t>(random() % 40) - 20,
             bitCounts[random() % 6], compression, Bytes(random() % 64), random() % 300);
    Bytes bits(random() % 400);
    for (uint8_t& b : bits) b = static_cast<uint8_t>(random());
    if (round % 7 == 0) info.resize(random() % info.size());
    TDibDecoder decoder;
    if (!decoder.Load(info, bits, random() % 2)) continue;
    const TDibPixels area = decoder.ReadArea(static_cast<int>(random() % 10) - 5,
                                             static_cast<int>(random() % 10) - 5, 30, 30);
    EXPECT_EQ(area.colors.size(), 900u);
  }
}

}  // namespace
}  // namespace platform
