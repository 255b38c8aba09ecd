#include "presentation/swf_bits.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace presentation {

void SwfBits::Bits(uint32_t value, int count) {
  for (int i = count - 1; i >= 0; --i) {
    pending_ = static_cast<uint8_t>((pending_ << 1) | ((value >> i) & 1));
    if (++pendingBits_ == 8) {
      bytes_.push_back(static_cast<char>(pending_));
      pending_ = 0;
      pendingBits_ = 0;
    }
  }
}

void SwfBits::SignedBits(int32_t value, int count) { Bits(static_cast<uint32_t>(value), count); }

void SwfBits::Align() {
  if (pendingBits_ > 0) Bits(0, 8 - pendingBits_);
}

void SwfBits::U8(uint8_t value) {
  Align();
  bytes_.push_back(static_cast<char>(value));
}

void SwfBits::U16(uint16_t value) {
  U8(static_cast<uint8_t>(value));
  U8(static_cast<uint8_t>(value >> 8));
}

void SwfBits::U32(uint32_t value) {
  U16(static_cast<uint16_t>(value));
  U16(static_cast<uint16_t>(value >> 16));
}

void SwfBits::Append(const std::string& bytes) {
  Align();
  bytes_ += bytes;
}

int SignedBitsFor(std::initializer_list<int32_t> values) {
  int bits = 1;
  for (const int32_t value : values) {
    const int64_t magnitude = value < 0 ? -static_cast<int64_t>(value) - 1 : value;
    int needed = 1;
    while (needed < 32 && (magnitude >> (needed - 1)) != 0) ++needed;
    bits = std::max(bits, needed);
  }
  return bits;
}

void SwfBits::Rect(int32_t xMin, int32_t xMax, int32_t yMin, int32_t yMax) {
  const int n = SignedBitsFor({xMin, xMax, yMin, yMax});
  Bits(static_cast<uint32_t>(n), 5);
  SignedBits(xMin, n);
  SignedBits(xMax, n);
  SignedBits(yMin, n);
  SignedBits(yMax, n);
  Align();
}

void SwfBits::Matrix(double scaleX, double scaleY, int32_t translateX, int32_t translateY) {
  const auto fixed = [](double value) {
    if (!std::isfinite(value) || std::fabs(value) >= 32767)
      throw std::invalid_argument("SWF matrix scale out of range");
    return static_cast<int32_t>(std::lround(value * 65536));
  };
  const int32_t sx = fixed(scaleX);
  const int32_t sy = fixed(scaleY);
  const bool hasScale = sx != 65536 || sy != 65536;
  Bits(hasScale ? 1 : 0, 1);
  if (hasScale) {
    const int n = SignedBitsFor({sx, sy});
    Bits(static_cast<uint32_t>(n), 5);
    SignedBits(sx, n);
    SignedBits(sy, n);
  }
  Bits(0, 1);  // no rotation
  const int n = translateX == 0 && translateY == 0 ? 0 : SignedBitsFor({translateX, translateY});
  Bits(static_cast<uint32_t>(n), 5);
  if (n > 0) {
    SignedBits(translateX, n);
    SignedBits(translateY, n);
  }
  Align();
}

std::string SwfBits::Take() {
  Align();
  std::string out;
  out.swap(bytes_);
  return out;
}

}  // namespace presentation
