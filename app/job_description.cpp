#include "app/job_description.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <utility>

#include "platform/ini_file.h"

namespace app {

namespace {

// A job description names files; one this large is not a job description.
constexpr uint64_t kMaxJobBytes = 64 << 20;

// The page index of a "File<n>" key (decimal, no leading zeros), or -1.
int64_t FileKeyIndex(const std::string& key) {
  if (key.size() < 5 || key.size() > 14 || key.compare(0, 4, "file") != 0) return -1;
  const std::string digits = key.substr(4);
  if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return -1;
  if (digits.size() > 1 && digits[0] == '0') return -1;
  return std::stoll(digits);
}

}  // namespace

std::optional<JobDescription> ReadJobDescription(const std::string& path) {
  const auto ini = platform::IniFile::Load(path, kMaxJobBytes);
  if (!ini) return std::nullopt;

  JobDescription job;
  job.path = path;
  job.documentName = ini->ReadString("Document", "Name", "");
  job.paperWidth = ini->ReadInteger("Document", "PaperWidth", 0);
  job.paperLength = ini->ReadInteger("Document", "PaperLength", 0);
  job.count = ini->ReadString("EMF", "Count", "");
  const int32_t count = ini->ReadInteger("EMF", "Count", 0);
  if (count <= 0) return job;

  std::vector<std::pair<int64_t, std::string>> present;
  for (const std::string& key : ini->Keys("EMF")) {
    const int64_t index = FileKeyIndex(key);
    std::string file = ini->ReadString("EMF", key, "");
    if (index >= 0 && index < count && !file.empty()) present.emplace_back(index, std::move(file));
  }
  std::sort(present.begin(), present.end());
  for (auto& [index, file] : present) {
    if (job.missingKey.empty() && index != static_cast<int64_t>(job.pageFiles.size()))
      job.missingKey = "File" + std::to_string(job.pageFiles.size());
    job.pageFiles.push_back(std::move(file));
  }
  if (job.missingKey.empty() && present.size() < static_cast<size_t>(count))
    job.missingKey = "File" + std::to_string(present.size());
  return job;
}

void ExpandJobPages(JobDescription& job) {
  job.pages.clear();
  for (const std::string& file : job.pageFiles) {
    auto pages = emf2pdf::PagesOfFile(file, emf2pdf::OtherInput::WholeFile);
    job.pages.insert(job.pages.end(), std::make_move_iterator(pages.begin()),
                     std::make_move_iterator(pages.end()));
  }
}

void RequireUsablePages(const JobDescription& job) {
  if (!job.missingKey.empty())
    throw std::runtime_error(job.missingKey + " is missing from the job");
  if (!job.pageFiles.empty()) return;
  const std::string why = job.count.empty() ? "it has no [EMF] Count"
                                            : "its [EMF] Count is \"" + job.count +
                                                  "\", not a number of pages from 1 to 2147483647";
  throw std::runtime_error("The job " + job.path + " lists no pages to print (" + why +
                           "); nothing was made");
}

}  // namespace app
