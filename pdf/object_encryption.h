#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pdf {

// How strings and streams are encrypted: RC4 under a key per object, AES-128
// in CBC mode under a key per object, or AES-256 under the file key itself.
enum class CryptMethod : uint8_t { rc4, aesV2, aesV3 };

// What string and stream encryption needs of the document: the protection
// switch, the method and the file key (5 bytes for 40-bit RC4, 16 for 128-bit
// RC4 and AES-128, 32 for AES-256).
struct FileKey {
  bool enabled = false;
  std::vector<uint8_t> key;
  CryptMethod method = CryptMethod::rc4;
};

// RC4 key of one indirect object (generation 0): MD5 of the file key and the
// object number's three low bytes plus two zero bytes, cut to key length + 5.
std::vector<uint8_t> ObjectKey(const std::vector<uint8_t>& fileKey, int64_t objectNumber);

// The key one object's strings and streams are encrypted with. AES-128 adds
// "sAlT" to the RC4 recipe and keeps all 16 bytes.
std::vector<uint8_t> ObjectKeyFor(const FileKey& file, int64_t objectNumber);

// The size `plainSize` bytes have once encrypted: AES adds a 16-byte
// initialisation vector and pads to whole blocks (an empty text too).
size_t EncryptedSize(const FileKey& file, size_t plainSize);

std::string EncryptString(const FileKey& file, std::string_view bytes, int64_t objectNumber);
std::string EncryptHexString(const FileKey& file, std::string_view hex, int64_t objectNumber);
void EncryptStream(const FileKey& file, std::string& stream, int64_t objectNumber);

}  // namespace pdf
