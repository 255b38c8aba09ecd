#include "platform/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/code_pages.h"

namespace platform {

namespace {

std::runtime_error SystemError(const std::string& what, const std::string& path) {
  return std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

// Why a file of this kind cannot be read as a document, or null for a
// regular file.
const char* NotRegularReason(mode_t mode) {
  if (S_ISREG(mode)) return nullptr;
  if (S_ISDIR(mode)) return "it is a folder, not a file";
  if (S_ISFIFO(mode) || S_ISSOCK(mode)) return "it is a pipe or socket, not a file";
  return "it is a device, not a file";
}

std::string MiB(uint64_t bytes) { return std::to_string((bytes + (1 << 20) - 1) >> 20) + " MiB"; }

std::string Utf16BytesToUtf8(std::string_view bytes, bool bigEndian) {
  std::u16string units;
  units.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto first = static_cast<uint8_t>(bytes[i]);
    const auto second = static_cast<uint8_t>(bytes[i + 1]);
    units.push_back(static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first));
  }
  return Utf16ToUtf8(units);
}

}  // namespace

ReadableFile::ReadableFile(const std::string& path) : path_(path) {
  // stat first: opening some devices has effects of its own (a tape rewinds).
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) throw SystemError("Cannot open", path);
  if (const char* reason = NotRegularReason(info.st_mode))
    throw std::runtime_error("Cannot read " + path + ": " + reason);
  fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd_ < 0) throw SystemError("Cannot open", path);
  // The name may have been replaced between the two looks.
  if (::fstat(fd_, &info) != 0 || NotRegularReason(info.st_mode) != nullptr) {
    ::close(fd_);
    throw std::runtime_error("Cannot read " + path + ": it is not a regular file");
  }
  size_ = static_cast<uint64_t>(info.st_size);
}

ReadableFile::~ReadableFile() { ::close(fd_); }

void ReadableFile::Seek(uint64_t offset) {
  if (::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0)
    throw SystemError("Cannot read", path_);
}

size_t ReadableFile::Append(std::vector<uint8_t>& bytes, size_t count) {
  const size_t start = bytes.size();
  bytes.resize(start + count);
  size_t got = 0;
  while (got < count) {
    const ssize_t n = ::read(fd_, bytes.data() + start + got, count - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      bytes.resize(start);
      throw SystemError("Cannot read", path_);
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  bytes.resize(start + got);
  return got;
}

std::runtime_error TooLargeError(const std::string& path, uint64_t limit) {
  return std::runtime_error("Cannot read " + path + ": it is larger than " + MiB(limit) +
                            ", more than such a file can sensibly hold");
}

std::vector<uint8_t> ReadWholeFile(const std::string& path, uint64_t maxBytes) {
  ReadableFile file(path);
  if (file.Size() > maxBytes) throw TooLargeError(path, maxBytes);
  std::vector<uint8_t> bytes;
  // One byte more than the size lets the last read find the end in place;
  // a file that grows meanwhile is read on, up to the limit.
  bytes.reserve(static_cast<size_t>(file.Size()) + 1);
  for (;;) {
    const size_t room = bytes.capacity() - bytes.size();
    if (file.Append(bytes, room > 0 ? room : 1 << 16) == 0) break;
    if (bytes.size() > maxBytes) throw TooLargeError(path, maxBytes);
  }
  return bytes;
}

std::string TextToUtf8(std::string_view bytes) {
  if (bytes.starts_with("\xFF\xFE")) return Utf16BytesToUtf8(bytes.substr(2), false);
  if (bytes.starts_with("\xFE\xFF")) return Utf16BytesToUtf8(bytes.substr(2), true);
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  return std::string(bytes);
}

}  // namespace platform
