#pragma once

#include <cstdint>
#include <vector>

namespace emf2pdf {

// The bitmap of a DIB pattern or mono brush, in device pixels, top-down.
struct BrushTile {
  int width = 0;
  int height = 0;
  // Mono brushes take the colours of the context they fill in: a 0 bit the
  // text colour, a 1 bit the background colour.
  bool mono = false;
  std::vector<uint32_t> pixels;  // COLORREFs, or 0/1 bits when mono
};

// Tiles larger than this fill with their mean colour instead.
inline constexpr int64_t kMaxBrushTilePixels = 256 * 256;

}  // namespace emf2pdf
