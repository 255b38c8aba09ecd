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

void AppendNumber(std::string& out, double value, bool precise) {
  if (!std::isfinite(value)) value = 0;
  if (value > kLargest) value = kLargest;
  if (value < -kLargest) value = -kLargest;

  const int decimals = precise ? 5 : 2;
  const int64_t scale = precise ? 100000 : 100;
  // Halves round away from zero, as the "0.##" picture format does.
  const auto scaled =
      static_cast<int64_t>(std::round(std::fabs(value) * static_cast<double>(scale)));
  if (scaled == 0) {
    out.push_back('0');
    return;
  }
  if (value < 0) out.push_back('-');
  AppendInteger(out, scaled / scale);
  int64_t fraction = scaled % scale;
  if (fraction == 0) return;

  char digits[5];
  for (int i = decimals - 1; i >= 0; --i) {
    digits[i] = static_cast<char>('0' + fraction % 10);
    fraction /= 10;
  }
  int length = decimals;
  while (length > 0 && digits[length - 1] == '0') --length;
  out.push_back('.');
  out.append(digits, static_cast<size_t>(length));
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
