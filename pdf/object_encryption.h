#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pdf {

// What string and stream encryption needs of the document: the protection
// switch and the file key (5 bytes for 40-bit, 16 bytes for 128-bit keys).
struct FileKey {
  bool enabled = false;
  std::vector<uint8_t> key;
};

// RC4 key of one indirect object (generation 0): MD5 of the file key and the
// object number's three low bytes plus two zero bytes, cut to key length + 5.
std::vector<uint8_t> ObjectKey(const std::vector<uint8_t>& fileKey, int64_t objectNumber);

std::string EncryptString(const FileKey& file, std::string_view bytes, int64_t objectNumber);
std::string EncryptHexString(const FileKey& file, std::string_view hex, int64_t objectNumber);
void EncryptStream(const FileKey& file, std::string& stream, int64_t objectNumber);

}  // namespace pdf
