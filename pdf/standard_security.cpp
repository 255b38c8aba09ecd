#include "pdf/standard_security.h"

#include <random>

#include "pdf/aes_crypto.h"
#include "pdf/md5.h"
#include "pdf/rc4.h"

namespace pdf {

namespace {

constexpr uint8_t kPadding[32] = {0x28, 0xBF, 0x4E, 0x5E, 0x4E, 0x75, 0x8A, 0x41, 0x64, 0x00, 0x4E,
                                  0x56, 0xFF, 0xFA, 0x01, 0x08, 0x2E, 0x2E, 0x00, 0xB6, 0xD0, 0x68,
                                  0x3E, 0x80, 0x2F, 0x0C, 0xA9, 0xFE, 0x64, 0x53, 0x69, 0x7A};

std::array<uint8_t, 32> Pad(const std::string& password) {
  std::array<uint8_t, 32> padded;
  const size_t length = std::min<size_t>(password.size(), 32);
  for (size_t i = 0; i < length; ++i) padded[i] = static_cast<uint8_t>(password[i]);
  for (size_t i = length; i < 32; ++i) padded[i] = kPadding[i - length];
  return padded;
}

Md5::Digest Rehash50(Md5::Digest digest) {
  for (int i = 0; i < 50; ++i) {
    Md5 md5;
    md5.update(digest.data(), digest.size());
    digest = md5.finish();
  }
  return digest;
}

void Rc4With(std::vector<uint8_t> key, uint8_t* data, size_t size) {
  Rc4 rc4(key);
  rc4.apply(data, size);
}

// The 19 extra revision-3 passes, each under the key XOR the pass number.
void ExtraPasses(const std::vector<uint8_t>& key, uint8_t* data, size_t size, int first) {
  for (int i = first; i <= 19; ++i) {
    std::vector<uint8_t> passKey(key);
    for (auto& byte : passKey) byte = static_cast<uint8_t>(byte ^ i);
    Rc4With(passKey, data, size);
  }
}

}  // namespace

std::string ComputeOwnerEntry(const std::string& ownerPassword, const std::string& userPassword,
                              TPDFKeyLength keyLength) {
  // Without an owner password the user password guards owner access too;
  // padding an empty one would let anyone open the file as its owner.
  const auto paddedOwner = Pad(ownerPassword.empty() ? userPassword : ownerPassword);
  auto digest = Md5::of({reinterpret_cast<const char*>(paddedOwner.data()), 32});
  if (keyLength != kl40) digest = Rehash50(digest);
  const size_t keySize = keyLength != kl40 ? 16 : 5;
  std::vector<uint8_t> key(digest.begin(), digest.begin() + static_cast<std::ptrdiff_t>(keySize));

  auto entry = Pad(userPassword);
  Rc4With(key, entry.data(), entry.size());
  if (keyLength != kl40) ExtraPasses(key, entry.data(), entry.size(), 1);
  return {reinterpret_cast<const char*>(entry.data()), entry.size()};
}

std::vector<uint8_t> ComputeFileKey(const std::string& userPassword, const std::string& ownerEntry,
                                    int32_t permissions, const FileIdBytes& fileId,
                                    TPDFKeyLength keyLength) {
  Md5 md5;
  const auto paddedUser = Pad(userPassword);
  md5.update(paddedUser.data(), paddedUser.size());
  md5.update(ownerEntry);
  const auto p = static_cast<uint32_t>(permissions);
  const uint8_t pBytes[4] = {static_cast<uint8_t>(p), static_cast<uint8_t>(p >> 8),
                             static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 24)};
  md5.update(pBytes, 4);
  md5.update(fileId.data(), fileId.size());
  auto digest = md5.finish();
  if (keyLength != kl40) {
    digest = Rehash50(digest);
    return {digest.begin(), digest.end()};
  }
  return {digest.begin(), digest.begin() + 5};
}

std::string ComputeUserEntry(const std::vector<uint8_t>& fileKey, const FileIdBytes& fileId,
                             TPDFKeyLength keyLength) {
  if (keyLength == kl40) {
    std::array<uint8_t, 32> entry;
    std::copy(std::begin(kPadding), std::end(kPadding), entry.begin());
    Rc4With(fileKey, entry.data(), entry.size());
    return {reinterpret_cast<const char*>(entry.data()), entry.size()};
  }
  Md5 md5;
  md5.update(kPadding, 32);
  md5.update(fileId.data(), fileId.size());
  auto digest = md5.finish();
  Rc4With(fileKey, digest.data(), digest.size());
  ExtraPasses(fileKey, digest.data(), digest.size(), 1);

  std::string entry(reinterpret_cast<const char*>(digest.data()), digest.size());
  static std::mt19937 random{std::random_device{}()};
  std::uniform_int_distribution<int> tail(32, 231);
  for (int i = 0; i < 16; ++i) entry.push_back(static_cast<char>(tail(random)));
  return entry;
}

