#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/font_face.h"

namespace platform {

struct ShapedGlyph {
  uint32_t glyph = 0;
  int advance = 0;  // at an em of 1000
};

// Glyphs and advances of a run laid out by HarfBuzz with the face (combining
// marks placed, ligatures and contextual forms applied), in visual order.
std::vector<ShapedGlyph> ShapeText(const FontFace& face, std::u16string_view text);

}  // namespace platform
