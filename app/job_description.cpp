#include "app/job_description.h"

#include <algorithm>

#include "platform/ini_file.h"

namespace app {

namespace {

// Highest n below `count` with a "File<n>" key (decimal, no leading zeros);
// -1 when there is none. The keys present bound the list, so a huge Count
// allocates nothing.
int32_t HighestFileKey(const platform::IniFile& ini, int32_t count) {
  int32_t highest = -1;
  for (const std::string& key : ini.Keys("EMF")) {
    if (key.size() < 5 || key.size() > 14 || key.compare(0, 4, "file") != 0) continue;
    const std::string digits = key.substr(4);
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
      continue;
    if (digits.size() > 1 && digits[0] == '0') continue;
    const long long index = std::stoll(digits);
    if (index < count && index > highest) highest = static_cast<int32_t>(index);
  }
  return highest;
}

}  // namespace

std::optional<JobDescription> ReadJobDescription(const std::string& path) {
  const auto ini = platform::IniFile::Load(path);
  if (!ini) return std::nullopt;

  JobDescription job;
  job.path = path;
  job.documentName = ini->ReadString("Document", "Name", "");
  job.paperWidth = ini->ReadInteger("Document", "PaperWidth", 0);
  job.paperLength = ini->ReadInteger("Document", "PaperLength", 0);
  const int32_t count = ini->ReadInteger("EMF", "Count", 0);
  if (count <= 0) return job;

  const int32_t last = HighestFileKey(*ini, count);
  for (int32_t i = 0; i <= last; ++i)
    job.pageFiles.push_back(ini->ReadString("EMF", "File" + std::to_string(i), ""));
  return job;
}

}  // namespace app
