#include "platform/registry_store.h"

#include "platform/code_pages.h"

namespace platform {

std::string RegTypeName(uint32_t type) {
  switch (type) {
    case REG_SZ:
      return "string";
    case REG_EXPAND_SZ:
      return "expandable string";
    case REG_BINARY:
      return "binary data";
    case REG_DWORD:
      return "32-bit number";
    case REG_QWORD:
      return "64-bit number";
    case REG_MULTI_SZ:
      return "multi-string";
    default:
      return "value of type " + std::to_string(type);
  }
}

namespace {

std::string LittleEndian(uint64_t value, int size) {
  std::string bytes;
  for (int i = 0; i < size; ++i) bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  return bytes;
}

RegValue StringValue(uint32_t type, std::string_view utf8) {
  std::u16string units = Utf8ToUtf16(utf8);
  units.push_back(u'\0');
  RegValue value{type, {}};
  for (char16_t unit : units) value.data += LittleEndian(unit, 2);
  return value;
}

}  // namespace

RegValue RegValue::Dword(uint32_t value) { return {REG_DWORD, LittleEndian(value, 4)}; }

RegValue RegValue::Qword(uint64_t value) { return {REG_QWORD, LittleEndian(value, 8)}; }

RegValue RegValue::String(std::string_view utf8) { return StringValue(REG_SZ, utf8); }

RegValue RegValue::ExpandString(std::string_view utf8) { return StringValue(REG_EXPAND_SZ, utf8); }

RegValue RegValue::Binary(std::string_view bytes) { return {REG_BINARY, std::string(bytes)}; }

std::string RegValue::Text() const {
  std::u16string units;
  for (size_t i = 0; i + 1 < data.size(); i += 2) {
    const auto unit = static_cast<char16_t>(static_cast<uint8_t>(data[i]) |
                                            static_cast<uint8_t>(data[i + 1]) << 8);
    if (unit == u'\0') break;
    units.push_back(unit);
  }
  return Utf16ToUtf8(units);
}

std::optional<uint64_t> RegValue::Number() const {
  if (data.size() > 8) return std::nullopt;
  uint64_t number = 0;
  for (size_t i = 0; i < data.size(); ++i)
    number |= static_cast<uint64_t>(static_cast<uint8_t>(data[i])) << (8 * i);
  return number;
}

}  // namespace platform
