#include "pdf/saslprep.h"

#include <unicode/usprep.h>
#include <unicode/ustring.h>

#include <memory>
#include <vector>

namespace pdf {

namespace {

// Longer passwords are cut: readers compare no more than these bytes.
constexpr size_t kLongestPassword = 127;

using Profile = std::unique_ptr<UStringPrepProfile, decltype(&usprep_close)>;

PreparedPassword Refused(std::string problem) { return {false, {}, std::move(problem)}; }

std::string ProblemOf(UErrorCode status) {
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
      return std::string("it cannot be prepared (") + u_errorName(status) + ")";
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
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = 0;
  u_strFromUTF8(nullptr, 0, &length, utf8.data(), static_cast<int32_t>(utf8.size()), &status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status))
    return Refused("it is not UTF-8 text");
  std::vector<UChar> text(static_cast<size_t>(length) + 1);
  status = U_ZERO_ERROR;
  u_strFromUTF8(text.data(), length + 1, nullptr, utf8.data(), static_cast<int32_t>(utf8.size()),
                &status);
  if (U_FAILURE(status)) return Refused("it is not UTF-8 text");
  if (length == 0) return {true, {}, {}};

  Profile profile(usprep_openByType(USPREP_RFC4013_SASLPREP, &status), &usprep_close);
  if (U_FAILURE(status)) return Refused(ProblemOf(status));
  // Mapping and NFKC can grow the text; ask for the size first.
  UParseError where{};
  const int32_t size = usprep_prepare(profile.get(), text.data(), length, nullptr, 0,
                                      USPREP_DEFAULT, &where, &status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return Refused(ProblemOf(status));
  std::vector<UChar> prepared(static_cast<size_t>(size) + 1);
  status = U_ZERO_ERROR;
  usprep_prepare(profile.get(), text.data(), length, prepared.data(), size + 1, USPREP_DEFAULT,
                 &where, &status);
  if (U_FAILURE(status)) return Refused(ProblemOf(status));

  std::string out(static_cast<size_t>(size) * 3 + 1, '\0');
  int32_t outLength = 0;
  u_strToUTF8(out.data(), static_cast<int32_t>(out.size()), &outLength, prepared.data(), size,
              &status);
  if (U_FAILURE(status)) return Refused(ProblemOf(status));
  out.resize(static_cast<size_t>(outLength));
  return {true, Truncated(std::move(out)), {}};
}

}  // namespace pdf
