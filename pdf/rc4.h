#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace pdf {

// RC4 stream cipher; encryption and decryption are the same operation.
class Rc4 {
 public:
  // Throws std::runtime_error on an empty key or one longer than 256 bytes.
  explicit Rc4(std::span<const uint8_t> key);
  void apply(uint8_t* data, size_t size);

 private:
  uint8_t s_[256];
  uint8_t i_ = 0, j_ = 0;
};

}  // namespace pdf
