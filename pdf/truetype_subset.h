#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/font_face.h"

namespace pdf {

// The font program of a single-byte TrueType font: a compact subset whose
// glyphs are renumbered (0-2 empty, then the kept glyphs in the face's
// order) with a Mac and a Windows cmap over the code page 1252 bytes.
class TAnsiFontSubset {
 public:
  // `codePoints` sorted ascending. Raises "Cannot recieve data from font"
  // (std::runtime_error) when a required table is missing. 'cvt ', 'fpgm'
  // and 'prep' are optional and copied only for outlines that kept their
  // instructions. The space (glyph 2) takes the metric of the face's glyph
  // 1, or with `spaceMetricOfFace` that of the face's own space, so that
  // the program's advances agree with the widths written (as validators of
  // archival files check).
  static std::string MakeSubset(const platform::FontTableSource& source,
                                const std::string& faceName, std::vector<uint16_t> codePoints,
                                bool spaceMetricOfFace = false);
};

}  // namespace pdf
