#include "pdf/deflate.h"

#include <libdeflate.h>

#include <array>
#include <memory>
#include <new>
#include <stdexcept>

namespace pdf {

namespace {

struct CompressorDeleter {
  void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};
using Compressor = std::unique_ptr<libdeflate_compressor, CompressorDeleter>;

constexpr int kMaxLevel = 12;

// A compressor holds its tables and hash chains (hundreds of KiB), so each
// thread keeps one per level for the run instead of one per stream.
libdeflate_compressor& CompressorFor(int level) {
  if (level < 1 || level > kMaxLevel) throw std::invalid_argument("Deflate level out of range");
  thread_local std::array<Compressor, kMaxLevel + 1> compressors;
  Compressor& slot = compressors[static_cast<size_t>(level)];
  if (!slot) slot.reset(libdeflate_alloc_compressor(level));
  if (!slot) throw std::bad_alloc();
  return *slot;
}

// Compressed bytes land in a buffer kept for the thread, left uninitialised,
// so that only what the stream needs is copied into the result.
char* ScratchOf(size_t size) {
  thread_local std::unique_ptr<char[]> buffer;
  thread_local size_t capacity = 0;
  if (size > capacity) {
    buffer.reset(new char[size]);
    capacity = size;
  }
  return buffer.get();
}

}  // namespace

std::string Deflate(std::string_view data, int level) {
  libdeflate_compressor& compressor = CompressorFor(level);
  // The bound covers incompressible input, so compression cannot run short.
  const size_t bound = libdeflate_zlib_compress_bound(&compressor, data.size());
  char* scratch = ScratchOf(bound);
  const size_t size =
      libdeflate_zlib_compress(&compressor, data.data(), data.size(), scratch, bound);
  if (size == 0) throw std::runtime_error("Deflate failed");
  return std::string(scratch, size);
}

}  // namespace pdf
