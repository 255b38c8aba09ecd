#include "pdf/number_format.h"

#include <charconv>
#include <cmath>

namespace pdf {

namespace {

constexpr double kLargest = 2147483647.0;

}  // namespace

void AppendInteger(std::string& out, int64_t value) {
  char buffer[24];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

std::string IntToStr(int64_t value) {
  std::string text;
  AppendInteger(text, value);
  return text;
}

namespace {

// Decimals are a template argument so that every division below is by a
// constant, which compiles to a multiplication.
template <int Decimals>
void AppendFixed(std::string& out, double value) {
  constexpr int64_t kScale = Decimals == 2 ? 100 : 100000;
  // Halves round away from zero, as the "0.##" picture format does. The
  // magnitude stays below 2^48, so truncation is exact and so is the
  // remainder it leaves: std::round without a library call per number.
  const double magnitude = std::fabs(value) * static_cast<double>(kScale);
  auto scaled = static_cast<int64_t>(magnitude);
  if (magnitude - static_cast<double>(scaled) >= 0.5) ++scaled;
  if (scaled == 0) {
    out.push_back('0');
    return;
  }

  // Digits are written backwards into a buffer and appended at once.
  char text[32];
  char* const end = text + sizeof text;
  char* first = end;
  int64_t whole = scaled / kScale;
  int64_t fraction = scaled % kScale;
  if (fraction != 0) {
    int decimals = Decimals;
    for (; fraction % 10 == 0; fraction /= 10) --decimals;
    for (; decimals > 0; --decimals, fraction /= 10)
      *--first = static_cast<char>('0' + fraction % 10);
    *--first = '.';
  }
  do {
    *--first = static_cast<char>('0' + whole % 10);
    whole /= 10;
  } while (whole != 0);
  if (value < 0) *--first = '-';
  out.append(first, end);
}

}  // namespace

void AppendNumber(std::string& out, double value, bool precise) {
  if (!std::isfinite(value)) value = 0;
  if (value > kLargest) value = kLargest;
  if (value < -kLargest) value = -kLargest;
  if (precise)
    AppendFixed<5>(out, value);
  else
    AppendFixed<2>(out, value);
}

std::string FormatNumber(double value, bool precise) {
  std::string text;
  AppendNumber(text, value, precise);
  return text;
}

std::string PadNumber(int64_t value, int width) {
  std::string digits = IntToStr(value);
  if (static_cast<int>(digits.size()) >= width) return digits;
  return std::string(static_cast<size_t>(width) - digits.size(), '0') + digits;
}

}  // namespace pdf
