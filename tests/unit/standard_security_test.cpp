#include <gtest/gtest.h>

#include "pdf/document.h"
#include "pdf/object_encryption.h"
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

}  // namespace
}  // namespace pdf
