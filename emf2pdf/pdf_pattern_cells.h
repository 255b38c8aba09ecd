#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "emf2pdf/drawing_device.h"
#include "pdf/patterns.h"

namespace emf2pdf {

// The pattern brushes of a picture as PDF tiling pattern cells.

// GDI's 8 x 8 hatch cell of the pattern's HS_ style, colour and background.
pdf::TPDFTilingPattern HatchCell(const FillPattern& hatch);

// The cell of a pattern brush, one unit per pixel.
pdf::TPDFTilingPattern TileCell(const BrushTile& tile, uint32_t textColor, uint32_t bkColor);

// The cells a picture fills with, each made once: a page may fill thousands
// of shapes with one brush, and a cell is up to 256 x 256 pixels to
// compress.
class PatternCells {
 public:
  const pdf::TPDFTilingPattern& Cell(const FillPattern& pattern);

 private:
  const pdf::TPDFTilingPattern& Tile(const std::shared_ptr<const BrushTile>& tile,
                                     uint32_t textColor, uint32_t bkColor);
  struct Entry {
    std::shared_ptr<const BrushTile> tile;
    uint32_t textColor = 0;
    uint32_t bkColor = 0;
    pdf::TPDFTilingPattern cell;
  };
  std::vector<Entry> entries_;
  pdf::TPDFTilingPattern hatch_;
};

}  // namespace emf2pdf
