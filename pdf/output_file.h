#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pdf {

// The file a document is written to. Bytes go to a temporary file beside the
// destination and replace the destination only on commit(), so a failed or
// killed run never leaves a half-written file under the final name and never
// destroys the file that was there before. Offsets are 64-bit.
class OutputFile {
 public:
  // Creates the temporary file; throws std::runtime_error when it cannot.
  explicit OutputFile(std::string destination);
  ~OutputFile();  // discards unless committed
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void write(std::string_view bytes);
  uint64_t position() const { return position_; }

  // Flushes, syncs and renames over the destination; throws on failure.
  void commit();
  // Closes and removes the temporary file.
  void discard() noexcept;

  const std::string& temporaryPath() const { return temporaryPath_; }

 private:
  void flush();

  std::string destination_;
  std::string temporaryPath_;
  int fd_ = -1;
  uint64_t position_ = 0;
  std::string buffer_;
};

}  // namespace pdf
