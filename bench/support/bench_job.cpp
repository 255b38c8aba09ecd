#include "support/bench_job.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "support/emf_builder.h"

namespace fs = std::filesystem;

namespace bench {

RunResult RunCommand(const std::vector<std::string>& argv, const Environment& environment) {
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

fs::path WriteJob(const fs::path& folder, const std::vector<std::string>& pages,
                  const std::string& extraSettings) {
  fs::create_directories(folder / "docs");
  std::ofstream(folder / "settings.reg", std::ios::binary)
      << "Windows Registry Editor Version 5.00\r\n\r\n"
         "[HKEY_CURRENT_USER\\Software\\Quillmark\\Tallowcraft]\r\n"
         "\"Silent\"=dword:00000001\r\n\"OutputFileFormat\"=\"pdf\"\r\n"
      << extraSettings << "\r\n";
  const fs::path job = folder / "job.ini";
  std::ofstream ini(job, std::ios::binary);
  ini << "[Document]\r\nName=Bench\r\n[EMF]\r\nCount=" << pages.size() << "\r\n";
  for (size_t i = 0; i < pages.size(); ++i) ini << "File" << i << "=" << pages[i] << "\r\n";
  return job;
}

namespace {

std::string& Program() {
  static std::string program = TALLOWCRAFT_BIN;
  return program;
}

std::vector<std::string>& Prefix() {
  static std::vector<std::string> prefix;
  return prefix;
}

}  // namespace

void SetProgram(std::string program) { Program() = std::move(program); }

void SetCommandPrefix(std::vector<std::string> prefix) { Prefix() = std::move(prefix); }

RunResult RunJob(const fs::path& folder, const fs::path& job) {
  std::vector<std::string> argv = Prefix();
  argv.insert(argv.end(), {Program(), job.string()});
  return RunCommand(argv, {{"XDG_DOCUMENTS_DIR", (folder / "docs").string()},
                           {"TALLOWCRAFT_REGISTRY", (folder / "settings.reg").string()}});
}

fs::path OutputOf(const fs::path& folder) { return folder / "docs" / "Printer.pdf"; }

std::vector<std::string> CorpusPages() {
  std::vector<std::string> corpus;
  const fs::path corpusDir = fs::path(TALLOWCRAFT_CORPUS_DIR) / "emf";
  if (fs::is_directory(corpusDir))
    for (const auto& entry : fs::recursive_directory_iterator(corpusDir))
      if (entry.is_regular_file()) corpus.push_back(entry.path().string());
  std::sort(corpus.begin(), corpus.end());
  return corpus;
}

std::vector<std::string> OrdinaryPages(const std::vector<std::string>& corpus) {
  if (corpus.size() < 20) return {};
  std::vector<std::string> bySize = corpus;
  std::stable_sort(bySize.begin(), bySize.end(), [](const std::string& a, const std::string& b) {
    return fs::file_size(a) < fs::file_size(b);
  });
  const size_t middle = bySize.size() / 2;
  return {bySize.begin() + static_cast<long>(middle) - 10,
          bySize.begin() + static_cast<long>(middle) + 10};
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

}  // namespace bench
