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

std::optional<int64_t> TolerantInteger(const RegValue& value) {
  switch (value.type) {
    case platform::REG_DWORD:
      if (value.data.size() != 4) return std::nullopt;
      return static_cast<int32_t>(*value.Number());
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

// --- Tolerant ---------------------------------------------------------------

int64_t TolerantReader::ReadInteger(const std::string& name, int64_t fallback) const {
  try {
    const auto value = store_.ReadValue(key_, name);
    if (!value) return fallback;
    return TolerantInteger(*value).value_or(fallback);
  } catch (...) {
    return fallback;
  }
}

bool TolerantReader::ReadBool(const std::string& name, bool fallback) const {
  return ReadInteger(name, fallback ? 1 : 0) != 0;
}

std::string TolerantReader::ReadString(const std::string& name, const std::string& fallback) const {
  try {
    const auto value = store_.ReadValue(key_, name);
    if (!value) return fallback;
    if (value->type == platform::REG_SZ || value->type == platform::REG_EXPAND_SZ)
      return value->Text();
    if (value->type == platform::REG_BINARY) return value->data.substr(0, value->data.find('\0'));
    return fallback;
  } catch (...) {
    return fallback;
  }
}

// --- Strict -----------------------------------------------------------------

// Reading never writes: a missing key reads as a key of default values, and
// the settings file (its line ends, its encoding, a read-only one) stays as
// it is.
StrictReader::StrictReader(platform::RegistryStore& store, std::string key)
    : store_(store), key_(std::move(key)) {}

void StrictReader::WrongType(const std::string& name, const RegValue& value,
                             const char* expected) const {
  throw platform::RegistryError("settings value \"" + name + "\" in HKEY_CURRENT_USER\\" + key_ +
                                " has the wrong type: " + platform::RegTypeName(value.type) +
                                " where a " + expected + " is expected");
}

bool StrictReader::ValueExists(const std::string& name) const {
  return store_.ReadValue(key_, name).has_value();
}

int32_t StrictReader::ReadInteger(const std::string& name, int32_t fallback) const {
  const auto value = store_.ReadValue(key_, name);
  if (!value) return fallback;
  if (value->type != platform::REG_DWORD || value->data.size() != 4)
    WrongType(name, *value, "32-bit number (dword:)");
  return static_cast<int32_t>(*value->Number());
}

bool StrictReader::ReadBool(const std::string& name, bool fallback) const {
  return ReadInteger(name, fallback ? 1 : 0) != 0;
}

std::string StrictReader::ReadString(const std::string& name, const std::string& fallback) const {
  const auto value = store_.ReadValue(key_, name);
  if (!value) return fallback;
  if (value->type != platform::REG_SZ && value->type != platform::REG_EXPAND_SZ)
    WrongType(name, *value, "string");
  return value->Text();
}

}  // namespace app
