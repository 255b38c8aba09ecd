#include "pdf/indexed_colors.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace pdf {

namespace {

// Colours to their palette index; open addressing over 24-bit keys.
class ColorTable {
 public:
  static constexpr uint32_t kEmpty = 0xFFFFFFFF;
  ColorTable() { slots_.fill({kEmpty, 0}); }

  // The colour's index, added when new; -1 once `most` colours are taken.
  int IndexOf(uint32_t rgb, int most) {
    uint32_t slot = (rgb * 2654435761u) >> (32 - kBits);
    while (true) {
      auto& [key, index] = slots_[slot];
      if (key == rgb) return index;
      if (key == kEmpty) {
        if (static_cast<int>(colors_.size()) >= most) return -1;
        key = rgb;
        index = static_cast<int>(colors_.size());
        colors_.push_back(rgb);
        return index;
      }
      slot = (slot + 1) & (kSlots - 1);
    }
  }
  const std::vector<uint32_t>& Colors() const { return colors_; }

 private:
  static constexpr int kBits = 10;  // 1024 slots for at most 256 colours
  static constexpr uint32_t kSlots = 1u << kBits;
  std::array<std::pair<uint32_t, int>, kSlots> slots_;
  std::vector<uint32_t> colors_;
};

uint32_t RgbAt(const uint8_t* pixel) {
  return uint32_t{pixel[0]} << 16 | uint32_t{pixel[1]} << 8 | pixel[2];
}

int BitsFor(size_t colors) {
  if (colors <= 2) return 1;
  if (colors <= 4) return 2;
  if (colors <= 16) return 4;
  return 8;
}

}  // namespace

std::optional<IndexedSamples> ToIndexedSamples(const platform::TBitmap& bitmap, int mostColors,
                                               int pixelsPerColor) {
  if (bitmap.IsMonochrome() || bitmap.Empty() || mostColors < 1) return std::nullopt;
  const int64_t pixels = int64_t{bitmap.Width()} * bitmap.Height();
  const int64_t affordable = pixelsPerColor > 0 ? pixels / pixelsPerColor : mostColors;
  const int most = static_cast<int>(std::min<int64_t>({mostColors, 256, affordable}));
  if (most < 1) return std::nullopt;

  // The colours first: most pictures that have too many show it early, and
  // nothing is kept for them.
  ColorTable table;
  for (int y = 0; y < bitmap.Height(); ++y) {
    const uint8_t* row = bitmap.Row(y);
    for (int x = 0; x < bitmap.Width(); ++x, row += 3)
      if (table.IndexOf(RgbAt(row), most) < 0) return std::nullopt;
  }

  IndexedSamples result;
  result.bits = BitsFor(table.Colors().size());
  for (uint32_t rgb : table.Colors()) {
    result.palette += static_cast<char>(rgb >> 16);
    result.palette += static_cast<char>(rgb >> 8 & 0xFF);
    result.palette += static_cast<char>(rgb & 0xFF);
  }
  const int perByte = 8 / result.bits;
  const size_t rowBytes = (static_cast<size_t>(bitmap.Width()) + perByte - 1) / perByte;
  result.samples.assign(rowBytes * static_cast<size_t>(bitmap.Height()), '\0');
  for (int y = 0; y < bitmap.Height(); ++y) {
    const uint8_t* pixel = bitmap.Row(y);
    char* row = result.samples.data() + static_cast<size_t>(y) * rowBytes;
    for (int x = 0; x < bitmap.Width(); ++x, pixel += 3) {
      const int shift = 8 - result.bits * (x % perByte + 1);
      row[x / perByte] =
          static_cast<char>(row[x / perByte] | table.IndexOf(RgbAt(pixel), most) << shift);
    }
  }
  return result;
}

}  // namespace pdf
