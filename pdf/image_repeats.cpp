#include "pdf/image_repeats.h"

#include <functional>
#include <string_view>

#include "pdf/images.h"

namespace pdf {

namespace {

size_t HashOf(const TPDFImage& image) {
  return std::hash<std::string_view>()(image.RepeatKey()) ^
         (static_cast<size_t>(image.Width()) * 0x9E3779B97F4A7C15ull) ^
         (static_cast<size_t>(image.Height()) << 32);
}

bool SameDictionary(const TPDFImage& a, const TPDFImage& b) {
  return a.Compression() == b.Compression() && a.Width() == b.Width() && a.Height() == b.Height() &&
         a.BitsPerComponent() == b.BitsPerComponent() && a.IsGray() == b.IsGray() &&
         a.IsMask() == b.IsMask() && a.MaskIndex() == b.MaskIndex() && a.BlackIs1() == b.BlackIs1() &&
         a.Palette() == b.Palette();
}

}  // namespace

int TImageRepeats::Find(const TPDFImage& image, const TPDFImages& images) const {
  const auto [first, last] = entries_.equal_range(HashOf(image));
  for (auto entry = first; entry != last; ++entry) {
    const Entry& earlier = entry->second;
    if (earlier.bytes == image.RepeatKey() && earlier.softMask == image.SoftMask() &&
        SameDictionary(image, images.Items(earlier.index)))
      return earlier.index;
  }
  return -1;
}

void TImageRepeats::Remember(const TPDFImage& image, int index) {
  const size_t size = image.RepeatKey().size() + image.SoftMask().size();
  if (bytes_ + size > kBudget) return;
  bytes_ += size;
  entries_.emplace(HashOf(image), Entry{index, image.RepeatKey(), image.SoftMask()});
}

void TImageRepeats::Clear() {
  entries_.clear();
  bytes_ = 0;
}

}  // namespace pdf
