#include <gtest/gtest.h>

#include "pdf/aes_crypto.h"
#include "pdf/md5.h"
#include "pdf/rc4.h"
#include "pdf/saslprep.h"

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

Bytes FromHex(std::string_view hex) {
  Bytes bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes.push_back(static_cast<uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
  return bytes;
}

std::string ToHex(std::span<const uint8_t> bytes) {
  static const char* kDigits = "0123456789abcdef";
  std::string hex;
  for (uint8_t c : bytes) {
    hex.push_back(kDigits[c >> 4]);
    hex.push_back(kDigits[c & 15]);
  }
  return hex;
}

// Published test vectors (NIST SP 800-38A F.2.1, FIPS-197 C.3, FIPS 180-2).
TEST(AesAndSha2, matchThePublishedVectors) {
  EXPECT_EQ(ToHex(AesCbcEncryptNoPadding(FromHex("2b7e151628aed2a6abf7158809cf4f3c"),
                                         FromHex("000102030405060708090a0b0c0d0e0f"),
                                         FromHex("6bc1bee22e409f96e93d7e117393172a"))),
            "7649abac8119b246cee98e9b12e9197d");
  EXPECT_EQ(ToHex(AesEcbEncryptBlock(
                FromHex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f"),
                FromHex("00112233445566778899aabbccddeeff"))),
            "8ea2b7ca516745bfeafc49904b496089");
  const Bytes abc{'a', 'b', 'c'};
  EXPECT_EQ(ToHex(Sha256(abc)), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(ToHex(Sha384(abc)).substr(0, 16), "cb00753f45a35e8b");
  EXPECT_EQ(ToHex(Sha512(abc)).substr(0, 16), "ddaf35a193617aba");
}

// Every message gets its own vector, pads to whole blocks (an empty one to
// one block) and decrypts back.
TEST(AesAndSha2, randomIvMessages_padAndRoundTrip) {
  const Bytes key(32, 9);
  for (const std::string plain : {std::string(), std::string(15, 'x'), std::string(16, 'y')}) {
    const std::string once = AesCbcEncryptWithRandomIv(key, plain);
    const std::string twice = AesCbcEncryptWithRandomIv(key, plain);
    EXPECT_EQ(once.size(), 16 + (plain.size() / 16 + 1) * 16);
    EXPECT_NE(once.substr(0, 16), twice.substr(0, 16));
    EXPECT_EQ(AesCbcDecryptWithIv(key, once), plain);
  }
}

TEST(SaslPrep, mapsNormalisesAndRefusesAsTheProfileSays) {
  const struct {
    const char* input;
    const char* prepared;  // nullptr: refused
  } kCases[] = {
      {"caf\xC3\xA9", "caf\xC3\xA9"},
      {"cafe\xCC\x81", "caf\xC3\xA9"},  // NFKC composes
      {"I\xC2\xADX", "IX"},             // soft hyphen removed
      {"a\xC2\xA0"
       "b",
       "a b"},                 // no-break space becomes a space
      {"\xE2\x85\xA8", "IX"},  // ROMAN NUMERAL NINE
      {"\xD0\xBF\xD0\xB0\xD1\x80", "\xD0\xBF\xD0\xB0\xD1\x80"},
      {"a\x07", nullptr},  // a control character
      {"\xD8\xA7"
       "1",
       nullptr},                  // right-to-left text ending left-to-right
      {"\xEF\xBF\xBF", nullptr},  // a non-character
  };
  for (const auto& c : kCases) {
    const PreparedPassword prepared = SaslPrepPassword(c.input);
    EXPECT_EQ(prepared.ok, c.prepared != nullptr) << c.input;
    if (c.prepared != nullptr) EXPECT_EQ(prepared.bytes, c.prepared) << c.input;
    if (c.prepared == nullptr) EXPECT_FALSE(prepared.problem.empty()) << c.input;
  }
  EXPECT_NE(SaslPrepPassword("a\x07").problem.find("may not hold"), std::string::npos);
  // Cut to 127 bytes, never inside a character.
  std::string longPassword(126, 'a');
  longPassword += "\xC3\xA9\xC3\xA9";
  EXPECT_EQ(SaslPrepPassword(longPassword).bytes, std::string(126, 'a'));
}

}  // namespace
}  // namespace pdf
