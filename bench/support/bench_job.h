#pragma once

// Whole-process runs of the program on silent PDF jobs, shared by the
// benchmarks.
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace bench {

struct RunResult {
  double seconds = 0;
  double cpuSeconds = 0;  // user + system: steady under a loaded machine
  long peakKiB = 0;
  int status = -1;
};

using Environment = std::vector<std::pair<std::string, std::string>>;

// Runs `argv` as a child with `environment` added, its output discarded.
RunResult RunCommand(const std::vector<std::string>& argv, const Environment& environment);

// Writes a silent PDF job of `pages` into `folder` (settings beside it, the
// PDF into folder/docs/Printer.pdf); `extraSettings` are further lines of
// the run's registry key. Returns the job description's path.
std::filesystem::path WriteJob(const std::filesystem::path& folder,
                               const std::vector<std::string>& pages,
                               const std::string& extraSettings = {});

// The program RunJob runs: this build's, unless another is named (to compare
// two builds in the same run).
void SetProgram(std::string program);

// Words put before the program on every run, such as {"taskset", "-c", "0"}
// to pin it to cores (the work pool follows the process's affinity).
void SetCommandPrefix(std::vector<std::string> prefix);

// Runs the program on the job that WriteJob put into `folder`.
RunResult RunJob(const std::filesystem::path& folder, const std::filesystem::path& job);

// The PDF a job in `folder` wrote.
std::filesystem::path OutputOf(const std::filesystem::path& folder);

// Every well-formed corpus file, sorted by name; empty without the corpus.
std::vector<std::string> CorpusPages();

// The 20 corpus files nearest the corpus's median size: ordinary pages.
std::vector<std::string> OrdinaryPages(const std::vector<std::string>& corpus);

bool OnPath(const std::string& program);

// An ordinary vector page: a frame, a grid of lines, shapes in several
// colours, a path and a clip (A4 at 96 dpi).
void WriteSyntheticPage(const std::filesystem::path& path);

}  // namespace bench
