#pragma once

#include <cstdint>
#include <string>

namespace pdf {

// PDF numbers: "." as decimal point whatever the locale, at most two decimals
// (five with `precise`, used for character spacing), trailing zeros dropped.
// Never writes an exponent, "nan" or "inf": a non-finite value is written as 0
// and values are clamped to +-2147483647, the range readers accept.
std::string FormatNumber(double value, bool precise = false);

// Appends the same text to `out`, without a temporary string.
void AppendNumber(std::string& out, double value, bool precise = false);

// Plain signed decimal integer.
void AppendInteger(std::string& out, int64_t value);
std::string IntToStr(int64_t value);

// Decimal digits, left-padded with zeros to `width`; longer numbers are kept whole.
std::string PadNumber(int64_t value, int width);

}  // namespace pdf
