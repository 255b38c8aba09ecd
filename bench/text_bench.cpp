// A text-heavy page: 60 lines of 80 characters with per-character advances,
// in a single-byte TrueType font and in a Unicode font. Reports the cost of
// reading a font's metrics (once per font), of placing the text, and of the
// save (subsets and font programs, built once per font) and the size of the file.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "pdf/document.h"
#include "pdf/fonts.h"
#include "pdf/page.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point since) {
  return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
  const int pages = argc > 1 ? std::atoi(argv[1]) : 20;
  const std::string path =
      (std::filesystem::temp_directory_path() / "tallowcraft_text_bench.pdf").string();
  pdf::TPDFDocument document;
  document.SetFileName(path);
  document.SetCompression(pdf::ctFlate);
  document.BeginDoc();

  auto start = Clock::now();
  document.Fonts().ObtainFont("Arial", 0, false);
  const double singleByteMetrics = Milliseconds(start);
  start = Clock::now();
  document.Fonts().ObtainFont("Arial", 0, true);
  const double unicodeMetrics = Milliseconds(start);

  std::u16string line;
  for (int i = 0; i < 80; ++i)
    line.push_back(i % 9 == 0 ? u'\u0416' : static_cast<char16_t>(u'a' + i % 26));
  std::vector<double> advances(line.size());
  for (size_t i = 0; i < advances.size(); ++i) advances[i] = 6.2 + (i % 3) * 0.4;

  double placing = 0;
  for (int p = 0; p < pages; ++p) {
    if (p > 0) document.NewPage();
    pdf::TPDFPage& page = document.CurrentPage();
    start = Clock::now();
    page.SetActiveFont("Arial", 0, 0, 10);
    for (int row = 0; row < 60; ++row) page.UnicodeExtTextOut(line, advances, 20, 20 + row * 13, 0);
    placing += Milliseconds(start);
  }
  start = Clock::now();
  document.EndDoc();
  const double save = Milliseconds(start);

  std::printf("font metrics, single-byte Arial: %.2f ms (once per font)\n", singleByteMetrics);
  std::printf("font metrics and glyph table, Unicode Arial: %.2f ms (once per font)\n",
              unicodeMetrics);
  std::printf("text page (60 x 80 characters with advances): %.3f ms per page\n", placing / pages);
  std::printf("save of %d pages with both fonts' subsets: %.2f ms, %ju bytes\n", pages, save,
              static_cast<uintmax_t>(std::filesystem::file_size(path)));
  std::filesystem::remove(path);
  return 0;
}
