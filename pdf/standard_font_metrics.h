#pragma once

#include <cstdint>

namespace pdf {

// Advance widths in 1/1000 em of the 14 standard fonts by byte code, rows in
// standard-index order (Helvetica family, Times family, Courier family,
// Symbol, ZapfDingbats). Rows 0-11 follow WinAnsiEncoding, 12-13 the fonts'
// built-in encodings.
extern const int16_t StandardFontWidths[14][256];

}  // namespace pdf
