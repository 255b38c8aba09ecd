#include "pdf/pdf_strings.h"

#include "platform/code_pages.h"

namespace pdf {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Unicode units of the bytes 128..159 of Windows code page 1252; 0 where the
// byte is undefined (those bytes map to themselves).
constexpr char16_t kWinAnsiHigh[32] = {
    8364, 0,    8218, 402,  8222, 8230, 8224, 8225, 710, 8240, 352, 8249, 338, 0, 381, 0,
    0,    8216, 8217, 8220, 8221, 8226, 8211, 8212, 732, 8482, 353, 8250, 339, 0, 382, 376};

}  // namespace

std::string EscapeString(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + 8);
  for (char c : bytes) {
    switch (c) {
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '(':
        out += "\\(";
        break;
      case ')':
        out += "\\)";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

void AppendByteHex(std::string& out, uint8_t byte) {
  out.push_back(kHexDigits[byte >> 4]);
  out.push_back(kHexDigits[byte & 15]);
}

void AppendWordHex(std::string& out, uint16_t unit) {
  AppendByteHex(out, static_cast<uint8_t>(unit >> 8));
  AppendByteHex(out, static_cast<uint8_t>(unit & 255));
}

std::string ByteToHex(uint8_t byte) {
  std::string out;
  AppendByteHex(out, byte);
  return out;
}

std::string WordToHex(uint16_t unit) {
  std::string out;
  AppendWordHex(out, unit);
  return out;
}

std::string UnicodeToHex(std::u16string_view text) {
  if (text.empty()) return {};
  std::string out = "FEFF";
  out.reserve(4 + text.size() * 4);
  for (char16_t unit : text) AppendWordHex(out, static_cast<uint16_t>(unit));
  return out;
}

std::string ToUnicodeHex(std::string_view bytes, int charset) {
  int codePage = 1252;
  switch (charset) {
    case 128:
      codePage = 932;
      break;
    case 129:
      codePage = 949;
      break;
    case 134:
      codePage = 936;
      break;
    case 136:
      codePage = 950;
      break;
    case 161:
      codePage = 1253;
      break;
    case 162:
      codePage = 1254;
      break;
    case 186:
      codePage = 1257;
      break;
    case 204:
      codePage = 1251;
      break;
    case 238:
      codePage = 1250;
      break;
    default:
      break;
  }
  return UnicodeToHex(platform::MultiByteToWide(codePage, bytes));
}

int CharsetToCodePage(int charset) {
  if (charset == 1) charset = platform::SystemDefaultCharset();
  switch (charset) {
    case 77:
      return 10000;
    case 128:
      return 932;
    case 129:
      return 949;
    case 130:
      return 1361;
    case 134:
      return 936;
    case 136:
      return 950;
    case 161:
      return 1253;
    case 162:
      return 1254;
    case 163:
      return 1258;
    case 177:
      return 1255;
    case 178:
      return 1256;
    case 186:
      return 1257;
    case 204:
      return 1251;
    case 222:
      return 874;
    case 238:
      return 1250;
    default:
      return 1252;
  }
}

bool IsWinAnsiChar(char16_t unit) {
  if (unit <= 127 || (unit >= 160 && unit <= 254)) return true;
  return UnicodeToWinAnsi(unit) != 0;
}

uint8_t UnicodeToWinAnsi(char16_t unit) {
  if (unit <= 127 || (unit >= 160 && unit <= 254)) return static_cast<uint8_t>(unit);
  if (unit == 129 || unit == 141 || unit == 143 || unit == 144 || unit == 157)
    return static_cast<uint8_t>(unit);
  for (int i = 0; i < 32; ++i) {
    if (kWinAnsiHigh[i] != 0 && kWinAnsiHigh[i] == unit) return static_cast<uint8_t>(128 + i);
  }
  return 0;
}

char16_t WinAnsiToUnicode(uint8_t byte) {
  if (byte >= 128 && byte <= 159 && kWinAnsiHigh[byte - 128] != 0) return kWinAnsiHigh[byte - 128];
  return byte;
}

std::string UpperCase(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

}  // namespace pdf
