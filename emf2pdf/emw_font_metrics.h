#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "emf2pdf/emw_objects.h"
#include "platform/font_face.h"

namespace emf2pdf {

// What the shadow context's text metrics say of a LOGFONT, in its logical
// units (the stand-in for GetTextMetrics and GetTextExtentPoint32).
struct EmwTextMetrics {
  double height = 0;           // tmHeight
  double ascent = 0;           // tmAscent
  double internalLeading = 0;  // tmInternalLeading
  double em = 0;               // tmHeight - tmInternalLeading
  double widthScale = 1;       // lfWidth against the face's average width
};

// Faces behind LOGFONTs, opened once per face and style.
class EmwFontMetrics {
 public:
  // The face that stands for the LOGFONT (its family, the nearest cut, or
  // Arial's stand-in); nullptr when no TrueType face is installed at all.
  const platform::FontFace* Face(const LogFont& font);
  EmwTextMetrics Metrics(const LogFont& font);
  // Width of text in logical units.
  double TextExtent(const LogFont& font, std::u16string_view text);

 private:
  std::map<std::string, std::shared_ptr<const platform::FontFace>> faces_;
};

// The face name of a LOGFONT as UTF-8, up to its first NUL.
std::string FaceNameOf(const LogFont& font);

// The one answer to "which face draws this LOGFONT": the PDF font, the
// measures for alignment and the shaping all use it, so that glyphs and
// widths come from the face the PDF shows.
struct ResolvedFont {
  std::string name;  // the face name asked of the PDF fonts
  int charset = 0;   // 0, or the character set the substitute must cover
  bool symbol = false;
};
ResolvedFont ResolveFont(const LogFont& font);

}  // namespace emf2pdf
