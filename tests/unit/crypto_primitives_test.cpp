#include <gtest/gtest.h>

#include "pdf/md5.h"
#include "pdf/rc4.h"

namespace pdf {
namespace {

TEST(Md5, matchesTheRfc1321TestSuite) {
  const struct {
    const char* input;
    const char* digest;
  } kCases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const auto& c : kCases) EXPECT_EQ(Md5::hexOf(c.input), c.digest) << c.input;
}

TEST(Md5, givesTheSameDigestForAnyChunking) {
  std::string data(1000, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7);
  const auto whole = Md5::of(data);
  for (size_t chunk : {1u, 3u, 63u, 64u, 65u, 999u}) {
    Md5 md5;
    for (size_t at = 0; at < data.size(); at += chunk)
      md5.update(data.data() + at, std::min(chunk, data.size() - at));
    EXPECT_EQ(md5.finish(), whole) << chunk;
  }
}

std::string Rc4Hex(const std::string& key, std::string text) {
  Rc4 rc4({reinterpret_cast<const uint8_t*>(key.data()), key.size()});
  rc4.apply(reinterpret_cast<uint8_t*>(text.data()), text.size());
  static const char* kDigits = "0123456789ABCDEF";
  std::string hex;
  for (unsigned char c : text) {
    hex.push_back(kDigits[c >> 4]);
    hex.push_back(kDigits[c & 15]);
  }
  return hex;
}

TEST(Rc4, matchesPublishedVectors) {
  EXPECT_EQ(Rc4Hex("Key", "Plaintext"), "BBF316E8D940AF0AD3");
  EXPECT_EQ(Rc4Hex("Wiki", "pedia"), "1021BF0420");
  EXPECT_EQ(Rc4Hex("Secret", "Attack at dawn"), "45A01F645FC35B383552544B9BF5");
}

TEST(Rc4, refusesKeysOutsideOneTo256Bytes) {
  EXPECT_THROW(Rc4(std::span<const uint8_t>()), std::runtime_error);
  std::vector<uint8_t> tooLong(257, 1);
  EXPECT_THROW(Rc4{tooLong}, std::runtime_error);
}

}  // namespace
}  // namespace pdf
