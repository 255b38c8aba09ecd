#include "pdf/patterns.h"

#include <cmath>
#include <utility>

#include "pdf/deflate.h"
#include "pdf/document.h"
#include "pdf/number_format.h"
#include "pdf/pdf_exception.h"

namespace pdf {

namespace {

std::string DictionaryOf(const TPDFTilingPattern& pattern) {
  std::string text = "/Type /Pattern /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 ";
  AppendInteger(text, pattern.width);
  text += ' ';
  AppendInteger(text, pattern.height);
  text += "] /XStep ";
  AppendInteger(text, pattern.width);
  text += " /YStep ";
  AppendInteger(text, pattern.height);
  text += " /Resources << >> /Matrix [";
  for (int i = 0; i < 6; ++i) {
    AppendNumber(text, pattern.matrix[i], true);
    text += i < 5 ? " " : "]";
  }
  return text;
}

}  // namespace

int TPDFPatterns::Add(const TPDFTilingPattern& pattern) {
  if (pattern.width < 1 || pattern.height < 1) throw TPDFException(msg::kOutOfRange);
  for (double value : pattern.matrix)
    if (!std::isfinite(value)) throw TPDFException(msg::kOutOfRange);
  std::string dictionary = DictionaryOf(pattern);
  std::string key = dictionary + '\n' + pattern.content;
  const auto found = indexByKey_.find(key);
  if (found != indexByKey_.end()) return found->second;
  const int index = Count();
  entries_.push_back({std::move(dictionary), pattern.content, 0});
  indexByKey_.emplace(std::move(key), index);
  return index;
}

void TPDFPatterns::Write(TPDFDocument& document, int index) {
  Entry& entry = entries_.at(static_cast<size_t>(index));
  if (entry.number != 0) return;
  document.BeginObject(entry.number);
  document.WriteLine(entry.dictionary);
  document.WriteDeflatedStreamLater(std::exchange(entry.content, std::string()),
                                    document.Compression() == ctFlate, kDeflateLevel, entry.number);
}

void TPDFPatterns::Clear() {
  entries_.clear();
  indexByKey_.clear();
}

}  // namespace pdf
