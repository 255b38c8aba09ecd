#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/registry_store.h"

namespace app {

// What a reader makes of a value of a type it does not read. A missing key or
// value gives the default in every case, and reading never writes.
enum class Strictness {
  // Refused: RegistryError naming the value, its type and the one expected.
  Strict,
  // Read as missing, so that a damaged setting can be put right.
  Lenient,
  // Converted where it can be (see ReadInteger, ReadString), else the
  // default; a read that fails gives the default too.
  Tolerant,
};

// Reads values of one key.
class RegistryReader {
 public:
  RegistryReader(platform::RegistryStore& store, std::string key, Strictness strictness)
      : store_(store), key_(std::move(key)), strictness_(strictness) {}

  bool ValueExists(const std::string& name) const { return Value(name).has_value(); }
  // A 32-bit number (dword:), signed. Tolerant also reads 64-bit numbers,
  // binary data of at most 8 bytes (little-endian) and strings holding a
  // decimal integer.
  int64_t ReadInteger(const std::string& name, int64_t fallback) const;
  // An integer that is true when non-zero.
  bool ReadBool(const std::string& name, bool fallback) const;
  // A string or an expandable string (not expanded). Tolerant also reads
  // binary data, up to its first zero byte.
  std::string ReadString(const std::string& name, const std::string& fallback) const;

 private:
  std::optional<platform::RegValue> Value(const std::string& name) const;
  // Throws when strict; the default otherwise.
  template <typename T>
  T WrongType(const std::string& name, const platform::RegValue& value, const char* expected,
              T fallback) const;

  platform::RegistryStore& store_;
  std::string key_;
  Strictness strictness_;
};

}  // namespace app
