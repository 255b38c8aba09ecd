// The picture outputs beside the PDF path for the same pages: JPEG pages per
// second at 96 and 300 dpi, SWF seconds per slide, and the PDF of the same
// job. Pages are A4 pictures of bars and ellipses made by the EMF builder.
// Peak memory of a 100-page JPEG job is the process's maximum resident size
// after it (one page is held at a time, so it must not grow with the job).
// With "noise", the job is instead a movie of pages of a 2875 x 2875 picture
// of noise at 600 dpi, lossless (the largest slides there are), and the peak
// is that movie's alone: slides go to the file as they are made.
// With "pictures", each picture output (JPEG, PNG, TIFF in colour, grey and
// black and white) makes the job at 300 dpi, then a job of four times the
// pages, each in a process of its own, so that each peak is that job's.
//   bench_outputs_bench [pages]
//   bench_outputs_bench noise [pages]
//   bench_outputs_bench pictures [pages]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "app/jpeg_output.h"
#include "app/pdf_conversion.h"
#include "app/picture_outputs.h"
#include "app/tiff_output.h"
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

// One page of noise, listed `count` times. The page is made by a child
// process, so that the peak measured afterwards is the movie's.
std::vector<std::string> MakeNoisePages(const fs::path& folder, int count) {
  const fs::path path = folder / "noise.emf";
  if (fork() == 0) {
    constexpr int kSide = 2875;  // pixels at 600 dpi: just inside the largest stage
    std::mt19937 random(7);
    std::vector<uint32_t> colors(size_t{kSide} * kSide);
    for (uint32_t& color : colors) color = random() & 0xFFFFFF;
    emfbuild::EmfBuilder page(460, 460);  // 96 dpi: 4.79 inches
    page.stretchDIBits({0, 0, 459, 459}, {0, 0}, 460, 460, {0, 0}, kSide, kSide, 0x00CC0020,
                       emfbuild::Dib24(kSide, kSide, colors));
    page.writeFile(path.string());
    _exit(0);
  }
  int status = 0;
  wait(&status);
  return std::vector<std::string>(count, path.string());
}

// Saves the movie as the program does, through the component.
uintmax_t SaveMovie(const std::vector<std::string>& pages, const presentation::SwfOptions& options,
                    const fs::path& file) {
  presentation::TPresentation component;
  component.Options().Movie() = options;
  for (const std::string& page : pages) component.AddSlideFromFileName(page, 0);
  std::string name = file.string();
  component.SaveToFile(name);
  return fs::file_size(file);
}

int NoiseMovie(const fs::path& folder, int pages) {
  const auto files = MakeNoisePages(folder, pages);
  presentation::SwfOptions options;
  options.resolution = 600;
  uintmax_t bytes = 0;
  const double seconds = Seconds([&] { bytes = SaveMovie(files, options, folder / "noise.swf"); });
  std::printf("SWF of noise at 600 dpi: %d slides, %.0f MiB, %.1f s, peak %.0f MiB\n", pages,
              bytes / 1048576.0, seconds, PeakMiB());
  fs::remove_all(folder);
  return 0;
}

// One picture output of the pages at 300 dpi in a child process: its pages
// per second and its peak.
void PictureJob(const std::string& what, const std::vector<std::string>& files,
                const fs::path& folder) {
  if (fork() == 0) {
    const auto pages = emf2pdf::WholeFilePages(files);
    const app::RasterResolution resolution{300, 300, "bench"};
    const std::string name = (folder / "job").string();
    const double seconds = Seconds([&] {
      if (what == "JPEG")
        app::WriteJpegPages(pages, name + ".jpg", resolution);
      else if (what == "PNG")
        app::WritePngPages(pages, name + ".png", resolution);
      else
        app::WriteTiffDocument(pages, name + ".tif", resolution,
                               what == "TIFF colour" ? platform::TiffColors::Color
                               : what == "TIFF grey" ? platform::TiffColors::Grey
                                                     : platform::TiffColors::BlackAndWhite);
    });
    uintmax_t bytes = 0;
    for (const auto& entry : fs::directory_iterator(folder))
      if (entry.path().stem().string().rfind("job", 0) == 0) bytes += entry.file_size();
    std::printf(
        "%-11s 300 dpi: %3zu pages in %6.2f s, %5.1f pages/s, %6.1f KiB a page, peak %.0f MiB\n",
        what.c_str(), pages.size(), seconds, pages.size() / seconds, bytes / 1024.0 / pages.size(),
        PeakMiB());
    std::fflush(stdout);
    _exit(0);
  }
  int status = 0;
  wait(&status);
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().stem().string().rfind("job", 0) == 0) fs::remove(entry.path());
}

int Pictures(const fs::path& folder, int pages) {
  const auto files = MakePages(folder, pages);
  std::vector<std::string> longer;
  for (int i = 0; i < 4; ++i) longer.insert(longer.end(), files.begin(), files.end());
  for (const char* what : {"JPEG", "PNG", "TIFF colour", "TIFF grey", "TIFF bw"}) {
    PictureJob(what, files, folder);
    PictureJob(what, longer, folder);
  }
  fs::remove_all(folder);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  const bool noise = mode == "noise";
  const bool pictures = mode == "pictures";
  const int count =
      argc > 1 + (noise || pictures) ? std::max(1, std::atoi(argv[1 + (noise || pictures)])) : 0;
  const fs::path folder =
      fs::temp_directory_path() / ("tallowcraft-bench-" + std::to_string(getpid()));
  fs::create_directories(folder);
  if (noise) return NoiseMovie(folder, count > 0 ? count : 20);
  if (pictures) return Pictures(folder, count > 0 ? count : 20);
  const int pages = count > 0 ? count : 100;
  const auto files = MakePages(folder, pages);

  for (const int dpi : {96, 300}) {
    const double seconds = Seconds([&] {
      app::WriteJpegPages(emf2pdf::WholeFilePages(files),
                          (folder / ("dpi" + std::to_string(dpi) + ".jpg")).string(),
                          {dpi, dpi, "bench"});
    });
    std::printf("JPEG %3d dpi: %d pages in %.2f s, %.1f pages/s, peak %.0f MiB\n", dpi, pages,
                seconds, pages / seconds, PeakMiB());
  }
  const double swf = Seconds([&] {
    std::printf("SWF: %ju bytes, ",
                SaveMovie(files, presentation::SwfOptions{}, folder / "job.swf"));
  });
  std::printf("%d slides in %.2f s, %.3f s per slide\n", pages, swf, swf / pages);
  const double pdfSeconds = Seconds([&] {
    app::ConvertToPdf(emf2pdf::WholeFilePages(files), (folder / "job.pdf").string(),
                      app::PdfOptions{});
  });
  std::printf("PDF: %d pages in %.2f s, %.1f pages/s\n", pages, pdfSeconds, pages / pdfSeconds);
  fs::remove_all(folder);
  return 0;
}
