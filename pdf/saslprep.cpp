#include "pdf/saslprep.h"

#include <algorithm>
#include "platform/shared_library.h"

#include <unicode/usprep.h>
#include <unicode/ustring.h>
#include <unicode/uvernum.h>

#include <memory>
#include <string>
#include <vector>

namespace pdf {

namespace {

// Longer passwords are cut: readers compare no more than these bytes.
constexpr size_t kLongestPassword = 127;

// ICU's names carry its version ("usprep_prepare_72"); the headers rename
// the plain names, so the symbol is the macro expansion as text.
#define TALLOWCRAFT_ICU_TEXT(name) #name
#define TALLOWCRAFT_ICU_SYMBOL(name) TALLOWCRAFT_ICU_TEXT(name)

// ICU is opened when an AES-256 password is prepared, not with the program:
// most jobs never need it. It stays loaded.
struct IcuLibrary {
  platform::SharedLibrary library{
      ("libicuuc.so." + std::to_string(U_ICU_VERSION_MAJOR_NUM)).c_str()};
  decltype(&u_strFromUTF8) fromUtf8 = nullptr;
  decltype(&u_strToUTF8) toUtf8 = nullptr;
  decltype(&usprep_openByType) openProfile = nullptr;
  decltype(&usprep_prepare) prepare = nullptr;
  decltype(&usprep_close) closeProfile = nullptr;
  decltype(&u_errorName) errorName = nullptr;
  bool usable = false;

  IcuLibrary() {
    usable = Bind(fromUtf8, TALLOWCRAFT_ICU_SYMBOL(u_strFromUTF8)) &&
             Bind(toUtf8, TALLOWCRAFT_ICU_SYMBOL(u_strToUTF8)) &&
             Bind(openProfile, TALLOWCRAFT_ICU_SYMBOL(usprep_openByType)) &&
             Bind(prepare, TALLOWCRAFT_ICU_SYMBOL(usprep_prepare)) &&
             Bind(closeProfile, TALLOWCRAFT_ICU_SYMBOL(usprep_close)) &&
             Bind(errorName, TALLOWCRAFT_ICU_SYMBOL(u_errorName));
  }
  template <typename Function>
  bool Bind(Function& function, const char* name) {
    return library.Bind(function, name);
  }
};

using Profile = std::unique_ptr<UStringPrepProfile, void (*)(UStringPrepProfile*)>;

PreparedPassword Refused(std::string problem) { return {false, {}, std::move(problem)}; }

std::string ProblemOf(const IcuLibrary& icu, UErrorCode status) {
  switch (status) {
    case U_STRINGPREP_PROHIBITED_ERROR:
      return "it holds a character that a password may not hold (a control, private-use or "
             "non-character code point, or one of the other characters SASLprep prohibits)";
    case U_STRINGPREP_UNASSIGNED_ERROR:
      return "it holds a character that Unicode does not assign";
    case U_STRINGPREP_CHECK_BIDI_ERROR:
      return "it mixes right-to-left and left-to-right text in a way that cannot be typed back "
             "reliably";
    default:
      return std::string("it cannot be prepared (") + icu.errorName(status) + ")";
  }
}

// Cuts at 127 bytes without leaving half a character behind.
std::string Truncated(std::string utf8) {
  if (utf8.size() <= kLongestPassword) return utf8;
  size_t end = kLongestPassword;
  while (end > 0 && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) --end;
  utf8.resize(end);
  return utf8;
}

}  // namespace

PreparedPassword SaslPrepPassword(const std::string& utf8) {
  // SASLprep maps, normalises and refuses only characters outside printable
  // ASCII: such a password is its own result, and ICU need not be loaded.
  if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return c >= 0x20 && c < 0x7F; }))
    return {true, Truncated(utf8), {}};
  static const IcuLibrary icu;
  if (!icu.usable) return Refused("ICU (libicuuc) cannot be loaded to prepare it");
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = 0;
  icu.fromUtf8(nullptr, 0, &length, utf8.data(), static_cast<int32_t>(utf8.size()), &status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status))
    return Refused("it is not UTF-8 text");
  std::vector<UChar> text(static_cast<size_t>(length) + 1);
  status = U_ZERO_ERROR;
  icu.fromUtf8(text.data(), length + 1, nullptr, utf8.data(), static_cast<int32_t>(utf8.size()),
               &status);
  if (U_FAILURE(status)) return Refused("it is not UTF-8 text");
  if (length == 0) return {true, {}, {}};

  Profile profile(icu.openProfile(USPREP_RFC4013_SASLPREP, &status), icu.closeProfile);
  if (U_FAILURE(status)) return Refused(ProblemOf(icu, status));
  // Mapping and NFKC can grow the text; ask for the size first.
  UParseError where{};
  const int32_t size =
      icu.prepare(profile.get(), text.data(), length, nullptr, 0, USPREP_DEFAULT, &where, &status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status))
    return Refused(ProblemOf(icu, status));
  std::vector<UChar> prepared(static_cast<size_t>(size) + 1);
  status = U_ZERO_ERROR;
  icu.prepare(profile.get(), text.data(), length, prepared.data(), size + 1, USPREP_DEFAULT, &where,
              &status);
  if (U_FAILURE(status)) return Refused(ProblemOf(icu, status));

  std::string out(static_cast<size_t>(size) * 3 + 1, '\0');
  int32_t outLength = 0;
  icu.toUtf8(out.data(), static_cast<int32_t>(out.size()), &outLength, prepared.data(), size,
             &status);
  if (U_FAILURE(status)) return Refused(ProblemOf(icu, status));
  out.resize(static_cast<size_t>(outLength));
  return {true, Truncated(std::move(out)), {}};
}

}  // namespace pdf
