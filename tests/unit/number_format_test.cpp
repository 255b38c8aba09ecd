#include "pdf/number_format.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

namespace pdf {
namespace {

TEST(FormatNumber, roundsToTwoDecimalsAndDropsTrailingZeros) {
  const struct {
    double value;
    const char* text;
  } kCases[] = {{0.125, "0.13"},    {-2, "-2"},
                {612, "612"},       {2.5, "2.5"},
                {3.0, "3"},         {-0.004, "0"},
                {-1.255, "-1.25"},  {1e-9, "0"},
                {841.89, "841.89"}, {-0.5, "-0.5"},
                {99.999, "100"},    {0.05, "0.05"},
                {-10.07, "-10.07"}, {1234567.8, "1234567.8"}};
  for (const auto& c : kCases) EXPECT_EQ(FormatNumber(c.value), c.text) << c.value;
}

TEST(FormatNumber, preciseFormKeepsFiveDecimals) {
  EXPECT_EQ(FormatNumber(0.333333, true), "0.33333");
  EXPECT_EQ(FormatNumber(-0.1, true), "-0.1");
  EXPECT_EQ(FormatNumber(0.000004, true), "0");
  EXPECT_EQ(FormatNumber(-3.00012, true), "-3.00012");
  EXPECT_EQ(FormatNumber(0.0705, true), "0.0705");
}

TEST(FormatNumber, nonFiniteAndHugeValuesStayReadable) {
  EXPECT_EQ(FormatNumber(std::numeric_limits<double>::quiet_NaN()), "0");
  EXPECT_EQ(FormatNumber(std::numeric_limits<double>::infinity()), "0");
  EXPECT_EQ(FormatNumber(-std::numeric_limits<double>::infinity()), "0");
  EXPECT_EQ(FormatNumber(1e300), "2147483647");
  EXPECT_EQ(FormatNumber(-1e300, true), "-2147483647");
}

TEST(FormatNumber, ignoresTheLocale) {
  const char* old = std::setlocale(LC_ALL, nullptr);
  const std::string saved = old ? old : "C";
  for (const char* locale : {"de_DE.UTF-8", "fr_FR.UTF-8", "C.UTF-8"}) {
    std::setlocale(LC_ALL, locale);
    EXPECT_EQ(FormatNumber(1234.5), "1234.5");
    EXPECT_EQ(FormatNumber(-0.25, true), "-0.25");
  }
  std::setlocale(LC_ALL, saved.c_str());
}

TEST(PadNumber, padsButNeverCuts) {
  EXPECT_EQ(PadNumber(123, 10), "0000000123");
  EXPECT_EQ(PadNumber(12345678901, 10), "12345678901");
  EXPECT_EQ(PadNumber(0, 5), "00000");
}

}  // namespace
}  // namespace pdf
