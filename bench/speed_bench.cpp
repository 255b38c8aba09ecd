// The program on one core and on two (pinned with taskset; the work pool
// follows the affinity), side by side in one run with LibreOffice's batch
// conversion of the same 20 pages and gzip -6 of the corpus's bytes: the
// 20-page job, the whole corpus, the one-page jobs, JPEG pages at 96 and
// 300 dpi and the memory of a 1,000-page job. With a second program (an older
// build) its figures come beside ours. Ends with what eight cores would give
// by Amdahl's law from the fraction that two cores sped up.
//
// Usage: bench_speed_bench [repetitions [older-program]]
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/bench_job.h"

namespace fs = std::filesystem;

namespace {

using bench::RunResult;

struct Figures {
  double twenty = 0;      // seconds, best
  double corpus = 0;      // seconds, best
  double onePage = 0;     // seconds, median over the pages of each page's median
  double onePageCpu = 0;  // the same of CPU time (user + system)
  double jpegRate = 0;    // pages per second at 96 dpi
  double jpeg300 = 0;     // and at 300 dpi
  long thousandKiB = 0;   // peak resident set of the 1,000-page job
};

RunResult Best(const std::vector<std::string>& argv, int repetitions) {
  RunResult best;
  best.seconds = 1e9;
  for (int i = 0; i < repetitions; ++i) {
    const RunResult r = bench::RunCommand(argv, {});
    if (r.seconds < best.seconds) best = r;
  }
  return best;
}

RunResult BestJob(const fs::path& folder, const std::vector<std::string>& pages, int repetitions) {
  const fs::path job = bench::WriteJob(folder, pages);
  RunResult best;
  best.seconds = 1e9;
  for (int i = 0; i < repetitions; ++i) {
    const RunResult r = bench::RunJob(folder, job);
    if (r.status != 0) std::printf("  exit status %d in %s\n", r.status, folder.c_str());
    if (r.seconds < best.seconds) best = r;
  }
  return best;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

Figures Measure(const fs::path& root, const std::string& program,
                const std::vector<std::string>& pin, const std::vector<std::string>& ordinary,
                const std::vector<std::string>& corpus, const fs::path& synthetic,
                int repetitions) {
  bench::SetProgram(program);
  bench::SetCommandPrefix(pin);
  Figures f;
  f.twenty = BestJob(root / "c20", ordinary, repetitions).seconds;
  f.corpus = BestJob(root / "all", corpus, std::min(repetitions, 3)).seconds;
  std::vector<double> onePage, onePageCpu;
  for (size_t i = 0; i < ordinary.size(); ++i) {
    const fs::path folder = root / "one" / std::to_string(i);
    const fs::path job = bench::WriteJob(folder, {ordinary[i]});
    std::vector<double> runs, cpu;
    for (int r = 0; r < repetitions; ++r) {
      const RunResult run = bench::RunJob(folder, job);
      runs.push_back(run.seconds);
      cpu.push_back(run.cpuSeconds);
    }
    onePage.push_back(Median(runs));
    onePageCpu.push_back(Median(cpu));
  }
  f.onePage = Median(onePage);
  f.onePageCpu = Median(onePageCpu);
  fs::create_directories(root / "jpeg");
  const auto jpegRate = [&](const char* dpi) {
    std::vector<std::string> jpeg = pin;
    jpeg.insert(jpeg.end(), {program, "convert", "--quiet", "--resolution", dpi});
    jpeg.insert(jpeg.end(), ordinary.begin(), ordinary.end());
    jpeg.insert(jpeg.end(), {"-o", (root / "jpeg" / "page.jpg").string()});
    return ordinary.size() / Best(jpeg, std::min(repetitions, 3)).seconds;
  };
  f.jpegRate = jpegRate("96");
  f.jpeg300 = jpegRate("300");
  f.thousandKiB =
      BestJob(root / "s1000", std::vector<std::string>(1000, synthetic.string()), 1).peakKiB;
  return f;
}

void Print(const char* who, const char* cores, const Figures& f, size_t corpusPages) {
  std::printf(
      "%-7s %-5s %8.1f ms %8.1f ms %6.0f pages/s %6.2f ms (cpu %4.2f) %7.1f %7.1f pages/s %6.1f "
      "MiB\n",
      who, cores, f.twenty * 1000, f.corpus * 1000, corpusPages / f.corpus, f.onePage * 1000,
      f.onePageCpu * 1000, f.jpegRate, f.jpeg300, f.thousandKiB / 1024.0);
}

// The fraction of the one-core time that ran in parallel on two cores, and
// the time eight would take by Amdahl's law.
void Amdahl(const char* job, double one, double two) {
  const double parallel = std::clamp(2 * (1 - two / one), 0.0, 1.0);
  const double eight = one * ((1 - parallel) + parallel / 8);
  std::printf("%-22s parallel fraction %.2f: 8 cores %.1f ms (%.2fx one core)\n", job, parallel,
              eight * 1000, one / eight);
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const std::string older = argc > 2 ? argv[2] : "";
  const std::vector<std::string> corpus = bench::CorpusPages();
  const std::vector<std::string> ordinary = bench::OrdinaryPages(corpus);
  if (ordinary.empty()) {
    std::printf("corpus not found\n");
    return 1;
  }
  const fs::path root =
      fs::temp_directory_path() / ("tallowcraft_speed_" + std::to_string(getpid()));
  fs::create_directories(root);
  const fs::path synthetic = root / "synthetic.emf";
  bench::WriteSyntheticPage(synthetic);
  double load[1] = {0};
  getloadavg(load, 1);
  std::printf("best of %d (one-page jobs: median); load average %.1f\n", repetitions, load[0]);
  std::printf("%-8s %-7s %12s %12s %16s %10s %16s %11s\n", "program", "cores", "20 pages", "corpus",
              "", "one page", "JPEG 96 dpi", "1,000 pages");

  const std::vector<std::string> oneCore = {"taskset", "-c", "0"};
  const std::vector<std::string> twoCores = {"taskset", "-c", "0,1"};
  Figures before1, before2;
  if (!older.empty()) {
    before1 = Measure(root / "b1", older, oneCore, ordinary, corpus, synthetic, repetitions);
    Print("before", "1", before1, corpus.size());
    before2 = Measure(root / "b2", older, twoCores, ordinary, corpus, synthetic, repetitions);
    Print("before", "2", before2, corpus.size());
  }
  const Figures now1 =
      Measure(root / "n1", TALLOWCRAFT_BIN, oneCore, ordinary, corpus, synthetic, repetitions);
  Print("now", "1", now1, corpus.size());
  const Figures now2 =
      Measure(root / "n2", TALLOWCRAFT_BIN, twoCores, ordinary, corpus, synthetic, repetitions);
  Print("now", "2", now2, corpus.size());

  // gzip -6 of every corpus file's bytes, on one core as gzip uses one.
  std::vector<std::string> gzip = {
      "taskset", "-c", "0", "sh", "-c", "cat \"$@\" | gzip -6 > /dev/null", "gzip"};
  gzip.insert(gzip.end(), corpus.begin(), corpus.end());
  const double gzipSeconds = Best(gzip, 3).seconds;
  std::printf(
      "gzip -6 of the corpus's bytes: %.1f ms; the corpus job on 2 cores takes %.2fx that"
      " (target 0.35x or less)\n",
      gzipSeconds * 1000, now2.corpus / gzipSeconds);
  if (bench::OnPath("soffice")) {
    const std::string profile = "-env:UserInstallation=file://" + (root / "profile").string();
    std::vector<std::string> office = {
        "taskset",    "-c",           "0,1", "soffice",  profile,
        "--headless", "--convert-to", "pdf", "--outdir", (root / "office").string()};
    office.insert(office.end(), ordinary.begin(), ordinary.end());
    bench::RunCommand(office, {});  // sets the profile up
    const double theirs = Best(office, std::min(repetitions, 3)).seconds;
    std::printf(
        "LibreOffice batch, same 20 pages, 2 cores: %.1f ms; ours %.0fx faster"
        " (target 50x)\n",
        theirs * 1000, theirs / now2.twenty);
  } else {
    std::printf("LibreOffice not installed (scripts/bench installs it)\n");
  }
  if (!older.empty()) {
    std::printf(
        "one-page median %.2f ms against %.2f ms before; JPEG pages %.2fx before's rate"
        " on 2 cores (target 1.7x)\n",
        now2.onePage * 1000, before2.onePage * 1000, now2.jpegRate / before2.jpegRate);
  }
  Amdahl("20 pages", now1.twenty, now2.twenty);
  Amdahl("corpus", now1.corpus, now2.corpus);
  Amdahl("JPEG pages, 96 dpi", 1 / now1.jpegRate, 1 / now2.jpegRate);
  Amdahl("JPEG pages, 300 dpi", 1 / now1.jpeg300, 1 / now2.jpeg300);
  fs::remove_all(root);
  return 0;
}
