// Whole-process conversion of EMF jobs: the program is run as a child on a
// silent PDF job and timed from start to exit; peak memory is the child's
// maximum resident set. Scenarios: 20 ordinary corpus pages, the whole
// well-formed corpus, synthetic jobs of 10 and 1,000 pages, and a page of
// six huge pictures. When
// LibreOffice is installed (scripts/bench installs it), its headless batch
// conversion of the same 20 pages is timed beside ours.
//
// Usage: bench_emf_convert_bench [repetitions]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/emf_builder.h"

namespace fs = std::filesystem;

namespace {

struct RunResult {
  double seconds = 0;
  double cpuSeconds = 0;  // user + system: steady under a loaded machine
  long peakKiB = 0;
  int status = -1;
};

// Runs `argv` as a child with `environment` added, its output discarded.
RunResult RunCommand(const std::vector<std::string>& argv,
                     const std::vector<std::pair<std::string, std::string>>& environment) {
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  std::fflush(stdout);  // the child must not print our buffered lines again
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
    if (!freopen("/dev/null", "w", stdout) || !freopen("/dev/null", "w", stderr)) _exit(126);
    execvp(args[0], args.data());
    _exit(127);
  }
  RunResult result;
  struct rusage usage {};
  int status = 0;
  wait4(pid, &status, 0, &usage);
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  result.peakKiB = usage.ru_maxrss;
  result.cpuSeconds = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
                      usage.ru_stime.tv_usec / 1e6;
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

// Runs the program on `job` with its output and settings in `folder`.
RunResult RunChild(const fs::path& folder, const fs::path& job) {
  return RunCommand({TALLOWCRAFT_BIN, job.string()},
                    {{"XDG_DOCUMENTS_DIR", (folder / "docs").string()},
                     {"TALLOWCRAFT_REGISTRY", (folder / "settings.reg").string()}});
}

bool OnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string folders = path != nullptr ? path : "";
  size_t start = 0;
  while (start <= folders.size()) {
    const size_t end = std::min(folders.find(':', start), folders.size());
    if (access((folders.substr(start, end - start) + "/" + program).c_str(), X_OK) == 0)
      return true;
    start = end + 1;
  }
  return false;
}

// LibreOffice's headless batch conversion of the same pages, one PDF per
// file, in a profile of its own that the first (unreported) run sets up.
RunResult LibreOfficeBatch(const fs::path& folder, const std::vector<std::string>& pages,
                           int repetitions) {
  const std::string profile = "-env:UserInstallation=file://" + (folder / "profile").string();
  std::vector<std::string> argv = {"soffice",
                                   profile,
                                   "--headless",
                                   "--convert-to",
                                   "pdf",
                                   "--outdir",
                                   (folder / "out").string()};
  argv.insert(argv.end(), pages.begin(), pages.end());
  RunCommand(argv, {});
  RunResult best;
  best.seconds = 1e9;
  for (int i = 0; i < repetitions; ++i) {
    const RunResult r = RunCommand(argv, {});
    if (r.seconds < best.seconds) best = r;
  }
  return best;
}

fs::path WriteJob(const fs::path& folder, const std::vector<std::string>& pages) {
  fs::create_directories(folder / "docs");
  std::ofstream(folder / "settings.reg", std::ios::binary)
      << "Windows Registry Editor Version 5.00\r\n\r\n"
         "[HKEY_CURRENT_USER\\Software\\Quillmark\\Tallowcraft]\r\n"
         "\"Silent\"=dword:00000001\r\n\"OutputFileFormat\"=\"pdf\"\r\n\r\n";
  const fs::path job = folder / "job.ini";
  std::ofstream ini(job, std::ios::binary);
  ini << "[Document]\r\nName=Bench\r\n[EMF]\r\nCount=" << pages.size() << "\r\n";
  for (size_t i = 0; i < pages.size(); ++i) ini << "File" << i << "=" << pages[i] << "\r\n";
  return job;
}

// An ordinary vector page: a frame, a grid of lines, shapes in several
// colours, a path and a clip.
void WriteSyntheticPage(const fs::path& path) {
  emfbuild::EmfBuilder page(794, 1123);  // A4 at 96 dpi
  page.createPen(1, 0, 1, emfbuild::Rgb(0, 0, 0)).selectObject(1);
  for (int i = 0; i < 40; ++i) page.moveTo(40, 40 + i * 25).lineTo(754, 40 + i * 25);
  for (int i = 0; i < 30; ++i) {
    page.createBrushIndirect(2, 0, emfbuild::Rgb(i * 8, 255 - i * 8, 128)).selectObject(2);
    page.rectangle(
        {60 + (i % 6) * 110, 80 + (i / 6) * 180, 150 + (i % 6) * 110, 200 + (i / 6) * 180});
    page.ellipse(
        {70 + (i % 6) * 110, 90 + (i / 6) * 180, 140 + (i % 6) * 110, 190 + (i / 6) * 180});
    page.deleteObject(2);
  }
  std::vector<emfbuild::Point> wave;
  for (int x = 0; x < 700; x += 7) wave.push_back({40 + x, 1000 + (x / 7 % 2) * 20});
  page.polyline16(wave);
  page.saveDC().intersectClipRect({100, 100, 600, 600}).polygon16(wave).restoreDC(-1);
  page.beginPath().moveTo(40, 1050).lineTo(754, 1050).lineTo(400, 1100).closeFigure().endPath();
  page.strokeAndFillPath();
  page.writeFile(path.string());
}

