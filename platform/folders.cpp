#include "platform/folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

namespace platform {

namespace {

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder.push_back('/');
  return folder;
}

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// The XDG_DOCUMENTS_DIR line of user-dirs.dirs, with $HOME expanded.
std::string UserDirsDocuments(const std::string& home) {
  std::string config = Env("XDG_CONFIG_HOME");
  if (config.empty()) config = home + "/.config";
  std::ifstream in(config + "/user-dirs.dirs");
  std::string line;
  while (std::getline(in, line)) {
    const std::string key = "XDG_DOCUMENTS_DIR=";
    if (line.rfind(key, 0) != 0) continue;
    std::string value = line.substr(key.size());
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    if (value.rfind("$HOME", 0) == 0) value = home + value.substr(5);
    return value;
  }
  return {};
}

}  // namespace

bool FolderExists(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

std::string HomeFolder() {
  std::string home = Env("HOME");
  if (home.empty()) {
    if (const passwd* entry = getpwuid(getuid())) home = entry->pw_dir;
  }
  return home.empty() ? std::string() : WithSlash(home);
}

std::string DocumentsFolder() {
  std::string home = HomeFolder();
  if (!home.empty()) home.pop_back();
  for (const std::string& candidate : {Env("XDG_DOCUMENTS_DIR"), UserDirsDocuments(home),
                                       home.empty() ? "" : home + "/Documents"}) {
    if (FolderExists(candidate)) return WithSlash(candidate);
  }
  return {};
}

std::string TemporaryFolder() {
  const std::string tmp = Env("TMPDIR");
  return WithSlash(FolderExists(tmp) ? tmp : "/tmp");
}

std::string ProgramFolder() {
  char path[4096];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return "./";
  std::string exe(path, static_cast<size_t>(length));
  return exe.substr(0, exe.rfind('/') + 1);
}

}  // namespace platform
