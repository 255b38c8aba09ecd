#include "app/registry_readers.h"

#include <charconv>

namespace app {

using platform::RegValue;

namespace {

std::optional<int64_t> ParseDecimal(std::string text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.erase(0, 1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
  if (!text.empty() && text.front() == '+') text.erase(0, 1);
  int64_t number = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, number);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return number;
}

bool IsDword(const RegValue& value) {
  return value.type == platform::REG_DWORD && value.data.size() == 4;
}

// The other forms a tolerant reader takes a number from.
std::optional<int64_t> ConvertedInteger(const RegValue& value) {
  switch (value.type) {
    case platform::REG_QWORD:
      if (value.data.size() != 8) return std::nullopt;
      return static_cast<int64_t>(*value.Number());
    case platform::REG_BINARY: {
      const auto number = value.Number();
      if (!number) return std::nullopt;
      return static_cast<int64_t>(*number);
    }
    case platform::REG_SZ:
    case platform::REG_EXPAND_SZ:
      return ParseDecimal(value.Text());
    default:
      return std::nullopt;
  }
}

}  // namespace

std::optional<RegValue> RegistryReader::Value(const std::string& name) const {
  switch (strictness_) {
    case Strictness::Strict:
      break;
    case Strictness::Lenient:
      try {
        return store_.ReadValue(key_, name);
      } catch (const platform::RegistryError&) {
        return std::nullopt;
      }
    case Strictness::Tolerant:
      try {
        return store_.ReadValue(key_, name);
      } catch (...) {
        return std::nullopt;
      }
  }
  return store_.ReadValue(key_, name);
}

template <typename T>
T RegistryReader::WrongType(const std::string& name, const RegValue& value, const char* expected,
                            T fallback) const {
  if (strictness_ == Strictness::Strict)
    throw platform::RegistryError("settings value \"" + name + "\" in HKEY_CURRENT_USER\\" + key_ +
                                  " has the wrong type: " + platform::RegTypeName(value.type) +
                                  " where a " + expected + " is expected");
  return fallback;
}

int64_t RegistryReader::ReadInteger(const std::string& name, int64_t fallback) const {
  const auto value = Value(name);
  if (!value) return fallback;
  if (IsDword(*value)) return static_cast<int32_t>(*value->Number());
  if (strictness_ == Strictness::Tolerant) return ConvertedInteger(*value).value_or(fallback);
  return WrongType(name, *value, "32-bit number (dword:)", fallback);
}

bool RegistryReader::ReadBool(const std::string& name, bool fallback) const {
  return ReadInteger(name, fallback ? 1 : 0) != 0;
}

std::string RegistryReader::ReadString(const std::string& name, const std::string& fallback) const {
  const auto value = Value(name);
  if (!value) return fallback;
  if (value->type == platform::REG_SZ || value->type == platform::REG_EXPAND_SZ)
    return value->Text();
  if (strictness_ == Strictness::Tolerant && value->type == platform::REG_BINARY)
    return value->data.substr(0, value->data.find('\0'));
  return WrongType(name, *value, "string", fallback);
}

}  // namespace app
