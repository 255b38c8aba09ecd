#include "emf2pdf/record_reader.h"

#include <cmath>
#include <cstring>

namespace emf2pdf {

namespace {

uint32_t LoadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint16_t LoadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

}  // namespace

RecordReader::RecordReader(std::span<const uint8_t> record, size_t position)
    : bytes_(record), position_(position) {
  if (position_ > bytes_.size()) throw MalformedRecord("record shorter than its header");
}

void RecordReader::Seek(size_t offset) {
  if (offset > bytes_.size()) throw MalformedRecord("offset beyond the record");
  position_ = offset;
}

void RecordReader::Skip(size_t count) { Take(count); }

const uint8_t* RecordReader::Take(size_t count) {
  if (count > Remaining()) throw MalformedRecord("field beyond the end of the record");
  const uint8_t* p = bytes_.data() + position_;
  position_ += count;
  return p;
}

uint8_t RecordReader::U8() { return *Take(1); }
uint16_t RecordReader::U16() { return LoadU16(Take(2)); }
int16_t RecordReader::I16() { return static_cast<int16_t>(U16()); }
uint32_t RecordReader::U32() { return LoadU32(Take(4)); }
int32_t RecordReader::I32() { return static_cast<int32_t>(U32()); }

float RecordReader::F32() {
  const uint32_t bits = U32();
  float value;
  std::memcpy(&value, &bits, sizeof value);
  if (!std::isfinite(value)) throw MalformedRecord("non-finite number");
  return value;
}

PointL RecordReader::PointL32() {
  PointL p;
  p.x = I32();
  p.y = I32();
  return p;
}

PointL RecordReader::PointS16() {
  PointL p;
  p.x = I16();
  p.y = I16();
  return p;
}

SizeL RecordReader::SizeL32() {
  SizeL s;
  s.cx = I32();
  s.cy = I32();
  return s;
}

RectL RecordReader::RectL32() {
  RectL r;
  r.left = I32();
  r.top = I32();
  r.right = I32();
  r.bottom = I32();
  return r;
}

XForm RecordReader::XForm32() {
  XForm t;
  t.eM11 = F32();
  t.eM12 = F32();
  t.eM21 = F32();
  t.eM22 = F32();
  t.eDx = F32();
  t.eDy = F32();
  return t;
}

std::vector<PointL> RecordReader::PointsL(uint32_t count) {
  if (count > Remaining() / 8) throw MalformedRecord("point count exceeds the record");
  std::vector<PointL> points(count);
  for (auto& p : points) p = PointL32();
  return points;
}

std::vector<PointL> RecordReader::PointsS(uint32_t count) {
  if (count > Remaining() / 4) throw MalformedRecord("point count exceeds the record");
  std::vector<PointL> points(count);
  for (auto& p : points) p = PointS16();
  return points;
}

std::vector<uint32_t> RecordReader::U32s(uint32_t count) {
  if (count > Remaining() / 4) throw MalformedRecord("count exceeds the record");
  std::vector<uint32_t> values(count);
  for (auto& v : values) v = U32();
  return values;
}

std::span<const uint8_t> RecordReader::Bytes(size_t count) { return {Take(count), count}; }

std::span<const uint8_t> RecordReader::BytesAt(size_t offset, size_t count) const {
  if (offset > bytes_.size() || count > bytes_.size() - offset)
    throw MalformedRecord("data beyond the end of the record");
  return bytes_.subspan(offset, count);
}

}  // namespace emf2pdf
