// Brushes that GDI draws as repeated device-pixel cells, as PDF pattern cells.
#include "emf2pdf/pdf_pattern_cells.h"

#include "emf2pdf/emf_records.h"
#include "pdf/deflate.h"
#include "pdf/number_format.h"

namespace emf2pdf {

namespace {

// "r g b OP" for a COLORREF.
void AppendColor(std::string& out, uint32_t color, const char* op) {
  for (int shift = 0; shift < 24; shift += 8) {
    pdf::AppendNumber(out, ((color >> shift) & 0xFF) / 255.0);
    out += ' ';
  }
  out += op;
  out += '\n';
}

void AppendRect(std::string& out, int x, int y, int w, int h) {
  for (int value : {x, y, w, h}) {
    pdf::AppendInteger(out, value);
    out += ' ';
  }
  out += "re\n";
}

// Cells are repeated to a tile of at least this many device pixels a side:
// poppler steps from tile to tile by a rounded size, an error that would add
// up every 8 pixels with a single cell.
constexpr int kMinTileSide = 256;

int Repeats(int side) { return side >= kMinTileSide ? 1 : (kMinTileSide + side - 1) / side; }

// One hatch line through the centres of its pixels, drawn past the tile's
// edges so that neighbouring tiles join.
void AppendLine(std::string& out, double x0, double y0, double x1, double y1) {
  for (double value : {x0, y0}) {
    pdf::AppendNumber(out, value);
    out += ' ';
  }
  out += "m ";
  for (double value : {x1, y1}) {
    pdf::AppendNumber(out, value);
    out += ' ';
  }
  out += "l\n";
}

// GDI's 8 x 8 cells, y downwards: row 3, column 4, the diagonal of pixels
// x == y and that of x + y == 7; over a tile of `side` pixels.
void AppendHatchLines(std::string& out, int hatch, int side) {
  const bool horizontal = hatch == emr::HS_HORIZONTAL || hatch == emr::HS_CROSS;
  const bool vertical = hatch == emr::HS_VERTICAL || hatch == emr::HS_CROSS;
  const bool forward = hatch == emr::HS_FDIAGONAL || hatch > emr::HS_CROSS;
  const bool backward = hatch == emr::HS_BDIAGONAL || hatch > emr::HS_CROSS;
  const double end = side + 1;
  for (int k = 0; k < side; k += 8) {
    if (horizontal) AppendLine(out, -1, k + 3.5, end, k + 3.5);
    if (vertical) AppendLine(out, k + 4.5, -1, k + 4.5, end);
  }
  // The diagonals x - y == k and x + y == k + side (pixel centres).
  for (int k = -side; k <= side; k += 8) {
    if (forward) AppendLine(out, k - 1, -1, k + end, end);
    if (backward) AppendLine(out, k + side + 1, -1, -1, k + side + 1);
  }
}

char HexDigit(unsigned value) { return "0123456789ABCDEF"[value & 0xF]; }

}  // namespace

pdf::TPDFTilingPattern HatchCell(const FillPattern& hatch) {
  pdf::TPDFTilingPattern cell;
  const int side = 8 * Repeats(8);
  cell.width = cell.height = side;
  std::string& out = cell.content;
  if (hatch.background) {
    AppendColor(out, *hatch.background, "rg");
    AppendRect(out, 0, 0, side, side);
    out += "f\n";
  }
  AppendColor(out, hatch.color, "RG");
  out += "1 w [] 0 d 0 J\n";
  AppendHatchLines(out, hatch.hatch, side);
  out += "S\n";
  return cell;
}

// One inline image, compressed and then in hexadecimal: no binary data that
// a reader might take for the end of the image.
pdf::TPDFTilingPattern TileCell(const BrushTile& tile, uint32_t textColor, uint32_t bkColor) {
  const bool repeat =
      int64_t{tile.width} * Repeats(tile.width) * tile.height * Repeats(tile.height) <=
      kMaxBrushTilePixels;
  pdf::TPDFTilingPattern cell;
  cell.width = tile.width * (repeat ? Repeats(tile.width) : 1);
  cell.height = tile.height * (repeat ? Repeats(tile.height) : 1);
  std::string rgb;
  rgb.reserve(tile.pixels.size() * 3);
  for (uint32_t pixel : tile.pixels) {
    const uint32_t color = tile.mono ? (pixel ? bkColor : textColor) : pixel;
    for (int shift = 0; shift < 24; shift += 8) rgb += static_cast<char>(color >> shift);
  }
  const std::string packed = repeat ? pdf::DeflateTiled(rgb, static_cast<size_t>(tile.width) * 3,
                                                        static_cast<size_t>(Repeats(tile.width)),
                                                        static_cast<size_t>(Repeats(tile.height)))
                                    : pdf::Deflate(rgb);
  std::string& out = cell.content;
  out += "q ";
  for (int value : {cell.width, 0, 0, -cell.height, 0, cell.height}) {
    pdf::AppendInteger(out, value);
    out += ' ';
  }
  out += "cm\nBI /W ";
  pdf::AppendInteger(out, cell.width);
  out += " /H ";
  pdf::AppendInteger(out, cell.height);
  out += " /CS /RGB /BPC 8 /F [/AHx /Fl] ID\n";
  out.reserve(out.size() + packed.size() * 2 + 16);
  for (unsigned char byte : packed) {
    out += HexDigit(byte >> 4);
    out += HexDigit(byte);
  }
  out += ">\nEI Q\n";
  return cell;
}

namespace {

// Programs often create a new brush of the same bits for every shape.
bool SameTile(const BrushTile& a, const BrushTile& b) {
  return &a == &b ||
         (a.width == b.width && a.height == b.height && a.mono == b.mono && a.pixels == b.pixels);
}

}  // namespace

// A hatch cell is quick to write: it is made for each fill.
const pdf::TPDFTilingPattern& PatternCells::Cell(const FillPattern& pattern) {
  if (pattern.tile) return Tile(pattern.tile, pattern.textColor, pattern.bkColor);
  hatch_ = HatchCell(pattern);
  return hatch_;
}

const pdf::TPDFTilingPattern& PatternCells::Tile(const std::shared_ptr<const BrushTile>& tile,
                                                 uint32_t textColor, uint32_t bkColor) {
  // Only a mono brush takes its colours from the context.
  if (!tile->mono) textColor = bkColor = 0;
  for (const Entry& entry : entries_)
    if (entry.textColor == textColor && entry.bkColor == bkColor && SameTile(*entry.tile, *tile))
      return entry.cell;
  constexpr size_t kKept = 16;
  if (entries_.size() == kKept) entries_.erase(entries_.begin());
  entries_.push_back({tile, textColor, bkColor, TileCell(*tile, textColor, bkColor)});
  return entries_.back().cell;
}

}  // namespace emf2pdf
