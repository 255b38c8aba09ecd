// Path construction, written at once outside a path bracket and held back
// inside one until the record that paints or clips the path.
#include <algorithm>

#include "emf2pdf/emw_parser.h"

namespace emf2pdf {

// A pattern brush's fill is chosen before the path begins, so its path is
// held until it is painted, like a bracket's.
void TEMWParser::Construct(PathOp op) {
  if (state_.pathBracket || !heldPath_.empty() || PatternBrush())
    heldPath_.push_back(std::move(op));
  else
    op(*page_);
}

void TEMWParser::FlushPath() {
  // Taken out first: an operation that throws must not leave the rest held.
  std::vector<PathOp> held;
  held.swap(heldPath_);
  for (PathOp& op : held) op(*page_);
}

pdf::TPDFPage& TEMWParser::Paint() {
  FlushPath();
  return *page_;
}

void TEMWParser::PathMoveTo(double x, double y) {
  Construct([=](pdf::TPDFPage& p) { p.MoveTo(x, y); });
}

void TEMWParser::PathLineTo(double x, double y) {
  Construct([=](pdf::TPDFPage& p) { p.LineTo(x, y); });
}

void TEMWParser::PathCurveTo(double x1, double y1, double x2, double y2, double x3, double y3) {
  Construct([=](pdf::TPDFPage& p) { p.CurveTo(x1, y1, x2, y2, x3, y3); });
}

void TEMWParser::PathRectangle(double x1, double y1, double x2, double y2) {
  Construct([=](pdf::TPDFPage& p) { p.Rectangle(x1, y1, x2, y2); });
}

void TEMWParser::PathEllipse(double x1, double y1, double x2, double y2) {
  Construct([=](pdf::TPDFPage& p) { p.Ellipse(x1, y1, x2, y2); });
}

void TEMWParser::PathRoundRect(double x1, double y1, double x2, double y2, double w, double h) {
  Construct([=](pdf::TPDFPage& p) { p.RoundRect(x1, y1, x2, y2, w, h); });
}

void TEMWParser::PathArc(double x1, double y1, double x2, double y2, double x3, double y3,
                         double x4, double y4, bool closeToStart) {
  Construct([=](pdf::TPDFPage& p) {
    const pdf::TPDFDevicePoint start = p.Arc(x1, y1, x2, y2, x3, y3, x4, y4);
    if (closeToStart) p.LineTo(start.x, start.y);
  });
}

void TEMWParser::PathArcAngles(double x1, double y1, double x2, double y2, double a5, double a6) {
  Construct([=](pdf::TPDFPage& p) { p.ArcAngles(x1, y1, x2, y2, a5, a6); });
}

void TEMWParser::PathPie(double x1, double y1, double x2, double y2, double x3, double y3,
                         double x4, double y4) {
  Construct([=](pdf::TPDFPage& p) { p.Pie(x1, y1, x2, y2, x3, y3, x4, y4); });
}

void TEMWParser::PathClose() {
  Construct([](pdf::TPDFPage& p) { p.ClosePath(); });
}

}  // namespace emf2pdf
