#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// Value types, numbered as the Windows registry numbers them.
enum RegType : uint32_t {
  REG_NONE = 0,
  REG_SZ = 1,
  REG_EXPAND_SZ = 2,
  REG_BINARY = 3,
  REG_DWORD = 4,
  REG_MULTI_SZ = 7,
  REG_QWORD = 11,
};

// One typed value. `data` holds the bytes as the registry keeps them:
// strings as UTF-16LE with a terminating zero unit, numbers little-endian.
// "string", "32-bit number" and so on, for messages about stored values.
std::string RegTypeName(uint32_t type);

struct RegValue {
  uint32_t type = REG_NONE;
  std::string data;

  static RegValue Dword(uint32_t value);
  static RegValue Qword(uint64_t value);
  static RegValue String(std::string_view utf8);
  static RegValue ExpandString(std::string_view utf8);
  static RegValue Binary(std::string_view bytes);

  // The text of a string value (UTF-8), up to its first zero unit.
  std::string Text() const;
  // Little-endian number of at most 8 data bytes; nullopt when longer.
  std::optional<uint64_t> Number() const;

  bool operator==(const RegValue&) const = default;
};

// A registry failure: a value of the wrong type, a hive that cannot be
// read, parsed or written. The message names the value or the file.
class RegistryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

using NamedValues = std::vector<std::pair<std::string, RegValue>>;

// The current user's hive. Key paths are relative to HKEY_CURRENT_USER and
// use "\" between key names; key and value names compare without regard to
// ASCII case. An empty value name is the key's default value.
class RegistryStore {
 public:
  virtual ~RegistryStore() = default;

  virtual bool KeyExists(const std::string& key) = 0;
  virtual std::optional<RegValue> ReadValue(const std::string& key, const std::string& name) = 0;
  // Creates the key (and its parents) when it is missing.
  virtual void CreateKey(const std::string& key) = 0;
  // Stores the values under the key, creating it, as one change.
  virtual void WriteValues(const std::string& key, const NamedValues& values) = 0;
};

}  // namespace platform
