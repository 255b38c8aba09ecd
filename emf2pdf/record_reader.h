#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "emf2pdf/emf_types.h"

namespace emf2pdf {

// A record whose data does not fit it, or whose values cannot be used. The
// interpreter drops such a record and goes on with the next one.
class MalformedRecord : public std::runtime_error {
 public:
  explicit MalformedRecord(const std::string& message) : std::runtime_error(message) {}
};

// Reads the fields of one record. Sees only the bytes of that record: every
// read past its end throws MalformedRecord, so a count or offset taken from
// the file can never reach outside it.
class RecordReader {
 public:
  // `record` is the whole record, type and size included; reading starts
  // after those two fields.
  explicit RecordReader(std::span<const uint8_t> record, size_t position = 8);

  size_t Size() const { return bytes_.size(); }
  size_t Position() const { return position_; }
  size_t Remaining() const { return bytes_.size() - position_; }
  // Moves to an offset counted from the start of the record.
  void Seek(size_t offset);
  void Skip(size_t count);

  uint8_t U8();
  uint16_t U16();
  int16_t I16();
  uint32_t U32();
  int32_t I32();
  // A float that must be finite (angles, transforms).
  float F32();
  PointL PointL32();
  PointL PointS16();
  SizeL SizeL32();
  RectL RectL32();
  XForm XForm32();

  // Arrays; the count is checked against what is left before anything is
  // allocated.
  std::vector<PointL> PointsL(uint32_t count);
  std::vector<PointL> PointsS(uint32_t count);
  std::vector<uint32_t> U32s(uint32_t count);
  std::span<const uint8_t> Bytes(size_t count);
  // `count` bytes at an offset counted from the start of the record.
  std::span<const uint8_t> BytesAt(size_t offset, size_t count) const;

 private:
  const uint8_t* Take(size_t count);

  std::span<const uint8_t> bytes_;
  size_t position_;
};

}  // namespace emf2pdf
