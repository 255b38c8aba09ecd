#pragma once

#include <cstdint>
#include <string>

#include "platform/registry_store.h"

namespace app {

// The forgiving way the main key is read: nothing ever fails. A missing key
// or value, a value of another type or any read error gives the default.
class TolerantReader {
 public:
  TolerantReader(platform::RegistryStore& store, std::string key)
      : store_(store), key_(std::move(key)) {}

  // A 32- or 64-bit number, binary data of at most 8 bytes (little-endian)
  // or a string holding a decimal integer.
  int64_t ReadInteger(const std::string& name, int64_t fallback) const;
  // An integer that is true when non-zero.
  bool ReadBool(const std::string& name, bool fallback) const;
  // A string, an expandable string (not expanded) or binary data.
  std::string ReadString(const std::string& name, const std::string& fallback) const;

 private:
  platform::RegistryStore& store_;
  std::string key_;
};

// The exacting way: a missing key or value gives the default, and a value of
// another type raises RegistryError naming it.
class StrictReader {
 public:
  StrictReader(platform::RegistryStore& store, std::string key);

  bool ValueExists(const std::string& name) const;
  // A 32-bit number (REG_DWORD), signed.
  int32_t ReadInteger(const std::string& name, int32_t fallback) const;
  bool ReadBool(const std::string& name, bool fallback) const;
  // A string or an expandable string (not expanded).
  std::string ReadString(const std::string& name, const std::string& fallback) const;

 private:
  [[noreturn]] void WrongType(const std::string& name, const platform::RegValue& value,
                              const char* expected) const;

  platform::RegistryStore& store_;
  std::string key_;
};

}  // namespace app
