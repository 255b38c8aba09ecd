// Throughput of the path operations that every played picture leans on:
// device-unit conversion, number formatting and content lines, then the
// page write (deflated) into a real file.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "pdf/document.h"
#include "pdf/page.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
  const long count = argc > 1 ? std::atol(argv[1]) : 1000000;
  const std::string path =
      (std::filesystem::temp_directory_path() / "tallowcraft_page_graphics_bench.pdf").string();

  pdf::TPDFDocument document;
  document.SetFileName(path);
  document.SetResolution(600);
  document.SetCompression(pdf::ctFlate);
  document.BeginDoc();
  pdf::TPDFPage& page = document.CurrentPage();

  auto start = Clock::now();
  page.MoveTo(0, 0);
  for (long i = 0; i < count; ++i) {
    const double x = static_cast<double>(i % 4961) + 0.37;
    const double y = static_cast<double>((i * 7) % 7016) + 0.51;
    page.LineTo(x, y);
  }
  page.Stroke();
  const double drawSeconds = Seconds(start);
  const double megabytes = static_cast<double>(page.Content().size()) / 1e6;

  start = Clock::now();
  for (long i = 0; i < count / 10; ++i) page.ArcAngles(10, 10, 500, 300, 0, 300);
  const double arcSeconds = Seconds(start);

  start = Clock::now();
  document.EndDoc();
  const double writeSeconds = Seconds(start);
  const auto fileBytes = std::filesystem::file_size(path);
  std::filesystem::remove(path);

  std::printf("LineTo x %ld: %.3f s, %.1f MB content, %.1f MB/s, %.2f M ops/s\n", count,
              drawSeconds, megabytes, megabytes / drawSeconds, count / drawSeconds / 1e6);
  std::printf("ArcAngles x %ld (4 segments each): %.3f s, %.2f M arcs/s\n", count / 10, arcSeconds,
              count / 10 / arcSeconds / 1e6);
  std::printf("EndDoc (deflate + write): %.3f s, %.1f MB file\n", writeSeconds,
              static_cast<double>(fileBytes) / 1e6);
  return 0;
}
