#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "emf2pdf/brush_patterns.h"

namespace emf2pdf {

// A LOGFONTW as a record carries it; the face name in UTF-16, up to its NUL.
struct LogFont {
  int32_t lfHeight = -16;
  int32_t lfWidth = 0;
  int32_t lfEscapement = 0;
  int32_t lfOrientation = 0;
  int32_t lfWeight = 400;
  uint8_t lfItalic = 0;
  uint8_t lfUnderline = 0;
  uint8_t lfStrikeOut = 0;
  uint8_t lfCharSet = 0;
  uint8_t lfOutPrecision = 0;
  uint8_t lfClipPrecision = 0;
  uint8_t lfQuality = 0;
  uint8_t lfPitchAndFamily = 0;
  std::u16string lfFaceName = u"Arial";

  bool operator==(const LogFont&) const = default;
};

// One entry of the picture's object table, or a stock object: the logical
// description the record gave.
struct EmwObject {
  enum class Kind { kNone, kPen, kBrush, kFont };
  Kind kind = Kind::kNone;
  uint32_t style = 0;  // PS_ style of a pen, BS_ style of a brush
  int32_t width = 0;   // pen width in logical units
  uint32_t color = 0;  // COLORREF
  uint32_t hatch = 0;  // brush hatch
  // The bitmap of a DIB pattern or mono brush.
  std::shared_ptr<const BrushTile> tile;
  // End cap and join of a geometric pen from EMR_EXTCREATEPEN (PS_ENDCAP_*
  // and PS_JOIN_* bits); false: the picture's defaults.
  bool geometric = false;
  uint32_t capAndJoin = 0;
  std::vector<uint32_t> userStyle;  // PS_USERSTYLE: dash and gap lengths
  LogFont font;
};

}  // namespace emf2pdf
