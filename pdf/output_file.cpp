#include "pdf/output_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "platform/interrupt_cleanup.h"
#include "platform/random_bytes.h"

namespace pdf {

namespace {

constexpr size_t kBufferSize = 1 << 16;
// Short and fixed, so that a destination name near the length limit still
// has a temporary name.
constexpr std::string_view kTemporaryPrefix = ".tallowcraft.";
constexpr size_t kSuffixLength = 6;

std::runtime_error FileError(const std::string& what, const std::string& path) {
  return std::runtime_error(what + " \"" + path + "\": " + std::strerror(errno));
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool IsTemporaryName(std::string_view name) {
  return name.size() == kTemporaryPrefix.size() + kSuffixLength &&
         name.substr(0, kTemporaryPrefix.size()) == kTemporaryPrefix;
}

std::string RandomSuffix() {
  static constexpr char kLetters[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::string suffix = platform::RandomBytes(kSuffixLength);
  for (char& c : suffix) c = kLetters[static_cast<unsigned char>(c) % (sizeof kLetters - 1)];
  return suffix;
}

// The mode of the regular file being replaced, else what a new file gets.
mode_t ModeFor(const std::string& destination) {
  struct stat info {};
  if (::lstat(destination.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return info.st_mode & 0777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// A locked file without a name in `folder`, or -1 where the file system (or
// a missing /proc, through which it is named later) does not allow one.
int OpenAnonymous(const std::string& folder) {
  if (::access("/proc/self/fd", X_OK) != 0) return -1;
  const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (fd >= 0) ::flock(fd, LOCK_EX);
  return fd;
}

}  // namespace

void SweepStaleTemporaries(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return;
  const int dirFd = ::dirfd(dir);
  while (const dirent* entry = ::readdir(dir)) {
    if (!IsTemporaryName(entry->d_name)) continue;
    const int fd =
        ::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat opened {};
    struct stat named {};
    // The lock is held by a writer that is still running; the name must
    // still be the file that was locked.
    if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_uid == ::geteuid() &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        ::fstatat(dirFd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        named.st_ino == opened.st_ino && named.st_dev == opened.st_dev)
      ::unlinkat(dirFd, entry->d_name, 0);
    ::close(fd);
  }
  ::closedir(dir);
}

OutputFile::OutputFile(std::string destination) : destination_(std::move(destination)) {
  if (destination_.empty()) throw std::runtime_error("Cannot create file \"\": no file name");
  const std::string folder = FolderOf(destination_);
  SweepStaleTemporaries(folder);
  const mode_t mode = ModeFor(destination_);
  platform::RemoveOnInterrupt::InstallHandlers();
  fd_ = OpenAnonymous(folder);
  if (fd_ < 0) createNamed(folder);
  // Best effort: some file systems have no modes.
  ::fchmod(fd_, mode);
  buffer_.reserve(kBufferSize);
}

OutputFile::OutputFile() : destination_("(memory)"), inMemory_(true) {}

OutputFile::~OutputFile() { discard(); }

void OutputFile::createNamed(const std::string& folder) {
  for (int attempt = 0; attempt < 10; ++attempt) {
    std::string name = folder + "/" + std::string(kTemporaryPrefix) + "XXXXXX";
    fd_ = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd_ < 0) throw FileError("Cannot create file", destination_);
    removeOnInterrupt_ = std::make_unique<platform::RemoveOnInterrupt>(name);
    temporaryPath_ = name;
    // Another run's sweep may have taken the file before it was locked.
    struct stat info {};
    if (::flock(fd_, LOCK_EX) == 0 && ::fstat(fd_, &info) == 0 && info.st_nlink > 0) return;
    temporaryPath_.clear();
    removeOnInterrupt_.reset();
    ::close(fd_);
    fd_ = -1;
  }
  throw std::runtime_error("Cannot create file \"" + destination_ +
                           "\": its temporary file keeps disappearing");
}

// Gives the anonymous file a temporary name for the rename over the
// destination (a link cannot replace a file).
void OutputFile::nameAnonymous() {
  const std::string folder = FolderOf(destination_);
  const std::string self = "/proc/self/fd/" + std::to_string(fd_);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = folder + "/" + std::string(kTemporaryPrefix) + RandomSuffix();
    removeOnInterrupt_ = std::make_unique<platform::RemoveOnInterrupt>(name);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      temporaryPath_ = name;
      return;
    }
    removeOnInterrupt_.reset();
    if (errno != EEXIST) throw FileError("Cannot create file", destination_);
  }
  throw std::runtime_error("Cannot create file \"" + destination_ + "\": no free temporary name");
}

void OutputFile::write(std::string_view bytes) {
  position_ += bytes.size();
  if (inMemory_) {
    buffer_.append(bytes);
    return;
  }
  if (buffer_.size() + bytes.size() > kBufferSize) flush();
  // Large streams go out as they are, without a copy.
  if (bytes.size() >= kBufferSize) {
    writeAll(bytes);
    return;
  }
  buffer_.append(bytes);
}

void OutputFile::overwrite(uint64_t offset, std::string_view bytes) {
  if (offset > position_ || bytes.size() > position_ - offset)
    throw std::runtime_error("Cannot write file \"" + destination_ +
                             "\": an overwrite past the bytes written");
  if (inMemory_) {
    buffer_.replace(static_cast<size_t>(offset), bytes.size(), bytes);
    return;
  }
  flush();
  while (!bytes.empty()) {
    const ssize_t written = ::pwrite(fd_, bytes.data(), bytes.size(), static_cast<off_t>(offset));
    if (written < 0) {
      if (errno == EINTR) continue;
      throw FileError("Cannot write file", destination_);
    }
    bytes.remove_prefix(static_cast<size_t>(written));
    offset += static_cast<uint64_t>(written);
  }
}

void OutputFile::flush() {
  writeAll(buffer_);
  buffer_.clear();
}

void OutputFile::writeAll(std::string_view bytes) {
  if (fd_ < 0) throw std::runtime_error("Cannot write file \"" + destination_ + "\": closed");
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      throw FileError("Cannot write file", destination_);
    }
    bytes.remove_prefix(static_cast<size_t>(written));
  }
}

void OutputFile::commit() {
  if (inMemory_) return;
  flush();
  // The new file's bytes reach the disk before its name replaces the previous
  // output, so a crash leaves one or the other whole. The rename is not
  // waited for (no fsync of the folder): the file system commits it within
  // seconds, and waiting for it costs a second disk commit; a crash in those
  // seconds leaves the previous output (or none), never a damaged one.
  if (::fdatasync(fd_) != 0 && errno != EINVAL) throw FileError("Cannot write file", destination_);
  if (temporaryPath_.empty()) nameAnonymous();
  // The lock is kept until the rename, so no sweep takes the file before.
  if (std::rename(temporaryPath_.c_str(), destination_.c_str()) != 0)
    throw FileError("Cannot create file", destination_);
  temporaryPath_.clear();
  removeOnInterrupt_.reset();
  ::close(fd_);
  fd_ = -1;
}

void OutputFile::discard() noexcept {
  if (!temporaryPath_.empty()) {
    ::unlink(temporaryPath_.c_str());
    temporaryPath_.clear();
  }
  removeOnInterrupt_.reset();
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

}  // namespace pdf