void Report(const char* name, size_t pages, const RunResult& r) {
  std::printf("%-34s %5zu pages  %8.1f ms (cpu %7.1f ms)  %7.1f pages/s  peak %5.1f MiB  exit %d\n",
              name, pages, r.seconds * 1000, r.cpuSeconds * 1000, pages / r.seconds,
              r.peakKiB / 1024.0, r.status);
}

RunResult Best(const fs::path& folder, const fs::path& job, int repetitions) {
  RunResult best;
  best.seconds = 1e9;
  for (int i = 0; i < repetitions; ++i) {
    const RunResult r = RunChild(folder, job);
    if (r.seconds < best.seconds) best = r;
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const fs::path root =
      fs::temp_directory_path() / ("tallowcraft_bench_" + std::to_string(getpid()));
  fs::create_directories(root);

  std::vector<std::string> corpus;
  const fs::path corpusDir = fs::path(TALLOWCRAFT_CORPUS_DIR) / "emf";
  if (fs::is_directory(corpusDir))
    for (const auto& entry : fs::recursive_directory_iterator(corpusDir))
      if (entry.is_regular_file()) corpus.push_back(entry.path().string());
  std::sort(corpus.begin(), corpus.end());

  std::printf("whole process, best of %d; LibreOffice batch reference: ~1 s start + 40 ms/page\n",
              repetitions);
  if (corpus.size() >= 20) {
    // Ordinary pages: the 20 files nearest the corpus's median size.
    std::vector<std::string> bySize = corpus;
    std::sort(bySize.begin(), bySize.end(), [](const std::string& a, const std::string& b) {
      return fs::file_size(a) < fs::file_size(b);
    });
    const size_t middle = bySize.size() / 2;
    const std::vector<std::string> ordinary(bySize.begin() + middle - 10,
                                            bySize.begin() + middle + 10);
    const RunResult r = Best(root / "c20", WriteJob(root / "c20", ordinary), repetitions);
    Report("corpus, 20 ordinary pages", 20, r);
    std::printf("%-34s %.0fx faster than the LibreOffice reference (target 30x, < 60 ms)\n", "",
                (1.0 + 0.04 * 20) / r.seconds);
    if (OnPath("soffice")) {
      const RunResult office = LibreOfficeBatch(root / "office", ordinary, repetitions);
      Report("LibreOffice batch, same 20 pages", 20, office);
      std::printf("%-34s %.0fx faster than LibreOffice side by side (target 30x)\n", "",
                  office.seconds / r.seconds);
    } else {
      std::printf("%-34s LibreOffice not installed (scripts/bench installs it)\n", "");
    }
    Report("corpus, every well-formed file", corpus.size(),
           Best(root / "all", WriteJob(root / "all", corpus), 1));
  } else {
    std::printf("corpus not found at %s: corpus scenarios skipped\n", corpusDir.c_str());
  }

  const fs::path page = root / "synthetic.emf";
  WriteSyntheticPage(page);
  for (size_t count : {size_t(10), size_t(1000)}) {
    const std::string name = "s" + std::to_string(count);
    const RunResult r =
        Best(root / name, WriteJob(root / name, std::vector<std::string>(count, page.string())),
             count > 100 ? 1 : repetitions);
    Report(count > 100 ? "synthetic, 1,000 pages" : "synthetic, 10 pages", count, r);
  }
  // Six 11584 x 11584 run-length pictures (1 MB each) on one page: the
  // page's picture budget keeps the peak near that of one picture.
  const fs::path huge = root / "huge.emf";
  const emfbuild::Dib dib = emfbuild::DibRle8Halves(11584, 11584, 0x0000FF, 0x00FF00);
  emfbuild::EmfBuilder pictures(600, 600);
  for (int i = 0; i < 6; ++i)
    pictures.stretchDIBits({0, i * 100, 599, i * 100 + 99}, {0, i * 100}, 600, 100, {0, 0}, 11584,
                           11584, 0x00CC0020, dib);
  pictures.writeFile(huge.string());
  Report("six 11584 x 11584 pictures", 1,
         Best(root / "huge", WriteJob(root / "huge", {huge.string()}), 1));
  fs::remove_all(root);
  return 0;
}
