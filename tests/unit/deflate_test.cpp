#include "pdf/deflate.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>

namespace pdf {
namespace {

std::string Inflate(const std::string& compressed, size_t size) {
  std::string raw(size + 1, '\0');  // one spare byte shows a stream that is too long
  uLongf length = static_cast<uLongf>(raw.size());
  const int rc = uncompress(reinterpret_cast<Bytef*>(raw.data()), &length,
                            reinterpret_cast<const Bytef*>(compressed.data()),
                            static_cast<uLong>(compressed.size()));
  EXPECT_EQ(rc, Z_OK);
  raw.resize(length);
  return raw;
}

std::string Noise(size_t size) {
  std::mt19937 random(7);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

TEST(Deflate, zlibInflatesWhatEveryLevelWrites) {
  std::string content;
  for (int i = 0; i < 20000; ++i) content += "1 0 0 1 " + std::to_string(i % 97) + " 12.5 cm\n";
  const std::string kInputs[] = {"", "q", content, Noise(300000)};
  for (const std::string& input : kInputs)
    for (int level : {1, kDeflateLevel, kFontProgramDeflateLevel, 9, 12})
      EXPECT_EQ(Inflate(Deflate(input, level), input.size()), input)
          << input.size() << " bytes at level " << level;
}

TEST(Deflate, tiledImagesInflateToTheirTileRepeated) {
  struct Case {
    size_t rowBytes, rows, across, down;
  } const kCases[] = {
      {24, 8, 32, 32},                  // an 8 x 8 RGB tile in a 256 x 256 cell
      {3, 1, 2, 1},                     // a rest too short for a copy
      {2, 1, 2, 1},    {1, 1, 260, 2},  // copies split so that none is shorter than 3
      {3, 5, 1, 7},                     // repeated down only
      {4000, 9, 1, 2},                  // a band larger than deflate's window
      {768, 42, 1, 6},                  // a band just inside it
  };
  for (const Case& c : kCases) {
    const std::string tile = Noise(c.rowBytes * c.rows);
    std::string image;
    for (size_t d = 0; d < c.down; ++d)
      for (size_t row = 0; row < c.rows; ++row)
        for (size_t a = 0; a < c.across; ++a) image += tile.substr(row * c.rowBytes, c.rowBytes);
    const std::string packed = DeflateTiled(tile, c.rowBytes, c.across, c.down);
    EXPECT_EQ(Inflate(packed, image.size()), image) << c.rowBytes << " x " << c.rows;
    EXPECT_LT(packed.size(), tile.size() * 2 + 64 + image.size() / 64);
  }
  EXPECT_THROW(DeflateTiled("abc", 2, 1, 1), std::invalid_argument);
}

TEST(Deflate, refusesLevelsOutsideOneToTwelve) {
  EXPECT_THROW(Deflate("x", 0), std::invalid_argument);
  EXPECT_THROW(Deflate("x", 13), std::invalid_argument);
  EXPECT_THROW(Deflate("x", -1), std::invalid_argument);
}

}  // namespace
}  // namespace pdf