FileIdBytes FileIdFromHex(const std::string& hex) {
  FileIdBytes bytes{};
  auto value = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 0;
  };
  for (size_t i = 0; i < 16 && 2 * i + 1 < hex.size(); ++i)
    bytes[i] = static_cast<uint8_t>(value(hex[2 * i]) * 16 + value(hex[2 * i + 1]));
  return bytes;
}

namespace {

constexpr size_t kSaltSize = 8;
constexpr size_t kLongestPassword = 127;

std::span<const uint8_t> AsBytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

std::string AsText(const std::vector<uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

// The key sealed under a password's key: CBC with a zero vector, no padding.
std::string SealFileKey(const std::vector<uint8_t>& passwordKey,
                        const std::vector<uint8_t>& fileKey) {
  const std::vector<uint8_t> zeroIv(16, 0);
  return AsText(AesCbcEncryptNoPadding(passwordKey, zeroIv, fileKey));
}

}  // namespace

std::vector<uint8_t> Revision6Hash(std::string_view password, std::string_view salt,
                                   std::string_view userEntry) {
  password = password.substr(0, kLongestPassword);
  std::string input = std::string(password) + std::string(salt) + std::string(userEntry);
  std::vector<uint8_t> k = Sha256(AsBytes(input));
  std::vector<uint8_t> e;
  // At least 64 rounds, then on until the last byte of E allows stopping.
  for (int round = 0; round < 64 || e.back() > round - 32; ++round) {
    const std::string block = std::string(password) + AsText(k) + std::string(userEntry);
    std::string k1;
    k1.reserve(block.size() * 64);
    for (int i = 0; i < 64; ++i) k1 += block;
    const std::span<const uint8_t> key(k.data(), 16);
    const std::span<const uint8_t> iv(k.data() + 16, 16);
    e = AesCbcEncryptNoPadding(key, iv, AsBytes(k1));
    int sum = 0;
    for (int i = 0; i < 16; ++i) sum += e[static_cast<size_t>(i)];
    switch (sum % 3) {
      case 0:
        k = Sha256(e);
        break;
      case 1:
        k = Sha384(e);
        break;
      default:
        k = Sha512(e);
        break;
    }
  }
  k.resize(32);
  return k;
}

Revision6Entries ComputeRevision6Entries(const std::string& userPassword,
                                         const std::string& ownerPassword,
                                         const std::vector<uint8_t>& fileKey, int32_t permissions) {
  Revision6Entries entries;
  const std::string userSalts = AsText(CryptoRandomBytes(2 * kSaltSize));
  const std::string validation = userSalts.substr(0, kSaltSize);
  const std::string keySalt = userSalts.substr(kSaltSize);
  entries.user = AsText(Revision6Hash(userPassword, validation, "")) + userSalts;
  entries.userKey = SealFileKey(Revision6Hash(userPassword, keySalt, ""), fileKey);

  const std::string ownerSalts = AsText(CryptoRandomBytes(2 * kSaltSize));
  const std::string ownerValidation = ownerSalts.substr(0, kSaltSize);
  const std::string ownerKeySalt = ownerSalts.substr(kSaltSize);
  entries.owner = AsText(Revision6Hash(ownerPassword, ownerValidation, entries.user)) + ownerSalts;
  entries.ownerKey = SealFileKey(Revision6Hash(ownerPassword, ownerKeySalt, entries.user), fileKey);

  // The permission word as readers check it: P low byte first, four 0xFF
  // bytes, "T" (metadata encrypted), "adb" and four random bytes.
  std::vector<uint8_t> perms(16, 0xFF);
  const auto p = static_cast<uint32_t>(permissions);
  for (int i = 0; i < 4; ++i) perms[static_cast<size_t>(i)] = static_cast<uint8_t>(p >> (8 * i));
  perms[8] = 'T';
  perms[9] = 'a';
  perms[10] = 'd';
  perms[11] = 'b';
  const auto tail = CryptoRandomBytes(4);
  std::copy(tail.begin(), tail.end(), perms.begin() + 12);
  entries.permissions = AsText(AesEcbEncryptBlock(fileKey, perms));
  return entries;
}

}  // namespace pdf
