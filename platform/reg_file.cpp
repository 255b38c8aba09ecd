#include "platform/reg_file.h"

#include <cstdio>

#include "platform/file_bytes.h"
#include "platform/hex_digits.h"

namespace platform {

namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kCurrentUser = "HKEY_CURRENT_USER";
constexpr size_t kHexLineWidth = 77;

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// Number of bytes of the UTF-8 sequence at `at`, or 0 when it is malformed.
size_t Utf8SequenceLength(std::string_view text, size_t at) {
  const auto lead = static_cast<uint8_t>(text[at]);
  size_t length = lead < 0x80         ? 1
                  : (lead >> 5) == 6  ? 2
                  : (lead >> 4) == 14 ? 3
                  : (lead >> 3) == 30 ? 4
                                      : 0;
  if (length == 0 || at + length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i)
    if ((static_cast<uint8_t>(text[at + i]) & 0xC0) != 0x80) return 0;
  return length;
}

bool IsUtf8(std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    const size_t length = Utf8SequenceLength(text, at);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string line(text.substr(start, end - start));
    // Every CR before the line feed is line-end debris ("\r\r\n" too), or a
    // saved file would not read back as it was written.
    while (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

std::string Quote(std::string_view text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') quoted.push_back('\\');
    quoted.push_back(c);
  }
  quoted.push_back('"');
  return quoted;
}

bool IsBlank(const std::vector<std::string>& lines) {
  return lines.size() == 1 && Trim(lines[0]).empty();
}

// A string value that a quoted ".reg" string can carry unchanged.
bool FitsQuotedString(const RegValue& value) {
  if (value.type != REG_SZ) return false;
  const std::string text = value.Text();
  if (text.find_first_of("\r\n") != std::string::npos) return false;
  return RegValue::String(text) == value;
}

}  // namespace

std::string NormalizeKeyPath(std::string_view key) {
  while (!key.empty() && key.front() == '\\') key.remove_prefix(1);
  while (!key.empty() && key.back() == '\\') key.remove_suffix(1);
  return std::string(key);
}

// One pass over the lines; every problem names the file and the line.
class RegFile::Parser {
 public:
  Parser(RegFile& file, std::vector<std::string> lines, const std::string& fileName)
      : file_(file), lines_(std::move(lines)), fileName_(fileName) {}

  void Run() {
    bool headerSeen = false;
    for (index_ = 0; index_ < lines_.size(); ++index_) {
      const std::string& line = lines_[index_];
      if (!IsUtf8(line)) Fail("the text is neither UTF-8 nor UTF-16 with a byte order mark");
      const std::string_view text = Trim(line);
      if (!headerSeen) {
        if (!text.empty() && text != kHeader)
          Fail("the file does not start with \"" + std::string(kHeader) + "\"");
        headerSeen = !text.empty();
        file_.preamble_.push_back(line);
      } else if (text.empty() || text.front() == ';') {
        KeepLine(line);
      } else if (text.front() == '[') {
        ParseKey(text);
      } else if (text.front() == '"' || text.front() == '@') {
        ParseValue(text);
      } else {
        Fail("expected a key in [brackets], a value or a ';' comment");
      }
    }
  }

 private:
  [[noreturn]] void Fail(const std::string& problem) const {
    throw RegistryError(fileName_ + ":" + std::to_string(index_ + 1) + ": " + problem);
  }

  void KeepLine(const std::string& line) {
    if (file_.sections_.empty()) {
      file_.preamble_.push_back(line);
    } else {
      file_.sections_.back().entries.push_back(Entry{false, {}, {}, {line}});
    }
  }

  void ParseKey(std::string_view text) {
    if (text.back() != ']') Fail("a key line must end with ']'");
    const std::string_view path = text.substr(1, text.size() - 2);
    if (path.starts_with("-")) Fail("removing keys is not supported in the settings file");
    const size_t slash = path.find('\\');
    const std::string_view root = path.substr(0, slash);
    if (root.empty()) Fail("a key must start with its root, such as HKEY_CURRENT_USER");
    Section section;
    section.currentUser = EqualsIgnoreCase(root, kCurrentUser);
    section.key = NormalizeKeyPath(slash == std::string_view::npos ? "" : path.substr(slash));
    section.header = lines_[index_];
    file_.sections_.push_back(std::move(section));
  }

  // A quoted string starting at text[at]; `at` ends after the closing quote.
  std::string ParseQuoted(std::string_view text, size_t& at) {
    std::string result;
    for (++at; at < text.size(); ++at) {
      const char c = text[at];
      if (c == '"') {
        ++at;
        return result;
      }
      if (c == '\\') {
        if (at + 1 >= text.size() || (text[at + 1] != '\\' && text[at + 1] != '"'))
          Fail("in a quoted string a backslash must be written \\\\ and a quote \\\"");
        ++at;
      }
      result.push_back(text[at]);
    }
    Fail("a quoted string has no closing quote");
  }

