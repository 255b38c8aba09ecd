#include "pdf/ordered_output.h"

#include "platform/work_pool.h"

namespace pdf {

namespace {

// Enough streams in flight to keep every thread busy while the writer goes
// on (a page of the corpus has a few to a dozen), few enough that a long
// job's memory does not grow with its pages.
constexpr size_t kStreamsPerThread = 32;
constexpr size_t kInputPerThread = 8 << 20;

}  // namespace

OrderedOutput::OrderedOutput(OutputFile& file, platform::WorkPool& pool,
                             std::vector<uint64_t>& offsets)
    : file_(file), pool_(pool), offsets_(offsets) {}

OrderedOutput::Piece& OrderedOutput::openPiece() {
  if (pending_.back().rest.valid()) pending_.emplace_back();
  return pending_.back();
}

void OrderedOutput::write(std::string_view bytes) {
  if (pending_.empty())
    file_.write(bytes);
  else
    openPiece().text.append(bytes);
}

void OrderedOutput::beginObject(int64_t number) {
  if (pending_.empty()) {
    offsets_[static_cast<size_t>(number - 1)] = file_.position();
    return;
  }
  Piece& piece = openPiece();
  piece.starts.emplace_back(piece.text.size(), number);
}

void OrderedOutput::append(std::future<std::string> piece, size_t inputBytes) {
  // Made already (a pool of one thread makes it at submission): nothing to
  // wait for unless earlier pieces are.
  if (pending_.empty() && piece.wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
    file_.write(piece.get());
    return;
  }
  if (pending_.empty() || pending_.back().rest.valid()) pending_.emplace_back();
  pending_.back().rest = std::move(piece);
  pending_.back().inputBytes = inputBytes;
  pendingInput_ += inputBytes;
  ++pendingStreams_;
  const size_t threads = static_cast<size_t>(pool_.size());
  while (pendingStreams_ > 1 && (pendingStreams_ > kStreamsPerThread * threads ||
                                 pendingInput_ > kInputPerThread * threads))
    writeFront();
}

void OrderedOutput::writeFront() {
  Piece& piece = pending_.front();
  const uint64_t start = file_.position();
  for (const auto& [offset, number] : piece.starts)
    offsets_[static_cast<size_t>(number - 1)] = start + offset;
  file_.write(piece.text);
  if (piece.rest.valid()) {
    file_.write(pool_.Wait(piece.rest));
    pendingInput_ -= piece.inputBytes;
    --pendingStreams_;
  }
  pending_.pop_front();
}

void OrderedOutput::drain() {
  while (!pending_.empty()) writeFront();
}

uint64_t OrderedOutput::position() {
  drain();
  return file_.position();
}

}  // namespace pdf
