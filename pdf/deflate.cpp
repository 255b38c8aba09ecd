#include "pdf/deflate.h"

#include <libdeflate.h>

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <new>
#include <stdexcept>
#include <unordered_map>
#include <utility>

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

// Compressed bytes of ordinary streams land in a buffer kept for the thread
// and left uninitialised, so that only what the stream needs is copied into
// the result. Larger streams get a buffer of their own, freed at once: a
// kept buffer the size of the largest picture would stay for the run.
constexpr size_t kKeptScratch = 1 << 20;

class Scratch {
 public:
  explicit Scratch(size_t size) {
    thread_local std::unique_ptr<char[]> kept;
    if (size > kKeptScratch) {
      own_.reset(new char[size]);
      data_ = own_.get();
      return;
    }
    if (!kept) kept.reset(new char[kKeptScratch]);
    data_ = kept.get();
  }
  char* data() const { return data_; }

 private:
  std::unique_ptr<char[]> own_;
  char* data_ = nullptr;
};

// Print jobs repeat themselves: the same logo or pattern tile on every page
// arrives as the same bytes again and again (in the corpus, 4 of 5 streams
// repeat an earlier one). Small inputs are remembered with their compressed
// form, the oldest forgotten first once they hold kRepeatBudget bytes, so
// that a repeat costs a hash and a comparison.
constexpr size_t kRepeatLargest = 64 << 10;
constexpr size_t kRepeatBudget = 4 << 20;

class Repeats {
 public:
  const std::string* Find(size_t hash, std::string_view input, int level) const {
    const auto found = entries_.find(hash);
    if (found == entries_.end()) return nullptr;
    const Entry& entry = found->second;
    return entry.level == level && entry.input == input ? &entry.output : nullptr;
  }

  void Add(size_t hash, std::string_view input, int level, const std::string& output) {
    Forget(hash);
    entries_[hash] = {level, ++added_, std::string(input), output};
    order_.emplace_back(hash, added_);
    bytes_ += input.size() + output.size();
    while (bytes_ > kRepeatBudget && !order_.empty()) {
      const auto [oldest, sequence] = order_.front();
      order_.pop_front();
      const auto found = entries_.find(oldest);
      if (found != entries_.end() && found->second.sequence == sequence) Forget(oldest);
    }
  }

 private:
  struct Entry {
    int level = 0;
    uint64_t sequence = 0;  // tells a replaced entry's place in order_ from its own
    std::string input;
    std::string output;
  };

  void Forget(size_t hash) {
    const auto found = entries_.find(hash);
    if (found == entries_.end()) return;
    bytes_ -= found->second.input.size() + found->second.output.size();
    entries_.erase(found);
  }

  std::unordered_map<size_t, Entry> entries_;
  std::deque<std::pair<size_t, uint64_t>> order_;  // oldest first
  size_t bytes_ = 0;
  uint64_t added_ = 0;
};

std::string Compress(std::string_view data, int level) {
  libdeflate_compressor& compressor = CompressorFor(level);
  // The bound covers incompressible input, so compression cannot run short.
  const size_t bound = libdeflate_zlib_compress_bound(&compressor, data.size());
  const Scratch scratch(bound);
  const size_t size =
      libdeflate_zlib_compress(&compressor, data.data(), data.size(), scratch.data(), bound);
  if (size == 0) throw std::runtime_error("Deflate failed");
  return std::string(scratch.data(), size);
}

}  // namespace

std::string Deflate(std::string_view data, int level) {
  if (data.size() > kRepeatLargest) return Compress(data, level);
  thread_local Repeats repeats;
  const size_t hash = std::hash<std::string_view>()(data);
  if (const std::string* output = repeats.Find(hash, data, level)) return *output;
  std::string output = Compress(data, level);
  repeats.Add(hash, data, level, output);
  return output;
}

}  // namespace pdf
