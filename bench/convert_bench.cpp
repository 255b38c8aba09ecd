// `tallowcraft convert` of the 20 ordinary corpus pages to PDF against the
// same pages as a silent job, whole process, best of N (target: within
// 1.1x of the job). The conversion asks for the job's page size and margins
// (A4, 5 mm), so both make the same pages.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "support/bench_job.h"

namespace fs = std::filesystem;

namespace {

bench::RunResult Best(int repetitions, const std::function<bench::RunResult()>& run) {
  bench::RunResult best;
  for (int i = 0; i < repetitions; ++i) {
    const bench::RunResult r = run();
    if (r.status != 0) std::fprintf(stderr, "run failed with status %d\n", r.status);
    if (i == 0 || r.seconds < best.seconds) best = r;
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  const auto pages = bench::OrdinaryPages(bench::CorpusPages());
  if (pages.empty()) {
    std::fprintf(stderr, "no corpus\n");
    return 1;
  }
  const fs::path folder =
      fs::temp_directory_path() / ("tallowcraft-convert-bench-" + std::to_string(getpid()));
  fs::create_directories(folder);
  const fs::path job = bench::WriteJob(folder, pages);
  const bench::RunResult asJob = Best(repetitions, [&] { return bench::RunJob(folder, job); });

  std::vector<std::string> command{
      TALLOWCRAFT_BIN, "convert", "--page-size", "a4",
      "--margins",     "5",       "-o",          (folder / "convert.pdf").string()};
  command.insert(command.end(), pages.begin(), pages.end());
  const bench::RunResult converted =
      Best(repetitions, [&] { return bench::RunCommand(command, {}); });

  std::printf("%zu pages as a job:   %.1f ms (CPU %.1f ms), peak %ld KiB, %ju bytes\n",
              pages.size(), asJob.seconds * 1000, asJob.cpuSeconds * 1000, asJob.peakKiB,
              static_cast<uintmax_t>(fs::file_size(bench::OutputOf(folder))));
  std::printf("%zu pages by convert: %.1f ms (CPU %.1f ms), peak %ld KiB, %ju bytes\n",
              pages.size(), converted.seconds * 1000, converted.cpuSeconds * 1000,
              converted.peakKiB, static_cast<uintmax_t>(fs::file_size(folder / "convert.pdf")));
  std::printf("convert / job: %.2fx wall, %.2fx CPU (target within 1.1x)\n",
              converted.seconds / asJob.seconds, converted.cpuSeconds / asJob.cpuSeconds);
  fs::remove_all(folder);
  return 0;
}
