// The picture outputs beside the PDF path for the same pages: JPEG pages per
// second at 96 and 300 dpi, SWF seconds per slide, and the PDF of the same
// job. Pages are A4 pictures of bars and ellipses made by the EMF builder.
// Peak memory of a 100-page JPEG job is the process's maximum resident size
// after it (one page is held at a time, so it must not grow with the job).
//   bench_outputs_bench [pages]
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/jpeg_output.h"
#include "app/pdf_conversion.h"
#include "presentation/presentation.h"
#include "support/emf_builder.h"

namespace {

namespace fs = std::filesystem;

template <typename F>
double Seconds(F work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double PeakMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

std::vector<std::string> MakePages(const fs::path& folder, int count) {
  std::vector<std::string> pages;
  for (int i = 0; i < count; ++i) {
    emfbuild::EmfBuilder page(794, 1123);
    page.createBrushIndirect(1, 0, emfbuild::Rgb(30, 90, 200)).selectObject(1);
    for (int row = 0; row < 30; ++row) {
      page.rectangle({60, 80 + row * 34, 60 + (row * 37 + i * 11) % 600, 100 + row * 34});
      page.ellipse({680, 80 + row * 34, 700 + row % 7 * 10, 100 + row * 34});
    }
    const fs::path path = folder / ("page" + std::to_string(i) + ".emf");
    page.writeFile(path.string());
    pages.push_back(path.string());
  }
  return pages;
}

}  // namespace

int main(int argc, char** argv) {
  const int pages = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
  const fs::path folder =
      fs::temp_directory_path() / ("tallowcraft-bench-" + std::to_string(getpid()));
  fs::create_directories(folder);
  const auto files = MakePages(folder, pages);

  for (const int dpi : {96, 300}) {
    const double seconds = Seconds([&] {
      app::WriteJpegPages(files, (folder / ("dpi" + std::to_string(dpi) + ".jpg")).string(),
                          {dpi, dpi, "bench"});
    });
    std::printf("JPEG %3d dpi: %d pages in %.2f s, %.1f pages/s, peak %.0f MiB\n", dpi, pages,
                seconds, pages / seconds, PeakMiB());
  }
  const double swf = Seconds([&] {
    const auto movie = presentation::MakeSlideMovie(files, presentation::SwfOptions{}, "");
    std::printf("SWF: %zu bytes, ", movie.size());
  });
  std::printf("%d slides in %.2f s, %.3f s per slide\n", pages, swf, swf / pages);
  const double pdfSeconds = Seconds(
      [&] { app::ConvertToPdf(files, (folder / "job.pdf").string(), app::PdfFormatOptions{}); });
  std::printf("PDF: %d pages in %.2f s, %.1f pages/s\n", pages, pdfSeconds, pages / pdfSeconds);
  fs::remove_all(folder);
  return 0;
}
