#include "pdf/standard_security.h"

#include <random>

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
  if (keyLength == kl128) digest = Rehash50(digest);
  const size_t keySize = keyLength == kl128 ? 16 : 5;
  std::vector<uint8_t> key(digest.begin(), digest.begin() + static_cast<std::ptrdiff_t>(keySize));

  auto entry = Pad(userPassword);
  Rc4With(key, entry.data(), entry.size());
  if (keyLength == kl128) ExtraPasses(key, entry.data(), entry.size(), 1);
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
  if (keyLength == kl128) {
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

}  // namespace pdf
