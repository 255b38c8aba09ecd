#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/registry_store.h"

namespace platform {

// The text of a ".reg" file ("Windows Registry Editor Version 5.00") as an
// editable document. Values are changed line by line, so comments, order and
// hand formatting of everything else survive a save. Only keys under
// HKEY_CURRENT_USER are visible; other sections are kept as they are.
class RegFile {
 public:
  // An empty hive.
  RegFile() = default;

  // Reads UTF-8 (with or without a byte order mark) or UTF-16 with a byte
  // order mark. Throws RegistryError "<fileName>:<line>: <problem>".
  static RegFile Parse(std::string_view bytes, const std::string& fileName);

  // UTF-8 text, one line per "\n".
  std::string Serialize() const;

  bool HasKey(std::string_view key) const;
  // The value's last occurrence; null when absent.
  const RegValue* Find(std::string_view key, std::string_view name) const;

  // Each returns whether the document changed.
  bool CreateKey(std::string_view key);
  bool Set(std::string_view key, std::string_view name, const RegValue& value);

  // The lines that store one value (more than one when hex data is long).
  static std::vector<std::string> FormatValue(std::string_view name, const RegValue& value);

 private:
  struct Entry {
    bool isValue = false;
    std::string name;
    RegValue value;
    std::vector<std::string> lines;
  };
  struct Section {
    bool currentUser = false;
    std::string key;  // below HKEY_CURRENT_USER, without surrounding "\"
    std::vector<Entry> entries;
    std::string header;
  };

  class Parser;

  // A new "[HKEY_CURRENT_USER\key]" section at the end, after a blank line.
  void AppendSection(const std::string& key);

  std::vector<std::string> preamble_;
  std::vector<Section> sections_;
};

// The key path without a trailing "\", for comparisons.
std::string NormalizeKeyPath(std::string_view key);

}  // namespace platform
