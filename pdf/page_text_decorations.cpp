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
  // The bars run along the text's x axis and stand on its y axis, which
  // mirrored or stretched text has of its own.
  double ax = c, ay = s, ux = -s, uy = c;
  if (textAxes_) {
    ax = (*textAxes_)[0];
    ay = (*textAxes_)[1];
    ux = (*textAxes_)[2];
    uy = (*textAxes_)[3];
  }
  const bool upright = textAngle_ == 0 && !textAxes_;
  auto bar = [&](double x, double y, double height) {
    if (upright) return RectanglePt(x, y, width, height);
    MoveToPt(x, y);
    LineToPt(x + width * ax, y + width * ay);
    LineToPt(x + width * ax + height * ux, y + width * ay + height * uy);
    LineToPt(x + height * ux, y + height * uy);
    LineToPt(x, y);
  };
  if (fontStyle_ & kStyleUnderline) {
    if (upright)
      bar(textX_, textY_ - thickness, -thickness);
    else
      bar(textX_ - 3 * ux, textY_ - 3 * uy, -thickness);
  }
  if (fontStyle_ & kStyleStrikeOut) {
    if (upright)
      bar(textX_, textY_ + k / 4, thickness);
    else
      bar(textX_ + k / 4 * ux, textY_ + k / 4 * uy, thickness);
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
