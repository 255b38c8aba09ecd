#pragma once

#include <cstdint>
#include <deque>
#include <future>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "pdf/output_file.h"

namespace platform {
class WorkPool;
}

namespace pdf {

// The bytes of a file in the order they were given, where some pieces (the
// rest of a stream object: its length, data and end) are still being made on
// a work pool. Text that follows an unfinished piece waits in memory with
// the objects that begin in it; their offsets are recorded once the bytes
// before them are written, so the file is the same whatever the pool's size.
// The waiting work is bounded: past a few dozen streams per thread, or a few
// MiB of input per thread, the oldest piece is waited for and written.
class OrderedOutput {
 public:
  // `offsets` receives the offset of each object, indexed by number - 1.
  OrderedOutput(OutputFile& file, platform::WorkPool& pool, std::vector<uint64_t>& offsets);

  void write(std::string_view bytes);
  // Object `number` begins with the next byte written.
  void beginObject(int64_t number);
  // Appends a piece being made from `inputBytes` bytes of input.
  void append(std::future<std::string> piece, size_t inputBytes);
  // Writes everything; afterwards position() is the file's size.
  void drain();
  // The file's size once drained.
  uint64_t position();

 private:
  struct Piece {
    std::string text;                                // written before `rest`
    std::vector<std::pair<size_t, int64_t>> starts;  // objects beginning in text: offset, number
    std::future<std::string> rest;
    size_t inputBytes = 0;
  };

  void writeFront();
  Piece& openPiece();

  OutputFile& file_;
  platform::WorkPool& pool_;
  std::vector<uint64_t>& offsets_;
  std::deque<Piece> pending_;
  size_t pendingInput_ = 0;
  size_t pendingStreams_ = 0;
};

}  // namespace pdf
