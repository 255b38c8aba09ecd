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

TEST(Deflate, refusesLevelsOutsideOneToTwelve) {
  EXPECT_THROW(Deflate("x", 0), std::invalid_argument);
  EXPECT_THROW(Deflate("x", 13), std::invalid_argument);
  EXPECT_THROW(Deflate("x", -1), std::invalid_argument);
}

}  // namespace
}  // namespace pdf
