#include <gtest/gtest.h>

#include <fstream>

#include "pdf/aes_crypto.h"
#include "pdf/document.h"
#include "pdf/md5.h"
#include "pdf/object_encryption.h"
#include "pdf/pdf_exception.h"
#include "pdf/standard_security.h"

namespace pdf {
namespace {

const FileIdBytes kFileId = FileIdFromHex("0123456789abcdef0123456789ABCDEF");

TEST(PermissionWord, matchesTheDocumentedValues) {
  const struct {
    TPDFCtiptoOptions options;
    TPDFKeyLength keyLength;
    int32_t expected;
  } kCases[] = {
      {0, kl40, -64},
      {0, kl128, -3904},
      {0xFF, kl40, -4},
      {0xFF, kl128, -4},
      {coPrintHi | coPrint, kl128, -1852},
      {coPrintHi | coFillAnnotation | coExtractInfo | coAssemble, kl40, -64},
      {coCopyInformation, kl40, -48},
      {coAssemble, kl128, -2880},
  };
  for (const auto& c : kCases)
    EXPECT_EQ(TPDFDocument::PermissionWord(c.options, c.keyLength), c.expected)
        << int(c.options) << " " << int(c.keyLength);
}

TEST(ComputeFileKey, usesOnlyTheFirst32BytesOfAPassword) {
  const std::string longPassword(40, 'x');
  for (TPDFKeyLength length : {kl40, kl128}) {
    const std::string owner = ComputeOwnerEntry("", longPassword, length);
    EXPECT_EQ(owner, ComputeOwnerEntry("", longPassword.substr(0, 32), length));
    EXPECT_EQ(ComputeFileKey(longPassword, owner, -4, kFileId, length),
              ComputeFileKey(longPassword.substr(0, 32), owner, -4, kFileId, length));
    EXPECT_EQ(ComputeFileKey("", owner, -4, kFileId, length).size(), length == kl40 ? 5u : 16u);
  }
}

TEST(ComputeOwnerEntry, emptyOwnerPassword_takesTheUserPassword) {
  for (TPDFKeyLength length : {kl40, kl128}) {
    EXPECT_EQ(ComputeOwnerEntry("", "user", length), ComputeOwnerEntry("user", "user", length));
    EXPECT_NE(ComputeOwnerEntry("", "user", length), ComputeOwnerEntry("owner", "user", length));
    EXPECT_EQ(ComputeOwnerEntry("owner", "user", length).size(), 32u);
  }
}

TEST(ComputeUserEntry, kl128_endsInSixteenBytesFrom32To231) {
  const auto key = ComputeFileKey("u", ComputeOwnerEntry("o", "u", kl128), -4, kFileId, kl128);
  for (int round = 0; round < 50; ++round) {
    const std::string entry = ComputeUserEntry(key, kFileId, kl128);
    ASSERT_EQ(entry.size(), 32u);
    for (size_t i = 16; i < 32; ++i) {
      EXPECT_GE(static_cast<uint8_t>(entry[i]), 32);
      EXPECT_LE(static_cast<uint8_t>(entry[i]), 231);
    }
  }
}

TEST(ObjectEncryption, emptyStreamStaysEmptyAndKeysAreFiveBytesLonger) {
  const FileKey file{true, {1, 2, 3, 4, 5}};
  std::string stream;
  EncryptStream(file, stream, 4);
  EXPECT_EQ(stream, "");
  EXPECT_EQ(ObjectKey(file.key, 4).size(), 10u);
  EXPECT_EQ(ObjectKey(std::vector<uint8_t>(16, 7), 4).size(), 16u);
}

// AES-128 keys each object with "sAlT" appended; AES-256 uses the file key.
TEST(ObjectEncryption, aesKeysAndSizes) {
  const std::vector<uint8_t> key16(16, 3);
  const FileKey aes128{true, key16, CryptMethod::aesV2};
  std::string salted(key16.begin(), key16.end());
  salted += std::string("\x07\x01\x00\x00\x00sAlT", 9);
  const auto digest = Md5::of(salted);
  EXPECT_EQ(ObjectKeyFor(aes128, 0x107), std::vector<uint8_t>(digest.begin(), digest.end()));
  const FileKey aes256{true, std::vector<uint8_t>(32, 5), CryptMethod::aesV3};
  EXPECT_EQ(ObjectKeyFor(aes256, 12), aes256.key);

  EXPECT_EQ(EncryptedSize(aes256, 0), 32u);
  EXPECT_EQ(EncryptedSize(aes256, 16), 48u);
  EXPECT_EQ(EncryptedSize(FileKey{true, key16, CryptMethod::rc4}, 16), 16u);
  std::string stream = "BT /F1 12 Tf ET";
  EncryptStream(aes128, stream, 0x107);
  ASSERT_EQ(stream.size(), EncryptedSize(aes128, 15));
  EXPECT_EQ(AesCbcDecryptWithIv(ObjectKeyFor(aes128, 0x107), stream), "BT /F1 12 Tf ET");
  EXPECT_EQ(EncryptString(aes256, "", 3).size(), 32u);  // an empty string is encrypted too
}

// The /U and /O hashes check against their own salts, and /Perms holds the
// permission word: what a reader verifies before it trusts a password.
TEST(Revision6, entriesCheckAgainstTheirSalts) {
  const std::vector<uint8_t> fileKey = CryptoRandomBytes(32);
  const Revision6Entries entries = ComputeRevision6Entries("user", "owner", fileKey, -3904);
  ASSERT_EQ(entries.user.size(), 48u);
  ASSERT_EQ(entries.owner.size(), 48u);
  EXPECT_EQ(entries.userKey.size(), 32u);
  EXPECT_EQ(entries.ownerKey.size(), 32u);
  const auto hash = [](std::string_view password, std::string_view salt, std::string_view u) {
    const auto bytes = Revision6Hash(password, salt, u);
    return std::string(bytes.begin(), bytes.end());
  };
  EXPECT_EQ(entries.user.substr(0, 32), hash("user", entries.user.substr(32, 8), ""));
  EXPECT_NE(entries.user.substr(0, 32), hash("User", entries.user.substr(32, 8), ""));
  EXPECT_EQ(entries.owner.substr(0, 32), hash("owner", entries.owner.substr(32, 8), entries.user));
  // /Perms decrypts (one ECB block) to P, four 0xFF bytes and "Tadb". One
  // block under a zero vector is ECB; a second block, made to decrypt to a
  // whole block of padding, lets the CBC decryption read it.
  const std::string& perms = entries.permissions;
  ASSERT_EQ(perms.size(), 16u);
  const auto padding = AesCbcEncryptNoPadding(
      fileKey, std::vector<uint8_t>(perms.begin(), perms.end()), std::vector<uint8_t>(16, 16));
  const std::string plain = AesCbcDecryptWithIv(
      fileKey, std::string(16, '\0') + perms + std::string(padding.begin(), padding.end()));
  EXPECT_EQ(plain.substr(0, 12), std::string("\xC0\xF0\xFF\xFF\xFF\xFF\xFF\xFFTadb", 12));
}

TEST(DocumentKeyLength, aesRaisesTheVersionAndOldVersionsLowerTheKey) {
  TPDFDocument doc;
  doc.SetProtectionKeyLength(klAES128);
  EXPECT_EQ(doc.Version(), v16);
  doc.SetProtectionKeyLength(klAES256);
  EXPECT_EQ(doc.Version(), v17);
  doc.SetVersion(v16);
  EXPECT_EQ(doc.ProtectionKeyLength(), klAES128);
  doc.SetVersion(v15);
  EXPECT_EQ(doc.ProtectionKeyLength(), kl128);
  doc.SetVersion(v13);
  EXPECT_EQ(doc.ProtectionKeyLength(), kl40);
  EXPECT_EQ(TPDFDocument::PermissionWord(coPrint | coPrintHi, klAES256), -1852);

  // A password SASLprep refuses is refused before anything is written.
  const std::string path = ::testing::TempDir() + "refused_aes256.pdf";
  doc.SetFileName(path);
  doc.SetProtectionEnabled(true);
  doc.SetProtectionKeyLength(klAES256);
  doc.SetOwnerPassword("bell\x07");
  try {
    doc.BeginDoc();
    ADD_FAILURE() << "a control character was accepted";
  } catch (const TPDFException& error) {
    EXPECT_EQ(
        std::string(error.what())
            .rfind("The owner password cannot protect a document with 256-bit AES: it holds", 0),
        0u)
        << error.what();
  }
  EXPECT_FALSE(doc.Active());
  EXPECT_FALSE(std::ifstream(path).good());
  EXPECT_EQ(TPDFDocument::PermissionWord(coPrint | coPrintHi, klAES128), -1852);
}

}  // namespace
}  // namespace pdf