  void ParseValue(std::string_view text) {
    if (file_.sections_.empty()) Fail("a value before the first [key] line");
    Entry entry;
    entry.isValue = true;
    entry.lines.push_back(lines_[index_]);
    size_t at = 0;
    if (text.front() == '@') {
      at = 1;
    } else {
      entry.name = ParseQuoted(text, at);
    }
    std::string_view rest = Trim(text.substr(at));
    if (!rest.starts_with("=")) Fail("expected '=' after the value name");
    rest = Trim(rest.substr(1));
    entry.value = ParseData(rest, entry.lines);
    file_.sections_.back().entries.push_back(std::move(entry));
  }

  RegValue ParseData(std::string_view data, std::vector<std::string>& lines) {
    if (data.starts_with("\"")) {
      size_t at = 0;
      const std::string text = ParseQuoted(data, at);
      if (!Trim(data.substr(at)).empty()) Fail("unexpected text after the closing quote");
      return RegValue::String(text);
    }
    if (StartsWithIgnoreCase(data, "dword:")) return ParseDword(data.substr(6));
    if (StartsWithIgnoreCase(data, "hex")) return ParseHex(data.substr(3), lines);
    if (data == "-") Fail("removing values is not supported in the settings file");
    Fail("unknown value data: expected \"text\", dword:, hex: or hex(type):");
  }

  RegValue ParseDword(std::string_view digits) {
    digits = Trim(digits);
    if (digits.empty() || digits.size() > 8) Fail("dword: needs 1 to 8 hexadecimal digits");
    uint32_t number = 0;
    for (char c : digits) {
      const int digit = HexDigitValue(c);
      if (digit < 0) Fail("dword: needs 1 to 8 hexadecimal digits");
      number = number << 4 | static_cast<uint32_t>(digit);
    }
    return RegValue::Dword(number);
  }

  RegValue ParseHex(std::string_view text, std::vector<std::string>& lines) {
    RegValue value{REG_BINARY, {}};
    if (text.starts_with("(")) {
      const size_t close = text.find(')');
      if (close == std::string_view::npos || close == 1 || close > 9) Fail("bad hex(type)");
      uint32_t type = 0;
      for (char c : text.substr(1, close - 1)) {
        if (HexDigitValue(c) < 0) Fail("bad hex(type)");
        type = type << 4 | static_cast<uint32_t>(HexDigitValue(c));
      }
      value.type = type;
      text.remove_prefix(close + 1);
    }
    if (!text.starts_with(":")) Fail("expected ':' after hex");
    std::string list(Trim(text.substr(1)));
    while (!list.empty() && list.back() == '\\') {
      list.pop_back();
      if (index_ + 1 >= lines_.size()) Fail("the hex data continues past the end of the file");
      ++index_;
      lines.push_back(lines_[index_]);
      list += Trim(lines_[index_]);
    }
    value.data = ParseBytes(list);
    return value;
  }

  std::string ParseBytes(std::string_view list) {
    std::string bytes;
    while (!Trim(list).empty()) {
      const size_t comma = list.find(',');
      const std::string_view item = Trim(list.substr(0, comma));
      if (item.empty() || item.size() > 2 || HexDigitValue(item[0]) < 0 ||
          (item.size() == 2 && HexDigitValue(item[1]) < 0))
        Fail("hex data must be bytes of two hexadecimal digits separated by commas");
      int byte = HexDigitValue(item[0]);
      if (item.size() == 2) byte = byte * 16 + HexDigitValue(item[1]);
      bytes.push_back(static_cast<char>(byte));
      if (comma == std::string_view::npos) break;
      list.remove_prefix(comma + 1);
    }
    return bytes;
  }

