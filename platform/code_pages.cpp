#include "platform/code_pages.h"

#include <iconv.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace platform {

namespace {

const char* IconvName(int codePage) {
  switch (codePage) {
    case 874:
      return "CP874";
    case 932:
      return "CP932";
    case 936:
      return "CP936";
    case 949:
      return "CP949";
    case 950:
      return "CP950";
    case 1250:
      return "CP1250";
    case 1251:
      return "CP1251";
    case 1252:
      return "CP1252";
    case 1253:
      return "CP1253";
    case 1254:
      return "CP1254";
    case 1255:
      return "CP1255";
    case 1256:
      return "CP1256";
    case 1257:
      return "CP1257";
    case 1258:
      return "CP1258";
    case 1361:
      return "JOHAB";
    case 10000:
      return "MACINTOSH";
    case 65001:
      return "UTF-8";
    default:
      return "CP1252";
  }
}

class Converter {
 public:
  Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
  ~Converter() {
    if (handle_ != reinterpret_cast<iconv_t>(-1)) iconv_close(handle_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool ok() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

  // Converts as much as possible; `skip` is how many input bytes to jump over
  // when a sequence cannot be converted. Returns false if anything was skipped.
  bool run(std::string_view input, size_t skip, std::vector<char>& output,
           const std::string& replacement) {
    // A kept converter starts each text from its initial shift state.
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    bool exact = true;
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    output.resize(input.size() * 4 + 16);
    size_t used = 0;
    while (inLeft > 0) {
      char* out = output.data() + used;
      size_t outLeft = output.size() - used;
      size_t rc = iconv(handle_, &in, &inLeft, &out, &outLeft);
      used = output.size() - outLeft;
      if (rc != static_cast<size_t>(-1)) break;
      if (errno == E2BIG) {
        output.resize(output.size() * 2);
        continue;
      }
      // EILSEQ or EINVAL (truncated sequence): skip and go on.
      exact = false;
      output.resize(used);
      output.insert(output.end(), replacement.begin(), replacement.end());
      used = output.size();
      output.resize(used + inLeft * 4 + 16);
      size_t step = std::min(skip, inLeft);
      in += step;
      inLeft -= step;
      iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    }
    output.resize(used);
    return exact;
  }

 private:
  iconv_t handle_;
};

// Opening a converter loads and parses its tables: each thread keeps the
// ones it opened (refused pairs too) for the run.
Converter& ConverterFor(const char* to, const char* from) {
  thread_local std::map<std::pair<std::string, std::string>, std::unique_ptr<Converter>> open;
  std::unique_ptr<Converter>& converter = open[{to, from}];
  if (!converter) converter = std::make_unique<Converter>(to, from);
  return *converter;
}

std::u16string BytesToUtf16(const std::vector<char>& bytes) {
  std::u16string text(bytes.size() / 2, u'\0');
  std::memcpy(text.data(), bytes.data(), text.size() * 2);
  return text;
}

std::string_view AsBytes(std::u16string_view text) {
  return {reinterpret_cast<const char*>(text.data()), text.size() * 2};
}

}  // namespace

std::u16string MultiByteToWide(int codePage, std::string_view bytes) {
  Converter& converter = ConverterFor("UTF-16LE", IconvName(codePage));
  if (!converter.ok()) return {};
  std::vector<char> out;
  converter.run(bytes, 1, out, "");
  return BytesToUtf16(out);
}

std::string WideToMultiByte(int codePage, std::u16string_view text) {
  Converter& converter = ConverterFor(IconvName(codePage), "UTF-16LE");
  if (!converter.ok()) return {};
  std::vector<char> out;
  converter.run(AsBytes(text), 2, out, "?");
  return {out.begin(), out.end()};
}

std::optional<std::string> WideToMultiByteExact(int codePage, std::u16string_view text) {
  Converter& converter = ConverterFor(IconvName(codePage), "UTF-16LE");
  if (!converter.ok()) return std::nullopt;
  std::vector<char> out;
  if (!converter.run(AsBytes(text), 2, out, "")) return std::nullopt;
  return std::string(out.begin(), out.end());
}

int SystemDefaultCharset() {
  const char* configured = std::getenv("TALLOWCRAFT_DEFAULT_CHARSET");
  if (configured == nullptr || *configured == '\0') return 0;
  char* end = nullptr;
  long value = std::strtol(configured, &end, 10);
  if (*end != '\0' || value < 0 || value > 255 || value == 1) return 0;
  return static_cast<int>(value);
}

std::u16string Utf8ToUtf16(std::string_view utf8) { return MultiByteToWide(65001, utf8); }

std::string Utf16ToUtf8(std::u16string_view utf16) { return WideToMultiByte(65001, utf16); }

}  // namespace platform
