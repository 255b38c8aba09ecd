// Path construction, written at once outside a path bracket and held back
// inside one until the record that paints or clips the path.
#include <algorithm>

#include "emf2pdf/emw_parser.h"

namespace emf2pdf {

// A hatched brush fills through a clip of the path, so its path is held
// until it is painted, like a bracket's.
void TEMWParser::Construct(PathOp op) {
  if (state_.pathBracket || !heldPath_.empty() || state_.hatch >= 0)
    heldPath_.push_back(std::move(op));
  else
    op(*page_);
}

void TEMWParser::FlushPath() {
  // Taken out first: an operation that throws must not leave the rest held.
  std::vector<PathOp> held;
  held.swap(heldPath_);
  pathBoundsSet_ = false;
  for (PathOp& op : held) op(*page_);
}

pdf::TPDFPage& TEMWParser::Paint() {
  FlushPath();
  return *page_;
}

void TEMWParser::Extend(double x, double y) {
  if (!pathBoundsSet_) {
    pathBounds_[0] = pathBounds_[2] = x;
    pathBounds_[1] = pathBounds_[3] = y;
    pathBoundsSet_ = true;
    return;
  }
  pathBounds_[0] = std::min(pathBounds_[0], x);
  pathBounds_[1] = std::min(pathBounds_[1], y);
  pathBounds_[2] = std::max(pathBounds_[2], x);
  pathBounds_[3] = std::max(pathBounds_[3], y);
}

void TEMWParser::PathMoveTo(double x, double y) {
  Extend(x, y);
  Construct([=](pdf::TPDFPage& p) { p.MoveTo(x, y); });
}

void TEMWParser::PathLineTo(double x, double y) {
  Extend(x, y);
  Construct([=](pdf::TPDFPage& p) { p.LineTo(x, y); });
}

void TEMWParser::PathCurveTo(double x1, double y1, double x2, double y2, double x3, double y3) {
  Extend(x1, y1);
  Extend(x2, y2);
  Extend(x3, y3);
  Construct([=](pdf::TPDFPage& p) { p.CurveTo(x1, y1, x2, y2, x3, y3); });
}

void TEMWParser::PathRectangle(double x1, double y1, double x2, double y2) {
  Extend(x1, y1);
  Extend(x2, y2);
  Construct([=](pdf::TPDFPage& p) { p.Rectangle(x1, y1, x2, y2); });
}

void TEMWParser::PathEllipse(double x1, double y1, double x2, double y2) {
  Extend(x1, y1);
  Extend(x2, y2);
  Construct([=](pdf::TPDFPage& p) { p.Ellipse(x1, y1, x2, y2); });
}

void TEMWParser::PathRoundRect(double x1, double y1, double x2, double y2, double w, double h) {
  Extend(x1, y1);
  Extend(x2, y2);
  Construct([=](pdf::TPDFPage& p) { p.RoundRect(x1, y1, x2, y2, w, h); });
}

void TEMWParser::PathArc(double x1, double y1, double x2, double y2, double x3, double y3,
                         double x4, double y4, bool closeToStart) {
  Extend(x1, y1);
  Extend(x2, y2);
  Construct([=](pdf::TPDFPage& p) {
    const pdf::TPDFDevicePoint start = p.Arc(x1, y1, x2, y2, x3, y3, x4, y4);
    if (closeToStart) p.LineTo(start.x, start.y);
  });
}

void TEMWParser::PathArcAngles(double x1, double y1, double x2, double y2, double a5, double a6) {
  Extend(x1, y1);
  Extend(x2, y2);
  Construct([=](pdf::TPDFPage& p) { p.ArcAngles(x1, y1, x2, y2, a5, a6); });
}

void TEMWParser::PathPie(double x1, double y1, double x2, double y2, double x3, double y3,
                         double x4, double y4) {
  Extend(x1, y1);
  Extend(x2, y2);
  Construct([=](pdf::TPDFPage& p) { p.Pie(x1, y1, x2, y2, x3, y3, x4, y4); });
}

void TEMWParser::PathClose() {
  Construct([](pdf::TPDFPage& p) { p.ClosePath(); });
}

}  // namespace emf2pdf
