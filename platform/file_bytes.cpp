#include "platform/file_bytes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace platform {

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) throw std::runtime_error("Cannot open " + path + ": " + std::strerror(errno));
  // One allocation of the file's size; a file that grows meanwhile is read
  // on in chunks.
  std::vector<uint8_t> bytes;
  if (std::fseek(file.get(), 0, SEEK_END) == 0) {
    const long size = std::ftell(file.get());
    if (size > 0) bytes.reserve(static_cast<size_t>(size));
    std::rewind(file.get());
  }
  uint8_t buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
    bytes.insert(bytes.end(), buffer, buffer + got);
  if (std::ferror(file.get())) throw std::runtime_error("Cannot read " + path);
  return bytes;
}

}  // namespace platform
