#pragma once

#include <cstdint>
#include <string>

namespace presentation {

// Writes SWF's bit fields: most significant bit first, fields packed across
// byte boundaries until Align(); whole numbers little-endian.
class SwfBits {
 public:
  void Bits(uint32_t value, int count);
  void SignedBits(int32_t value, int count);
  void Align();

  void U8(uint8_t value);
  void U16(uint16_t value);
  void U32(uint32_t value);
  void Append(const std::string& bytes);

  // A RECT in twips; the field width fits the largest value.
  void Rect(int32_t xMin, int32_t xMax, int32_t yMin, int32_t yMax);
  // A MATRIX of scale (16.16 fixed) and translation (twips), no rotation.
  void Matrix(double scaleX, double scaleY, int32_t translateX, int32_t translateY);

  // Bytes written so far, the open byte of Bits included after Align().
  const std::string& Bytes() const { return bytes_; }
  std::string Take();

 private:
  std::string bytes_;
  uint8_t pending_ = 0;
  int pendingBits_ = 0;
};

// Bits a signed field needs to hold every value given.
int SignedBitsFor(std::initializer_list<int32_t> values);

}  // namespace presentation
