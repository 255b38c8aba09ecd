#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pdf {

// MD5 message digest (RFC 1321).
class Md5 {
 public:
  using Digest = std::array<uint8_t, 16>;

  Md5();
  void update(const void* data, size_t size);
  void update(std::string_view bytes) { update(bytes.data(), bytes.size()); }
  Digest finish();

  static Digest of(std::string_view bytes);
  static std::string hexOf(std::string_view bytes);  // lower-case hex

 private:
  void transform(const uint8_t block[64]);

  uint32_t state_[4];
  uint64_t length_ = 0;  // bytes seen so far
  uint8_t buffer_[64];
};

}  // namespace pdf
