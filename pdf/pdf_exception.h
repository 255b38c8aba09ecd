#pragma once

#include <stdexcept>
#include <string>

namespace pdf {

// Failures of the PDF writer itself (lifecycle misuse, bad arguments). Data
// encoders (TrueType, CCITT, RC4 set-up) raise std::runtime_error instead.
class TPDFException : public std::runtime_error {
 public:
  explicit TPDFException(const std::string& message) : std::runtime_error(message) {}
};

namespace msg {
inline constexpr const char* kNotActivated = "Generation PDF file not activated";
inline constexpr const char* kInProgress = "Generation PDF file in progress";
inline constexpr const char* kOutOfRange = "Out of range";
inline constexpr const char* kCannotChange = "Cannot change this value";
inline constexpr const char* kPageInProgress = "Page in progress";
inline constexpr const char* kCannotConvertToUnicode = "Cannot convert text to unicode";
inline constexpr const char* kUrlOnWatermark = "Cannot create URL to watermark";
}  // namespace msg

}  // namespace pdf
