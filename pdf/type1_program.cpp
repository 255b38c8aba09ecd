#include "pdf/type1_program.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <vector>

#include "platform/file_bytes.h"

namespace pdf {

namespace {

[[noreturn]] void Malformed(const std::string& what) {
  throw std::runtime_error("Type 1 font program: " + what);
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// --- The three parts ---------------------------------------------------------------

struct Parts {
  std::string cleartext, encrypted, trailer;
};

uint32_t LittleEndian32(std::string_view bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

// PFB: segments of a 0x80 byte, a type (1 text, 2 binary, 3 end) and a
// little-endian length; text before the binary segments is the cleartext,
// text after them the trailer.
Parts SplitPfb(std::string_view file) {
  Parts parts;
  size_t at = 0;
  while (at + 2 <= file.size() && static_cast<uint8_t>(file[at]) == 0x80) {
    const int type = static_cast<uint8_t>(file[at + 1]);
    if (type == 3) return parts;
    if (at + 6 > file.size()) Malformed("truncated segment header");
    const uint32_t length = LittleEndian32(file, at + 2);
    at += 6;
    if (length > file.size() - at) Malformed("segment longer than the file");
    const std::string_view data = file.substr(at, length);
    at += length;
    if (type == 2)
      parts.encrypted.append(data);
    else if (type == 1)
      (parts.encrypted.empty() ? parts.cleartext : parts.trailer).append(data);
    else
      Malformed("unknown segment type");
  }
  if (at != file.size()) Malformed("bytes outside the segments");
  return parts;
}

// Text form: the encrypted part starts after "eexec" and its line end and
// ends where the 512 zeros before "cleartomark" begin; it is hex when its
// first four characters are hex digits.
Parts SplitText(std::string_view file) {
  const size_t eexec = file.find("eexec");
  if (eexec == std::string_view::npos) Malformed("no eexec section");
  // One line end follows; a binary part may start with a line-feed byte, so
  // CR LF counts as one only where the cleartext's lines end that way.
  size_t start = eexec + 5;
  const bool crlf = file.substr(0, eexec).find("\r\n") != std::string_view::npos;
  if (start < file.size() && file[start] == '\r') {
    ++start;
    if (crlf && start < file.size() && file[start] == '\n') ++start;
  } else if (start < file.size() && file[start] == '\n') {
    ++start;
  }
  const size_t mark = file.rfind("cleartomark");
  if (mark == std::string_view::npos || mark < start) Malformed("no cleartomark");
  size_t end = mark;
  for (int zeros = 0; zeros < 512 && end > start;) {
    const char c = file[end - 1];
    if (c != '0' && !IsSpace(c)) break;
    if (c == '0') ++zeros;
    --end;
  }
  Parts parts{std::string(file.substr(0, start)), {}, std::string(file.substr(end))};
  std::string_view body = file.substr(start, end - start);
  const bool hex = body.size() >= 4 && std::all_of(body.begin(), body.begin() + 4,
                                                   [](char c) { return HexValue(c) >= 0; });
  if (!hex) {
    parts.encrypted = body;
    return parts;
  }
  int high = -1;
  for (char c : body) {
    const int value = HexValue(c);
    if (value < 0) {
      if (IsSpace(c)) continue;
      Malformed("bad hex digit in the eexec section");
    }
    if (high < 0) {
      high = value;
    } else {
      parts.encrypted.push_back(static_cast<char>(high << 4 | value));
      high = -1;
    }
  }
  return parts;
}

// --- Decryption and charstrings ----------------------------------------------------

constexpr uint16_t kEexecKey = 55665;
constexpr uint16_t kCharStringKey = 4330;

std::string Decrypt(std::string_view data, uint16_t key, size_t skip) {
  std::string plain;
  plain.reserve(data.size());
  uint16_t r = key;
  for (char c : data) {
    const auto cipher = static_cast<uint8_t>(c);
    plain.push_back(static_cast<char>(cipher ^ (r >> 8)));
    r = static_cast<uint16_t>((cipher + r) * 52845u + 22719u);
  }
  return plain.size() > skip ? plain.substr(skip) : std::string();
}

// Reads PostScript tokens of a decrypted or clear section.
class Scanner {
 public:
  explicit Scanner(std::string_view text, size_t at = 0) : text_(text), at_(at) {}

  std::string_view Token() {
    while (at_ < text_.size() && IsSpace(text_[at_])) ++at_;
    const size_t start = at_;
    // Brackets and string or hex delimiters stand alone, so that every
    // token but the last moves on.
    if (at_ < text_.size() &&
        std::string_view("[]{}()<>").find(text_[at_]) != std::string_view::npos)
      return text_.substr(at_++, 1);
    if (at_ < text_.size() && text_[at_] == '/') ++at_;
    while (at_ < text_.size() && !IsSpace(text_[at_]) &&
           std::string_view("/[]{}()<>").find(text_[at_]) == std::string_view::npos)
      ++at_;
    return text_.substr(start, at_ - start);
  }
  // The bytes of a charstring or subroutine: after "RD" (or "-|") one space,
  // then `count` bytes.
  std::string_view Binary(size_t count) {
    ++at_;
    if (count > text_.size() - std::min(at_, text_.size())) Malformed("charstring past the end");
    const std::string_view bytes = text_.substr(at_, count);
    at_ += count;
    return bytes;
  }
  bool AtEnd() const { return at_ >= text_.size(); }
  // Moves past the first `key` from here; false when there is none.
  bool Find(std::string_view key) {
    const size_t found = text_.find(key, at_);
    if (found == std::string_view::npos) return false;
    at_ = found + key.size();
    return true;
  }

 private:
  std::string_view text_;
  size_t at_;
};

// Numbers beyond any a font uses are refused, so that none overflows on
// its way to an integer.
std::optional<double> Number(std::string_view token) {
  constexpr double kLimit = 1e7;
  double value = 0;
  const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
  if (error != std::errc() || end != token.data() + token.size() || !(std::fabs(value) < kLimit))
    return std::nullopt;
  return value;
}

// The advance a charstring sets with hsbw (sbx wx) or sbw (sbx sby wx wy),
// its first command; nullopt when it starts otherwise.
std::optional<double> CharStringAdvance(std::string_view code) {
  std::vector<double> stack;
  for (size_t i = 0; i < code.size();) {
    const int v = static_cast<uint8_t>(code[i++]);
    if (v >= 32 && v <= 246) {
      stack.push_back(v - 139);
    } else if (v >= 247 && v <= 254) {
      if (i >= code.size()) return std::nullopt;
      const int w = static_cast<uint8_t>(code[i++]);
      stack.push_back(v <= 250 ? (v - 247) * 256 + w + 108 : -(v - 251) * 256 - w - 108);
    } else if (v == 255) {
      if (i + 4 > code.size()) return std::nullopt;
      uint32_t n = 0;
      for (int k = 0; k < 4; ++k) n = n << 8 | static_cast<uint8_t>(code[i++]);
      stack.push_back(static_cast<int32_t>(n));
    } else if (v == 13) {
      return stack.size() == 2 ? std::optional(stack[1]) : std::nullopt;
    } else if (v == 12 && i < code.size()) {
      const int op = static_cast<uint8_t>(code[i++]);
      if (op == 7) return stack.size() == 4 ? std::optional(stack[2]) : std::nullopt;
      if (op != 12 || stack.size() < 2 || stack.back() == 0) return std::nullopt;
      const double divisor = stack.back();
      stack.pop_back();
      stack.back() /= divisor;  // div, as widths with fractions are written
    } else {
      return std::nullopt;
    }
  }
  return std::nullopt;
}

struct PrivateValues {
  std::map<std::string, double, std::less<>> advances;  // by glyph name
  int32_t stdVW = 0;
};

PrivateValues ReadPrivate(std::string_view plain) {
  PrivateValues values;
  int lenIV = 4;
  Scanner scan(plain);
  if (scan.Find("/lenIV"))
    lenIV = static_cast<int>(std::clamp(Number(scan.Token()).value_or(4), -1.0, 64.0));
  scan = Scanner(plain);
  if (scan.Find("/StdVW") && scan.Token() == "[")
    values.stdVW = static_cast<int32_t>(std::lround(Number(scan.Token()).value_or(0)));
  scan = Scanner(plain);
  if (!scan.Find("/CharStrings")) Malformed("no CharStrings");
  // "/name length RD <bytes> ND" until the dictionary's "end".
  while (!scan.AtEnd()) {
    const std::string_view token = scan.Token();
    if (token == "end") break;
    if (!token.starts_with('/')) continue;
    const auto length = Number(scan.Token());
    if (!length || *length < 0) Malformed("bad charstring length");
    scan.Token();  // RD or -|
    const std::string_view bytes = scan.Binary(static_cast<size_t>(*length));
    // lenIV -1: the charstrings are not encrypted.
    const std::string code =
        lenIV < 0 ? std::string(bytes) : Decrypt(bytes, kCharStringKey, static_cast<size_t>(lenIV));
    if (auto advance = CharStringAdvance(code); advance && std::fabs(*advance) < 1e7)
      values.advances.emplace(std::string(token.substr(1)), *advance);
  }
  if (values.advances.empty()) Malformed("no charstrings with widths");
  return values;
}

// --- Cleartext and metrics file -----------------------------------------------------

// The built-in encoding: "dup code /name put" entries (StandardEncoding
// fonts are not symbolic and are not read here).
std::array<std::string, 256> ReadEncoding(std::string_view cleartext) {
  std::array<std::string, 256> names;
  Scanner scan(cleartext);
  if (!scan.Find("/Encoding")) Malformed("no Encoding");
  for (std::string_view token = scan.Token();
       !token.empty() && token != "readonly" && token != "def" && !scan.AtEnd();
       token = scan.Token()) {
    if (token != "dup") continue;
    const auto code = Number(scan.Token());
    const std::string_view name = scan.Token();
    if (code && *code >= 0 && *code < 256 && name.starts_with('/'))
      names[static_cast<size_t>(*code)] = name.substr(1);
  }
  return names;
}

void ReadClearValues(std::string_view cleartext, TType1Font& font) {
  Scanner scan(cleartext);
  if (!scan.Find("/FontName")) Malformed("no FontName");
  const std::string_view name = scan.Token();
  if (name.size() < 2 || !name.starts_with('/')) Malformed("bad FontName");
  font.fontName = name.substr(1);
  scan = Scanner(cleartext);
  if (scan.Find("/ItalicAngle")) font.italicAngle = Number(scan.Token()).value_or(0);
  scan = Scanner(cleartext);
  if (scan.Find("/FontBBox")) {
    scan.Token();  // { or [
    for (int32_t& value : font.fontBBox)
      value = static_cast<int32_t>(std::lround(Number(scan.Token()).value_or(0)));
  }
}

// "Key value ..." header lines of an AFM file, up to its character metrics.
std::map<std::string, std::string, std::less<>> ReadAfmHeader(std::string_view afm) {
  std::map<std::string, std::string, std::less<>> values;
  size_t at = 0;
  while (at < afm.size()) {
    size_t end = afm.find_first_of("\r\n", at);
    if (end == std::string_view::npos) end = afm.size();
    const std::string_view line = afm.substr(at, end - at);
    at = end + 1;
    if (line.starts_with("StartCharMetrics")) break;
    const size_t space = line.find(' ');
    if (space != std::string_view::npos)
      values.emplace(std::string(line.substr(0, space)), std::string(line.substr(space + 1)));
  }
  return values;
}

// The descriptor's values: the metrics file's where it gives them (an
// ascender or descender of 0 says nothing), else the program's box.
void ReadMetrics(std::string_view afm, int32_t stdVW, TType1Font& font) {
  const auto header = ReadAfmHeader(afm);
  const auto value = [&](std::string_view key) -> std::optional<int32_t> {
    const auto found = header.find(key);
    if (found == header.end()) return std::nullopt;
    Scanner scan(found->second);
    const auto number = Number(scan.Token());
    if (!number) return std::nullopt;
    return static_cast<int32_t>(std::lround(*number));
  };
  const auto nonZero = [](std::optional<int32_t> v) { return v && *v != 0 ? v : std::nullopt; };
  font.ascent = nonZero(value("Ascender")).value_or(font.fontBBox[3]);
  font.descent = nonZero(value("Descender")).value_or(font.fontBBox[1]);
  font.capHeight = value("CapHeight").value_or(font.fontBBox[3]);
  // A common stem width for fonts that name none.
  constexpr int32_t kTypicalStem = 80;
  font.stemV = value("StdVW").value_or(stdVW > 0 ? stdVW : kTypicalStem);
}

std::string Slurp(const std::string& path) {
  constexpr size_t kLimit = 4 << 20;  // the faces sought are some 40 KB
  platform::ReadableFile file(path);
  if (file.Size() > kLimit) throw platform::TooLargeError(path, kLimit);
  std::vector<uint8_t> bytes;
  while (file.Append(bytes, 1 << 16) > 0) {
    if (bytes.size() > kLimit) throw platform::TooLargeError(path, kLimit);
  }
  return std::string(bytes.begin(), bytes.end());
}

std::vector<std::string> Type1Files(const std::string& family) {
  FcInit();
  std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)> pattern(FcPatternCreate(),
                                                                  FcPatternDestroy);
  FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddString(pattern.get(), FC_FONTFORMAT, reinterpret_cast<const FcChar8*>("Type 1"));
  std::unique_ptr<FcObjectSet, decltype(&FcObjectSetDestroy)> objects(
      FcObjectSetBuild(FC_FILE, nullptr), FcObjectSetDestroy);
  std::unique_ptr<FcFontSet, decltype(&FcFontSetDestroy)> set(
      FcFontList(nullptr, pattern.get(), objects.get()), FcFontSetDestroy);
  std::vector<std::string> files;
  for (int i = 0; set && i < set->nfont; ++i) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(set->fonts[i], FC_FILE, 0, &file) == FcResultMatch && file != nullptr)
      files.emplace_back(reinterpret_cast<const char*>(file));
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

TType1Font ReadType1Font(std::string_view program, std::string_view afm) {
  const bool pfb = !program.empty() && static_cast<uint8_t>(program[0]) == 0x80;
  Parts parts = pfb ? SplitPfb(program) : SplitText(program);
  if (parts.encrypted.size() < 4 || parts.trailer.find("cleartomark") == std::string::npos)
    Malformed("no encrypted part");
  TType1Font font;
  ReadClearValues(parts.cleartext, font);
  const std::array<std::string, 256> encoding = ReadEncoding(parts.cleartext);
  const PrivateValues values = ReadPrivate(Decrypt(parts.encrypted, kEexecKey, 4));
  // A code without a glyph shows .notdef, with its advance.
  const auto notdef = values.advances.find(".notdef");
  const double notdefAdvance = notdef != values.advances.end() ? notdef->second : 0;
  for (size_t code = 0; code < 256; ++code) {
    const auto found = values.advances.find(encoding[code]);
    font.hasGlyph[code] = !encoding[code].empty() && found != values.advances.end();
    font.widths[code] =
        static_cast<int32_t>(std::lround(font.hasGlyph[code] ? found->second : notdefAdvance));
  }
  ReadMetrics(afm, values.stdVW, font);
  font.cleartext = std::move(parts.cleartext);
  font.encrypted = std::move(parts.encrypted);
  font.trailer = std::move(parts.trailer);
  return font;
}

std::optional<TType1Font> LoadInstalledType1Font(const std::string& family) {
  std::vector<std::string> files = Type1Files(family);
  // Those with a metrics file beside them first.
  const auto afmOf = [](const std::string& file) {
    return std::filesystem::path(file).replace_extension(".afm").string();
  };
  std::stable_partition(files.begin(), files.end(), [&](const std::string& file) {
    std::error_code error;
    return std::filesystem::is_regular_file(afmOf(file), error);
  });
  for (const std::string& file : files) {
    try {
      std::string afm;
      try {
        afm = Slurp(afmOf(file));
      } catch (const std::exception&) {
      }
      return ReadType1Font(Slurp(file), afm);
    } catch (const std::exception&) {
      // A damaged or unreadable copy: the next one, or none.
    }
  }
  return std::nullopt;
}

}  // namespace pdf
