#include "pdf/object_encryption.h"

#include <algorithm>

#include "pdf/aes_crypto.h"
#include "pdf/md5.h"
#include "pdf/pdf_strings.h"
#include "pdf/rc4.h"

namespace pdf {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 0;
}

void Crypt(const FileKey& file, int64_t objectNumber, std::string& bytes) {
  const std::vector<uint8_t> key = ObjectKeyFor(file, objectNumber);
  if (file.method != CryptMethod::rc4) {
    bytes = AesCbcEncryptWithRandomIv(key, bytes);
    return;
  }
  Rc4 rc4(key);
  rc4.apply(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size());
}

// RC4 leaves nothing to encrypt in an empty text; AES still writes its
// vector and a block of padding, which readers expect.
bool NothingToDo(const FileKey& file, size_t size) {
  return !file.enabled || (size == 0 && file.method == CryptMethod::rc4);
}

}  // namespace

std::vector<uint8_t> ObjectKey(const std::vector<uint8_t>& fileKey, int64_t objectNumber) {
  Md5 md5;
  md5.update(fileKey.data(), fileKey.size());
  const uint8_t suffix[5] = {static_cast<uint8_t>(objectNumber),
                             static_cast<uint8_t>(objectNumber >> 8),
                             static_cast<uint8_t>(objectNumber >> 16), 0, 0};
  md5.update(suffix, sizeof suffix);
  const auto digest = md5.finish();
  const size_t length = std::min<size_t>(fileKey.size() + 5, 16);
  return {digest.begin(), digest.begin() + static_cast<std::ptrdiff_t>(length)};
}

std::vector<uint8_t> ObjectKeyFor(const FileKey& file, int64_t objectNumber) {
  switch (file.method) {
    case CryptMethod::rc4:
      return ObjectKey(file.key, objectNumber);
    case CryptMethod::aesV3:
      return file.key;
    case CryptMethod::aesV2:
      break;
  }
  Md5 md5;
  md5.update(file.key.data(), file.key.size());
  const uint8_t suffix[9] = {static_cast<uint8_t>(objectNumber),
                             static_cast<uint8_t>(objectNumber >> 8),
                             static_cast<uint8_t>(objectNumber >> 16),
                             0,
                             0,
                             's',
                             'A',
                             'l',
                             'T'};
  md5.update(suffix, sizeof suffix);
  const auto digest = md5.finish();
  return {digest.begin(), digest.end()};
}

size_t EncryptedSize(const FileKey& file, size_t plainSize) {
  if (!file.enabled || file.method == CryptMethod::rc4) return plainSize;
  return 16 + (plainSize / 16 + 1) * 16;
}

std::string EncryptString(const FileKey& file, std::string_view bytes, int64_t objectNumber) {
  std::string out(bytes);
  if (NothingToDo(file, out.size())) return out;
  Crypt(file, objectNumber, out);
  return out;
}

std::string EncryptHexString(const FileKey& file, std::string_view hex, int64_t objectNumber) {
  if (NothingToDo(file, hex.size())) return std::string(hex);
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes.push_back(static_cast<char>(HexValue(hex[i]) * 16 + HexValue(hex[i + 1])));
  Crypt(file, objectNumber, bytes);
  std::string out;
  for (char c : bytes) AppendByteHex(out, static_cast<uint8_t>(c));
  return out;
}

void EncryptStream(const FileKey& file, std::string& stream, int64_t objectNumber) {
  if (NothingToDo(file, stream.size())) return;
  Crypt(file, objectNumber, stream);
}

}  // namespace pdf
