// Hot primitive of every content stream: number formatting into a line.
// Prints millions of numbers per second for the two-decimal and the
// five-decimal forms, against snprintf("%.2f") on the same values.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "pdf/number_format.h"

namespace {

template <typename F>
double MillionsPerSecond(const std::vector<double>& values, F format) {
  const auto start = std::chrono::steady_clock::now();
  size_t total = 0;
  for (int round = 0; round < 20; ++round) total += format(values);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (total == 0) std::puts("");
  return 20.0 * static_cast<double>(values.size()) / seconds / 1e6;
}

}  // namespace

int main() {
  std::vector<double> values(1'000'000);
  for (size_t i = 0; i < values.size(); ++i)
    values[i] = (static_cast<double>(i % 100000) - 50000.0) * 0.0173;

  const double ours = MillionsPerSecond(values, [](const std::vector<double>& v) {
    std::string line;
    for (double x : v) {
      line.clear();
      pdf::AppendNumber(line, x);
    }
    return line.size();
  });
  const double precise = MillionsPerSecond(values, [](const std::vector<double>& v) {
    std::string line;
    for (double x : v) {
      line.clear();
      pdf::AppendNumber(line, x, true);
    }
    return line.size();
  });
  const double printf = MillionsPerSecond(values, [](const std::vector<double>& v) {
    char buffer[64];
    int n = 0;
    for (double x : v) n += std::snprintf(buffer, sizeof buffer, "%.2f", x);
    return static_cast<size_t>(n);
  });
  std::printf("FormatNumber 0.##      %8.1f M/s\n", ours);
  std::printf("FormatNumber 0.#####   %8.1f M/s\n", precise);
  std::printf("snprintf %%.2f          %8.1f M/s\n", printf);
  return 0;
}
