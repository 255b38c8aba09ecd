#include "pdf/number_format.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>

namespace pdf {

namespace {

constexpr double kLargest = 2147483647.0;

}  // namespace

void AppendInteger(std::string& out, int64_t value) {
  char buffer[24];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, static_cast<size_t>(result.ptr - buffer));
}

std::string IntToStr(int64_t value) {
  std::string text;
  AppendInteger(text, value);
  return text;
}

namespace {

// "00" "01" ... "99": two digits per division.
constexpr std::array<char, 200> kDigitPairs = [] {
  std::array<char, 200> pairs{};
  for (int i = 0; i < 100; ++i) {
    pairs[static_cast<size_t>(2 * i)] = static_cast<char>('0' + i / 10);
    pairs[static_cast<size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
  }
  return pairs;
}();

// Writes the digits of `value` backwards, ending just before `end`; returns
// the first digit.
char* PutDigits(char* end, uint64_t value) {
  while (value >= 100) {
    end -= 2;
    std::memcpy(end, &kDigitPairs[2 * (value % 100)], 2);
    value /= 100;
  }
  if (value >= 10) {
    end -= 2;
    std::memcpy(end, &kDigitPairs[2 * value], 2);
  } else {
    *--end = static_cast<char>('0' + value);
  }
  return end;
}

// Decimals are a template argument so that every division below is by a
// constant, which compiles to a multiplication.
template <int Decimals>
void AppendFixed(std::string& out, double value) {
  constexpr uint64_t kScale = Decimals == 2 ? 100 : 100000;
  // Halves round away from zero, as the "0.##" picture format does. The
  // magnitude stays below 2^48, so truncation is exact and so is the
  // remainder it leaves: std::round without a library call per number.
  const double magnitude = std::fabs(value) * static_cast<double>(kScale);
  // (Signed conversions both ways: one instruction each.)
  const auto truncated = static_cast<int64_t>(magnitude);
  auto scaled = static_cast<uint64_t>(truncated);
  if (magnitude - static_cast<double>(truncated) >= 0.5) ++scaled;
  if (scaled == 0) {
    out.push_back('0');
    return;
  }

  char text[32];
  char* const end = text + sizeof text;
  char* first = end;
  uint64_t fraction = scaled % kScale;
  if (fraction != 0) {
    int decimals = Decimals;
    for (; fraction % 10 == 0; fraction /= 10) --decimals;
    // Leading zeros of the fraction ("0.05") are the digits it lacks.
    char* const point = first - decimals - 1;
    for (char* digit = PutDigits(first, fraction); digit > point + 1;) *--digit = '0';
    *point = '.';
    first = point;
  }
  first = PutDigits(first, scaled / kScale);
  if (value < 0) *--first = '-';
  out.append(first, static_cast<size_t>(end - first));
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
