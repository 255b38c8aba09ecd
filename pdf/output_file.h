#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace platform {
class RemoveOnInterrupt;
}

namespace pdf {

// The file a document is written to. Bytes go to a temporary file beside the
// destination and replace the destination only on commit(), so a failed or
// killed run never leaves a half-written file under the final name and never
// destroys the file that was there before. The temporary file has no name
// while it is written where the file system allows (O_TMPFILE), so even
// SIGKILL leaves nothing behind; elsewhere it is a locked ".tallowcraft.*"
// file that is removed on SIGTERM, SIGHUP and SIGINT, and that a later run
// removes once no process holds its lock. The result keeps the mode of the
// file it replaces. Offsets are 64-bit.
class OutputFile {
 public:
  // Creates the temporary file; throws std::runtime_error when it cannot.
  explicit OutputFile(std::string destination);
  // Keeps the bytes in memory, for Bytes() after commit(): a document made
  // only to be read back (rendered) at once.
  OutputFile();
  ~OutputFile();  // discards unless committed
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void write(std::string_view bytes);
  uint64_t position() const { return position_; }
  // Writes over bytes written before (a header field known only at the end);
  // throws unless all of them were written already.
  void overwrite(uint64_t offset, std::string_view bytes);

  // Flushes, syncs and renames over the destination; throws on failure.
  void commit();
  // Closes and removes the temporary file.
  void discard() noexcept;

  // Empty while the temporary file has no name.
  const std::string& temporaryPath() const { return temporaryPath_; }

  bool InMemory() const { return inMemory_; }
  // The bytes of a file kept in memory, taken.
  std::string TakeBytes() { return std::move(buffer_); }

 private:
  void flush();
  void writeAll(std::string_view bytes);
  void createNamed(const std::string& folder);
  void nameAnonymous();

  std::string destination_;
  std::string temporaryPath_;
  std::unique_ptr<platform::RemoveOnInterrupt> removeOnInterrupt_;
  int fd_ = -1;
  bool inMemory_ = false;
  uint64_t position_ = 0;
  std::string buffer_;
};

// Removes temporary files of the pattern above in `folder` that belong to
// this user and whose writer is gone (no process holds their lock).
void SweepStaleTemporaries(const std::string& folder);

}  // namespace pdf
