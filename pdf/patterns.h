#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace pdf {

class TPDFDocument;

// A coloured tiling pattern: one cell of width x height units painted by
// `content` (cell units, y downwards from the cell's top-left corner) and
// the matrix that maps cell units to the default space of the page or form
// that fills with it.
struct TPDFTilingPattern {
  int width = 1;
  int height = 1;
  std::string content;
  double matrix[6] = {1, 0, 0, 1, 0, 0};
};

// The tiling patterns of a document. Equal patterns are one object, written
// by the first page that uses it.
class TPDFPatterns {
 public:
  // The index of an equal pattern held already, else of `pattern` added.
  int Add(const TPDFTilingPattern& pattern);
  int Count() const { return static_cast<int>(entries_.size()); }
  int64_t ObjectNumber(int index) const { return entries_.at(static_cast<size_t>(index)).number; }
  // Writes pattern `index` unless it was written already.
  void Write(TPDFDocument& document, int index);
  void Clear();

 private:
  struct Entry {
    std::string dictionary;  // the keys besides /Length and /Filter
    std::string content;
    int64_t number = 0;
  };
  std::vector<Entry> entries_;
  std::unordered_map<std::string, int> indexByKey_;
};

}  // namespace pdf
