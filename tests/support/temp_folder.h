#pragma once

#include <string>
#include <vector>

namespace testing_support {

// A fresh folder under the temporary folder, removed with its files on destruction.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
// The names of the entries of a folder, sorted.
std::vector<std::string> Listing(const std::string& folder);

// Runs a shell command line; returns its exit status and fills `output` with stdout.
int RunCommand(const std::string& command, std::string* output = nullptr);
// False when the tool is missing, which fails the calling test as well when
// TALLOWCRAFT_REQUIRE_TOOLS is set (as scripts/test sets it).
bool HaveTool(const std::string& name);

}  // namespace testing_support
