#include <cmath>
#include <numbers>

#include "pdf/font.h"
#include "pdf/number_format.h"
#include "pdf/page.h"

namespace pdf {

namespace {

std::string Point(double x, double y, const char* op) {
  std::string line;
  AppendNumber(line, x);
  line += ' ';
  AppendNumber(line, y);
  line += op;
  return line;
}

}  // namespace

// Underline and strike-out bars of the text just written, `width` points
// long, painted by the text rendering mode.
void TPDFPage::DrawDecorations(double width) {
  if (!std::isfinite(width)) return;
  const double k = fontSize_;
  const double thickness = 0.05 * k;
  EndText();
  auto bar = [&](double x, double y, double height) {
    if (textAngle_ == 0) {
      std::string line = Point(x, y, " ");
      AppendNumber(line, width);
      line += ' ';
      AppendNumber(line, height);
      AppendLine(line + " re");
      return;
    }
    const double radians = textAngle_ * std::numbers::pi / 180;
    const double c = std::cos(radians), s = std::sin(radians);
    AppendLine(Point(x, y, " m"));
    AppendLine(Point(x + width * c, y + width * s, " l"));
    AppendLine(Point(x + width * c - height * s, y + width * s + height * c, " l"));
    AppendLine(Point(x - height * s, y + height * c, " l"));
    AppendLine(Point(x, y, " l"));
  };
  const double radians = textAngle_ * std::numbers::pi / 180;
  if (fontStyle_ & kStyleUnderline) {
    if (textAngle_ == 0)
      bar(textX_, textY_ - thickness, -thickness);
    else
      bar(textX_ + 3 * std::sin(radians), textY_ - 3 * std::cos(radians), -thickness);
  }
  if (fontStyle_ & kStyleStrikeOut) {
    if (textAngle_ == 0)
      bar(textX_, textY_ + k / 4, thickness);
    else
      bar(textX_ - k / 4 * std::sin(radians), textY_ + k / 4 * std::cos(radians), thickness);
  }
  switch (renderingMode_) {
    case 1:
      AppendLine("S");
      break;
    case 2:
      AppendLine("B");
      break;
    default:
      AppendLine("f");
  }
}

}  // namespace pdf
