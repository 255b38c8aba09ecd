#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A regular file open for reading. Devices, pipes, sockets and folders are
// refused before anything is read from them (opening never waits on a FIFO),
// so a job that names /dev/zero or a pipe gets a message instead of a hang.
// Errors are std::runtime_error naming the file.
class ReadableFile {
 public:
  explicit ReadableFile(const std::string& path);
  ~ReadableFile();
  ReadableFile(const ReadableFile&) = delete;
  ReadableFile& operator=(const ReadableFile&) = delete;

  const std::string& Path() const { return path_; }
  // The size when opened; sparse files may hold far fewer bytes on disk.
  uint64_t Size() const { return size_; }
  // Appends up to `count` bytes to `bytes`; returns how many (0 at the end).
  size_t Append(std::vector<uint8_t>& bytes, size_t count);
  // Moves to `offset` from the start: the next Append reads from there.
  void Seek(uint64_t offset);
  // For mapping the file; the object keeps owning it.
  int Descriptor() const { return fd_; }

 private:
  std::string path_;
  int fd_ = -1;
  uint64_t size_ = 0;
};

// The error for a file over a size limit, in one wording for every reader.
std::runtime_error TooLargeError(const std::string& path, uint64_t limit);

// The whole content of a regular file of at most `maxBytes` bytes.
std::vector<uint8_t> ReadWholeFile(const std::string& path, uint64_t maxBytes);

// Text as UTF-8: UTF-16 with a byte order mark is converted, a UTF-8 byte
// order mark dropped, anything else kept as it is.
std::string TextToUtf8(std::string_view bytes);

}  // namespace platform
