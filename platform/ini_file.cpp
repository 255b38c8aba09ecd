#include "platform/ini_file.h"

#include <cerrno>
#include <cstdlib>
#include <stdexcept>

#include "platform/file_bytes.h"

namespace platform {

namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

std::string_view Trim(std::string_view text) {
  const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

std::optional<IniFile> IniFile::Load(const std::string& path, uint64_t maxBytes) {
  try {
    const std::vector<uint8_t> bytes = ReadWholeFile(path, maxBytes);
    return Parse(
        TextToUtf8(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())));
  } catch (const std::runtime_error&) {
    return std::nullopt;
  }
}

IniFile IniFile::Parse(std::string_view text) {
  IniFile ini;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::map<std::string, std::string>* section = nullptr;
  while (!text.empty()) {
    // Lines end in LF, CR LF or a lone CR.
    const size_t end = text.find_first_of("\r\n");
    std::string_view line = Trim(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      const size_t close = line.find(']');
      const std::string name = Lower(Trim(
          line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
      section = &ini.sections_[name];  // a repeated section adds to the first
      continue;
    }
    const size_t equals = line.find('=');
    if (section == nullptr || equals == std::string_view::npos) continue;
    std::string_view value = Trim(line.substr(equals + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    section->try_emplace(Lower(Trim(line.substr(0, equals))), value);
  }
  return ini;
}

const std::string* IniFile::Find(std::string_view section, std::string_view key) const {
  const auto s = sections_.find(Lower(section));
  if (s == sections_.end()) return nullptr;
  const auto k = s->second.find(Lower(key));
  return k == s->second.end() ? nullptr : &k->second;
}

bool IniFile::HasKey(std::string_view section, std::string_view key) const {
  return Find(section, key) != nullptr;
}

std::vector<std::string> IniFile::Keys(std::string_view section) const {
  std::vector<std::string> keys;
  const auto s = sections_.find(Lower(section));
  if (s == sections_.end()) return keys;
  for (const auto& entry : s->second) keys.push_back(entry.first);
  return keys;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                const std::string& fallback) const {
  const std::string* value = Find(section, key);
  return value != nullptr ? *value : fallback;
}

int32_t IniFile::ReadInteger(std::string_view section, std::string_view key,
                             int32_t fallback) const {
  const std::string* value = Find(section, key);
  if (value == nullptr || value->empty()) return fallback;
  std::string digits = *value;
  int base = 10;
  bool negative = false;
  size_t start = 0;
  if (digits[0] == '-' || digits[0] == '+') {
    negative = digits[0] == '-';
    start = 1;
  }
  if (digits.compare(start, 1, "$") == 0) {
    base = 16;
    start += 1;
  } else if (digits.compare(start, 2, "0x") == 0 || digits.compare(start, 2, "0X") == 0) {
    base = 16;
    start += 2;
  }
  if (start >= digits.size() || digits[start] == '-' || digits[start] == '+') return fallback;
  errno = 0;
  char* end = nullptr;
  const long long parsed = std::strtoll(digits.c_str() + start, &end, base);
  if (errno != 0 || *end != '\0') return fallback;
  const long long signedValue = negative ? -parsed : parsed;
  if (signedValue < INT32_MIN || signedValue > INT32_MAX) return fallback;
  return static_cast<int32_t>(signedValue);
}

}  // namespace platform
