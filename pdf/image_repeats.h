#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>

namespace pdf {

class TPDFImage;
class TPDFImages;

// Print jobs draw the same picture again and again (a logo on every page):
// an image equal to an earlier one, by its encoded bytes and everything its
// dictionary says, is the earlier image's XObject. Encoded bytes are kept
// (an image's own are freed once it is written) up to kBudget in all.
class TImageRepeats {
 public:
  static constexpr size_t kBudget = 8 << 20;

  // The index of an earlier image equal to `image`, or -1.
  int Find(const TPDFImage& image, const TPDFImages& images) const;
  // Remembers the image at `index` while the budget allows.
  void Remember(const TPDFImage& image, int index);
  void Clear();

 private:
  struct Entry {
    int index = -1;
    std::string bytes;
    std::string softMask;  // compressed, as the image had it when added
  };

  std::unordered_multimap<size_t, Entry> entries_;
  size_t bytes_ = 0;
};

}  // namespace pdf
