#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "pdf/patterns.h"

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

// GDI's 8 x 8 hatch cell of HS_ style `hatch` in `color` (COLORREFs), over
// `background` when the background mode is opaque.
pdf::TPDFTilingPattern HatchCell(int hatch, uint32_t color, std::optional<uint32_t> background);

// The cell of a pattern brush, one unit per pixel.
pdf::TPDFTilingPattern TileCell(const BrushTile& tile, uint32_t textColor, uint32_t bkColor);

// The cells a picture's pattern brushes fill with, each made once: a page
// may fill thousands of shapes with one brush, and a cell is up to 256 x 256
// pixels to compress.
class TileCells {
 public:
  const pdf::TPDFTilingPattern& Cell(const std::shared_ptr<const BrushTile>& tile,
                                     uint32_t textColor, uint32_t bkColor);

 private:
  struct Entry {
    std::shared_ptr<const BrushTile> tile;
    uint32_t textColor = 0;
    uint32_t bkColor = 0;
    pdf::TPDFTilingPattern cell;
  };
  std::vector<Entry> entries_;
};

}  // namespace emf2pdf
