#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace app {

// The print job as the port side describes it in its INI file.
struct JobDescription {
  std::string path;
  std::string documentName;
  int32_t paperWidth = 0;
  int32_t paperLength = 0;
  std::vector<std::string> pageFiles;  // entry i is page i+1
};

// nullopt when the file is missing or unreadable. The page list holds Count
// entries, but never more than the highest "File" key present allows.
std::optional<JobDescription> ReadJobDescription(const std::string& path);

}  // namespace app
