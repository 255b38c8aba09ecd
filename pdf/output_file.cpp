#include "pdf/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace pdf {

namespace {

constexpr size_t kBufferSize = 1 << 16;

std::runtime_error FileError(const std::string& what, const std::string& path) {
  return std::runtime_error(what + " \"" + path + "\": " + std::strerror(errno));
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

OutputFile::OutputFile(std::string destination) : destination_(std::move(destination)) {
  if (destination_.empty()) throw std::runtime_error("Cannot create file \"\": no file name");
  std::string pattern = FolderOf(destination_) + "/." + NameOf(destination_) + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  fd_ = mkstemp(name.data());
  if (fd_ < 0) throw FileError("Cannot create file", destination_);
  temporaryPath_ = name.data();
  // mkstemp makes the file private; a finished document gets the usual mode.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd_, 0666 & ~mask);
  buffer_.reserve(kBufferSize);
}

OutputFile::~OutputFile() { discard(); }

void OutputFile::write(std::string_view bytes) {
  position_ += bytes.size();
  if (buffer_.size() + bytes.size() > kBufferSize) flush();
  if (bytes.size() >= kBufferSize) {
    buffer_.assign(bytes);
    flush();
    return;
  }
  buffer_.append(bytes);
}

void OutputFile::flush() {
  if (fd_ < 0) throw std::runtime_error("Cannot write file \"" + destination_ + "\": closed");
  const char* data = buffer_.data();
  size_t left = buffer_.size();
  while (left > 0) {
    const ssize_t written = ::write(fd_, data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      throw FileError("Cannot write file", destination_);
    }
    data += written;
    left -= static_cast<size_t>(written);
  }
  buffer_.clear();
}

void OutputFile::commit() {
  flush();
  if (::fsync(fd_) != 0 && errno != EINVAL) throw FileError("Cannot write file", destination_);
  if (::close(fd_) != 0) {
    fd_ = -1;
    throw FileError("Cannot write file", destination_);
  }
  fd_ = -1;
  if (std::rename(temporaryPath_.c_str(), destination_.c_str()) != 0)
    throw FileError("Cannot create file", destination_);
  temporaryPath_.clear();
}

void OutputFile::discard() noexcept {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!temporaryPath_.empty()) {
    ::unlink(temporaryPath_.c_str());
    temporaryPath_.clear();
  }
}

}  // namespace pdf
