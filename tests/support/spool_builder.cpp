#include "support/spool_builder.h"

namespace spoolbuild {

namespace {

void PutU16(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
  PutU16(out, static_cast<uint16_t>(value));
  PutU16(out, static_cast<uint16_t>(value >> 16));
}

void PutU32At(std::vector<uint8_t>& out, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

SpoolBuilder::SpoolBuilder(const std::u16string& documentName) {
  PutU32(bytes_, 0x00010000);
  PutU32(bytes_, 0);   // size, set below
  PutU32(bytes_, 16);  // the document name right after the fields
  PutU32(bytes_, 0);   // no output device
  for (char16_t unit : documentName) PutU16(bytes_, unit);
  PutU16(bytes_, 0);
  while (bytes_.size() % 4 != 0) bytes_.push_back(0);
  PutU32At(bytes_, 4, static_cast<uint32_t>(bytes_.size()));
}

SpoolBuilder& SpoolBuilder::record(uint32_t type, const std::vector<uint8_t>& data) {
  PutU32(bytes_, type);
  PutU32(bytes_, static_cast<uint32_t>(data.size()));
  bytes_.insert(bytes_.end(), data.begin(), data.end());
  while (bytes_.size() % 4 != 0) bytes_.push_back(0);
  return *this;
}

SpoolBuilder& SpoolBuilder::page(const std::vector<uint8_t>& emf, uint32_t type,
                                 uint32_t offsetType) {
  const size_t start = bytes_.size();
  record(type, emf);
  if (offsetType != 0) pageOffset(bytes_.size() - start, offsetType);
  return *this;
}

SpoolBuilder& SpoolBuilder::pageOffset(uint64_t back, uint32_t type) {
  std::vector<uint8_t> data;
  PutU32(data, static_cast<uint32_t>(back));
  PutU32(data, static_cast<uint32_t>(back >> 32));
  return record(type, data);
}

SpoolBuilder& SpoolBuilder::devMode(uint32_t fields, int16_t orientation, int16_t paperSize,
                                    int16_t paperLength, int16_t paperWidth) {
  std::vector<uint8_t> data(64, 0);  // dmDeviceName
  PutU16(data, 0x0401);              // dmSpecVersion
  PutU16(data, 0);                   // dmDriverVersion
  PutU16(data, 220);                 // dmSize
  PutU16(data, 0);                   // dmDriverExtra
  PutU32(data, fields);
  for (int16_t value : {orientation, paperSize, paperLength, paperWidth})
    PutU16(data, static_cast<uint16_t>(value));
  data.resize(220, 0);
  return record(EMRI_DEVMODE, data);
}

}  // namespace spoolbuild
