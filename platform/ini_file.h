#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A read-only INI file as the Windows profile calls see it: section and key
// names compare without regard to case, the first occurrence wins, values
// are trimmed and lose one pair of surrounding quotes.
class IniFile {
 public:
  // UTF-8, or UTF-16 with a byte order mark; lines end in LF, CR LF or CR.
  // nullopt when the file does not exist, cannot be read, is not a regular
  // file or is larger than `maxBytes`.
  static std::optional<IniFile> Load(const std::string& path, uint64_t maxBytes);
  static IniFile Parse(std::string_view text);

  std::string ReadString(std::string_view section, std::string_view key,
                         const std::string& fallback) const;
  // The whole trimmed value as a decimal (or "0x"/"$" hex) 32-bit integer,
  // else the fallback.
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t fallback) const;
  bool HasKey(std::string_view section, std::string_view key) const;
  // The key names of a section, lower-case.
  std::vector<std::string> Keys(std::string_view section) const;

 private:
  const std::string* Find(std::string_view section, std::string_view key) const;
  std::map<std::string, std::map<std::string, std::string>> sections_;  // lower-case names
};

}  // namespace platform
