#include "platform/registry_hive.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/file_bytes.h"
#include "platform/folders.h"

namespace platform {

namespace {

[[noreturn]] void FailSystem(const std::string& what, const std::string& path) {
  throw RegistryError("settings file " + path + ": " + what + ": " + std::strerror(errno));
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

void MakeFolders(const std::string& folder) {
  if (folder.empty() || FolderExists(folder)) return;
  MakeFolders(FolderOf(folder));
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) FailSystem("cannot create", folder);
}

// A settings file is a few kilobytes; anything near this is not one.
constexpr uint64_t kMaxHiveBytes = 16 << 20;

// nullopt when the file does not exist. A device, pipe or huge file named
// as the hive is refused instead of being read without end.
std::optional<std::string> ReadHiveFile(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 && errno == ENOENT) return std::nullopt;
  try {
    const std::vector<uint8_t> bytes = ReadWholeFile(path, kMaxHiveBytes);
    return std::string(bytes.begin(), bytes.end());
  } catch (const std::runtime_error& error) {
    throw RegistryError(std::string("settings file: ") + error.what());
  }
}

RegFile LoadFile(const std::string& path) {
  const auto bytes = ReadHiveFile(path);
  return bytes ? RegFile::Parse(*bytes, path) : RegFile();
}

void WriteAll(int fd, const std::string& text, const std::string& path) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t put = ::write(fd, text.data() + done, text.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) FailSystem("cannot write", path);
    done += static_cast<size_t>(put);
  }
}

// Replaces `path` by a file holding `text`: readers see the old file or the
// new one, never a part of it.
void ReplaceFile(const std::string& path, const std::string& text) {
  std::string temporary = path + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) FailSystem("cannot create a temporary file beside", path);
  try {
    struct stat info {};
    const mode_t mode = ::stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0600;
    if (::fchmod(fd, mode) != 0) FailSystem("cannot set the mode of", temporary);
    WriteAll(fd, text, temporary);
    if (::fsync(fd) != 0) FailSystem("cannot flush", temporary);
    if (::close(fd) != 0) {
      ::unlink(temporary.c_str());
      FailSystem("cannot close", temporary);
    }
  } catch (...) {
    ::close(fd);
    ::unlink(temporary.c_str());
    throw;
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    const int error = errno;
    ::unlink(temporary.c_str());
    errno = error;
    FailSystem("cannot replace", path);
  }
  const int folder = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    ::fsync(folder);
    ::close(folder);
  }
}

// An exclusive advisory lock on "<hive>.lock" for the lifetime of the object.
class HiveLock {
 public:
  explicit HiveLock(const std::string& hivePath) {
    const std::string path = hivePath + ".lock";
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) FailSystem("cannot open the lock file", path);
    while (::flock(fd_, LOCK_EX) != 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      ::close(fd_);
      errno = error;
      FailSystem("cannot lock", path);
    }
  }
  ~HiveLock() { ::close(fd_); }
  HiveLock(const HiveLock&) = delete;
  HiveLock& operator=(const HiveLock&) = delete;

 private:
  int fd_ = -1;
};

// A symbolic link keeps pointing at the hive it names after a save.
std::string ResolvedPath(const std::string& path) {
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) != nullptr) return resolved;
  return path;
}

}  // namespace

RegistryHive::RegistryHive(std::string path) : path_(std::move(path)) {}

const RegFile& RegistryHive::Snapshot() {
  if (!snapshot_) snapshot_ = LoadFile(path_);
  return *snapshot_;
}

bool RegistryHive::KeyExists(const std::string& key) { return Snapshot().HasKey(key); }

std::optional<RegValue> RegistryHive::ReadValue(const std::string& key, const std::string& name) {
  const RegValue* value = Snapshot().Find(key, name);
  if (value == nullptr) return std::nullopt;
  return *value;
}

template <typename Change>
void RegistryHive::Commit(Change change) {
  MakeFolders(FolderOf(path_));
  const std::string target = ResolvedPath(path_);
  HiveLock lock(target);
  RegFile file = LoadFile(target);
  if (change(file)) ReplaceFile(target, file.Serialize());
  snapshot_ = std::move(file);
}

void RegistryHive::CreateKey(const std::string& key) {
  if (Snapshot().HasKey(key)) return;
  // An empty key holds nothing a reader could miss, so a hive that cannot be
  // written (a shared settings file on a read-only path) still reads.
  try {
    Commit([&key](RegFile& file) { return file.CreateKey(key); });
  } catch (const RegistryError&) {
  }
}

void RegistryHive::WriteValues(const std::string& key, const NamedValues& values) {
  Commit([&](RegFile& file) {
    bool changed = file.CreateKey(key);
    for (const auto& [name, value] : values) changed = file.Set(key, name, value) || changed;
    return changed;
  });
}

std::string CurrentUserHivePath() {
  if (const char* named = std::getenv("TALLOWCRAFT_REGISTRY"); named != nullptr && *named != '\0')
    return named;
  std::string config;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/')
    config = xdg;
  else
    config = HomeFolder() + ".config";
  while (config.size() > 1 && config.back() == '/') config.pop_back();
  return config + "/tallowcraft/registry.reg";
}

std::unique_ptr<RegistryStore> OpenCurrentUserHive() {
  return std::make_unique<RegistryHive>(CurrentUserHivePath());
}

}  // namespace platform
