#include "pdf/ccitt_encoder.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "support/image_tools.h"

namespace pdf {
namespace {

using platform::TBitmap;
using platform::TPixelFormat;

// The data as a string of '0' and '1'.
std::string BitsOf(const std::string& data) {
  std::string bits;
  for (unsigned char byte : data)
    for (int i = 7; i >= 0; --i) bits += ((byte >> i) & 1) ? '1' : '0';
  return bits;
}

std::string Encode(const TBitmap& bitmap, int mode) {
  std::string data;
  CompressBitmap(bitmap, &data, mode);
  return data;
}

// Pads a bit string with zeros to whole bytes.
std::string ZeroFilled(std::string bits) {
  while (bits.size() % 8) bits += '0';
  return bits;
}

TEST(CcittOneDimensional, whiteRowsUseMakeUpAndTerminatingCodes) {
  struct Case {
    int width;
    std::string bits;
  };
  const Case kCases[] = {
      {1728,
       "010011011"
       "00110101"},  // make-up 1728, white 0
      {5000,
       "000000011111"
       "000000011101"
       "10011"},  // 2560, 2432, 8
      {2624,
       "000000011111"
       "11011"
       "00110101"},  // 2560 once, then 64
      {2623,
       "000000011111"
       "00110100"},   // 2560 then white 63
      {1, "000111"},  // white 1
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(BitsOf(Encode(testing_support::UniformMonochrome(c.width, 1, true), 0)),
              ZeroFilled(c.bits))
        << c.width;
  }
}

TEST(CcittOneDimensional, blackFirstPixelStartsWithEmptyWhiteRun) {
  // Two black then three white: white 0, black 2, white 3.
  TBitmap bitmap(5, 1, TPixelFormat::pf1bit);
  for (int x = 2; x < 5; ++x) bitmap.SetBit(x, 0, true);
  EXPECT_EQ(BitsOf(Encode(bitmap, 0)), ZeroFilled("00110101"
                                                  "11"
                                                  "1000"));
  // Rows follow each other without alignment or end-of-line codes.
  TBitmap twoRows(1, 2, TPixelFormat::pf1bit);
  EXPECT_EQ(BitsOf(Encode(twoRows, 0)), ZeroFilled("00110101010"
                                                   "00110101010"));
}

TEST(CcittGroup4, whitePageIsOneV0PerRowThenEndOfBlock) {
  const std::string data = Encode(testing_support::UniformMonochrome(100, 5, true), 2);
  EXPECT_EQ(BitsOf(data), ZeroFilled("11111"
                                     "000000000001"
                                     "000000000001"));
}

TEST(CcittGroup3TwoDimensional, everyRowStartsWithEndOfLineAndTag) {
  const std::string data = Encode(testing_support::UniformMonochrome(100, 2, true), 1);
  EXPECT_EQ(BitsOf(data), ZeroFilled("0000000000010"
                                     "1"
                                     "0000000000010"
                                     "1"));
}

TEST(CcittTwoDimensional, codesVerticalPassAndHorizontalModes) {
  // Row 0: black at 2..3 against white -> horizontal (white 2, black 2) then V0
  // at the row end. Row 1: black at 3..4 -> VR1, VR1, V0.
  TBitmap bitmap(8, 2, TPixelFormat::pf1bit);
  bitmap.Fill(platform::kWhite);
  bitmap.SetBit(2, 0, false);
  bitmap.SetBit(3, 0, false);
  bitmap.SetBit(3, 1, false);
  bitmap.SetBit(4, 1, false);
  EXPECT_EQ(BitsOf(Encode(bitmap, 2)),
            ZeroFilled("001"
                       "0111"
                       "11"
                       "1"  // H, white 2, black 2, V0
                       "011"
                       "011"
                       "1"                            // VR1, VR1, V0
                       "000000000001000000000001"));  // end of block
}

TEST(CcittCompressBitmap, refusesWhatItCannotCode) {
  const TBitmap colour(4, 4, TPixelFormat::pf24bit);
  std::string data;
  EXPECT_THROW(
      {
        try {
          CompressBitmap(colour, &data, 2);
        } catch (const std::runtime_error& e) {
          EXPECT_STREQ(e.what(), "Not b/w image.");
          throw;
        }
      },
      std::runtime_error);
  const TBitmap mono(4, 4, TPixelFormat::pf1bit);
  try {
    CompressBitmap(mono, nullptr, 2);
    ADD_FAILURE() << "no stream accepted";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Not set output stream.");
  }
}

}  // namespace
}  // namespace pdf
