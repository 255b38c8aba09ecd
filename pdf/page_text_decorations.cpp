#include <algorithm>
#include <cmath>
#include <numbers>

#include "pdf/document.h"
#include "pdf/font.h"
#include "pdf/page.h"

namespace pdf {

// Underline and strike-out bars of the text just written, `width` points
// long, painted by the text rendering mode.
void TPDFPage::DrawDecorations(double width) {
  if (!std::isfinite(width)) return;
  const double k = fontSize_;
  const double thickness = 0.05 * k;
  const double radians = textAngle_ * std::numbers::pi / 180;
  const double c = std::cos(radians), s = std::sin(radians);
  auto bar = [&](double x, double y, double height) {
    if (textAngle_ == 0) return RectanglePt(x, y, width, height);
    MoveToPt(x, y);
    LineToPt(x + width * c, y + width * s);
    LineToPt(x + width * c - height * s, y + width * s + height * c);
    LineToPt(x - height * s, y + height * c);
    LineToPt(x, y);
  };
  if (fontStyle_ & kStyleUnderline) {
    if (textAngle_ == 0)
      bar(textX_, textY_ - thickness, -thickness);
    else
      bar(textX_ + 3 * s, textY_ - 3 * c, -thickness);
  }
  if (fontStyle_ & kStyleStrikeOut) {
    if (textAngle_ == 0)
      bar(textX_, textY_ + k / 4, thickness);
    else
      bar(textX_ - k / 4 * s, textY_ + k / 4 * c, thickness);
  }
  switch (renderingMode_) {
    case 1:
      Stroke();
      break;
    case 2:
      FillAndStroke();
      break;
    default:
      Fill();
  }
}

// Links over "http://", "ftp://" and "mailto:" addresses in text written at
// (x, y) device units without rotation. `lowered` is the text as bytes, in
// lower case; `original` gives the characters of the link.
void TPDFPage::CreateTextLinks(const std::string& lowered, const std::string& original, double x,
                               double y) {
  if (!document_.AutoCreateURL() || isForm_) return;
  const double ascent = baselineOrigin_ ? 0 : FontFor(0).GetAscent() * fontSize_ / 1000;
  for (const char* prefix : {"http://", "ftp://", "mailto:"}) {
    size_t at = lowered.find(prefix);
    while (at != std::string::npos) {
      if (at != 0 && lowered[at - 1] != ' ') {
        at = lowered.find(prefix, at + std::char_traits<char>::length(prefix));
        continue;
      }
      size_t end = lowered.find(' ', at);
      if (end == std::string::npos) end = lowered.size();
      const double left = x + TextWidthPx(original.substr(0, at));
      const double right = left + TextWidthPx(original.substr(at, end - at));
      const double bottom = baselineOrigin_ ? y - fontSize_ * Factor() : y + ascent * Factor();
      CreateURLAnnotation(std::trunc(left), std::trunc(y), std::trunc(right), std::trunc(bottom),
                          original.substr(at, end - at));
      at = lowered.find(prefix, end);
    }
  }
}

}  // namespace pdf