  RegFile& file_;
  std::vector<std::string> lines_;
  const std::string& fileName_;
  size_t index_ = 0;
};

RegFile RegFile::Parse(std::string_view bytes, const std::string& fileName) {
  RegFile file;
  Parser(file, SplitLines(TextToUtf8(bytes)), fileName).Run();
  return file;
}

std::string RegFile::Serialize() const {
  std::string text;
  auto add = [&text](const std::string& line) {
    text += line;
    text += '\n';
  };
  bool hasHeader = false;
  for (const std::string& line : preamble_) hasHeader = hasHeader || Trim(line) == kHeader;
  if (!hasHeader) {
    add(std::string(kHeader));
    add("");
  }
  for (const std::string& line : preamble_) add(line);
  for (const Section& section : sections_) {
    add(section.header);
    for (const Entry& entry : section.entries)
      for (const std::string& line : entry.lines) add(line);
  }
  return text;
}

bool RegFile::HasKey(std::string_view key) const {
  const std::string wanted = NormalizeKeyPath(key);
  if (wanted.empty()) return true;
  for (const Section& section : sections_) {
    if (!section.currentUser || section.key.size() < wanted.size()) continue;
    if (!EqualsIgnoreCase(std::string_view(section.key).substr(0, wanted.size()), wanted)) continue;
    if (section.key.size() == wanted.size() || section.key[wanted.size()] == '\\') return true;
  }
  return false;
}

const RegValue* RegFile::Find(std::string_view key, std::string_view name) const {
  const std::string wanted = NormalizeKeyPath(key);
  const RegValue* found = nullptr;
  for (const Section& section : sections_) {
    if (!section.currentUser || !EqualsIgnoreCase(section.key, wanted)) continue;
    for (const Entry& entry : section.entries)
      if (entry.isValue && EqualsIgnoreCase(entry.name, name)) found = &entry.value;
  }
  return found;
}

bool RegFile::CreateKey(std::string_view key) {
  if (HasKey(key)) return false;
  AppendSection(NormalizeKeyPath(key));
  return true;
}

void RegFile::AppendSection(const std::string& key) {
  const bool afterBlank = sections_.empty() ? preamble_.empty() || Trim(preamble_.back()).empty()
                                            : !sections_.back().entries.empty() &&
                                                  IsBlank(sections_.back().entries.back().lines);
  if (!afterBlank) {
    if (sections_.empty()) {
      preamble_.push_back("");
    } else {
      sections_.back().entries.push_back(Entry{false, {}, {}, {""}});
    }
  }
  Section section;
  section.currentUser = true;
  section.key = key;
  section.header = "[" + std::string(kCurrentUser) + "\\" + key + "]";
  sections_.push_back(std::move(section));
}

bool RegFile::Set(std::string_view key, std::string_view name, const RegValue& value) {
  const RegValue* current = Find(key, name);
  if (current != nullptr && *current == value) return false;
  const std::string wanted = NormalizeKeyPath(key);
  Entry fresh{true, std::string(name), value, FormatValue(name, value)};

  // The last copy is the one readers see; earlier copies go.
  std::vector<std::pair<size_t, size_t>> matches;
  for (size_t s = 0; s < sections_.size(); ++s) {
    const Section& section = sections_[s];
    if (!section.currentUser || !EqualsIgnoreCase(section.key, wanted)) continue;
    for (size_t e = 0; e < section.entries.size(); ++e)
      if (section.entries[e].isValue && EqualsIgnoreCase(section.entries[e].name, name))
        matches.emplace_back(s, e);
  }
  if (!matches.empty()) {
    sections_[matches.back().first].entries[matches.back().second] = std::move(fresh);
    for (size_t i = matches.size() - 1; i-- > 0;) {
      auto& entries = sections_[matches[i].first].entries;
      entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(matches[i].second));
    }
    return true;
  }

  Section* target = nullptr;
  for (Section& section : sections_)
    if (section.currentUser && EqualsIgnoreCase(section.key, wanted)) target = &section;
  if (target == nullptr) {
    // The key may exist only as the parent of another section.
    AppendSection(wanted);
    target = &sections_.back();
  }
  size_t at = target->entries.size();
  while (at > 0 && IsBlank(target->entries[at - 1].lines)) --at;
  target->entries.insert(target->entries.begin() + static_cast<std::ptrdiff_t>(at),
                         std::move(fresh));
  return true;
}

std::vector<std::string> RegFile::FormatValue(std::string_view name, const RegValue& value) {
  std::string line = (name.empty() ? std::string("@") : Quote(name)) + "=";
  if (FitsQuotedString(value)) return {line + Quote(value.Text())};
  if (value.type == REG_DWORD && value.data.size() == 4) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "dword:%08x", static_cast<unsigned>(*value.Number()));
    return {line + digits};
  }
  if (value.type == REG_BINARY) {
    line += "hex:";
  } else {
    char type[24];
    std::snprintf(type, sizeof type, "hex(%x):", value.type);
    line += type;
  }
  std::vector<std::string> lines;
  for (size_t i = 0; i < value.data.size(); ++i) {
    char byte[4];
    std::snprintf(byte, sizeof byte, "%02x", static_cast<uint8_t>(value.data[i]));
    line += byte;
    if (i + 1 == value.data.size()) break;
    line += ',';
    if (line.size() >= kHexLineWidth) {
      lines.push_back(line + "\\");
      line = "  ";
    }
  }
  lines.push_back(line);
  return lines;
}

}  // namespace platform
