// Rectangles, ellipses, rounded rectangles and arcs.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "emf2pdf/emf_records.h"
#include "emf2pdf/emw_parser.h"
#include "pdf/page.h"

namespace emf2pdf {

namespace {

int32_t SaturateToInt32(double value) {
  if (!std::isfinite(value)) return 0;
  const double rounded = std::round(value);
  if (rounded > 2147483647.0) return 2147483647;
  if (rounded < -2147483648.0) return -2147483647 - 1;
  return static_cast<int32_t>(rounded);
}

}  // namespace

void TEMWParser::OnRectangle(RecordReader& in) {
  const RectL box = in.RectL32();
  if (box.left == box.right || box.top == box.bottom) {
    Paint().NewPath();
    return;
  }
  const auto a = Map({box.left, box.top});
  const auto b = Map({box.right, box.bottom});
  PathRectangle(a.x, a.y, b.x, b.y);
  if (!state_.pathBracket) PaintShape();
}

void TEMWParser::OnEllipse(RecordReader& in) {
  const RectL box = in.RectL32();
  const auto a = Map({box.left, box.top});
  const auto b = Map({box.right, box.bottom});
  PathEllipse(a.x, a.y, b.x, b.y);
  if (!state_.pathBracket) PaintShape();
}

// The corner size is a length: mapping it like a coordinate would add the
// window and viewport origins and draw corners of any size.
void TEMWParser::OnRoundRect(RecordReader& in) {
  const RectL box = in.RectL32();
  const SizeL corner = in.SizeL32();
  const double x1 = std::nearbyint(MapX(box.left));
  const double y1 = std::nearbyint(MapY(box.top));
  const double x2 = std::nearbyint(MapX(box.right));
  const double y2 = std::nearbyint(MapY(box.bottom));
  const double w =
      std::min(std::nearbyint(LengthX(std::fabs(double(corner.cx)))), std::fabs(x2 - x1));
  const double h =
      std::min(std::nearbyint(LengthY(std::fabs(double(corner.cy)))), std::fabs(y2 - y1));
  PathRoundRect(x1, y1, x2, y2, w, h);
  if (!state_.pathBracket) PaintShape();
}

// EMR_ARC and EMR_CHORD: box and radial points, turned to the arc direction.
void TEMWParser::PathArcRecord(RecordReader& in, bool chord) {
  const RectL box = in.RectL32();
  PointL start = in.PointL32();
  PointL end = in.PointL32();
  if (!state_.arcCounterClockwise) std::swap(start, end);
  const auto a = Map({box.left, box.top});
  const auto b = Map({box.right, box.bottom});
  const auto s = Map(start);
  const auto e = Map(end);
  PathArc(a.x, a.y, b.x, b.y, s.x, s.y, e.x, e.y, chord);
}

void TEMWParser::OnArc(RecordReader& in) {
  PathArcRecord(in, false);
  if (!state_.pathBracket) PaintStroke();
}

void TEMWParser::OnChord(RecordReader& in) {
  PathArcRecord(in, true);
  if (!state_.pathBracket) PaintFillAndStroke();
}

void TEMWParser::OnPie(RecordReader& in) {
  const RectL box = in.RectL32();
  const auto a = Map({box.left, box.top});
  const auto b = Map({box.right, box.bottom});
  const auto s = Map(in.PointL32());
  const auto e = Map(in.PointL32());
  PathPie(a.x, a.y, b.x, b.y, s.x, s.y, e.x, e.y);
  if (!state_.pathBracket) PaintFillAndStroke();
}

void TEMWParser::OnArcTo(RecordReader& in) {
  const RectL box = in.RectL32();
  PointL start = in.PointL32();
  PointL end = in.PointL32();
  const auto from = Map(state_.position);
  const auto a = Map({box.left, box.top});
  const auto b = Map({box.right, box.bottom});
  if (!state_.arcCounterClockwise) std::swap(start, end);
  const double cx = (double(box.left) + box.right) / 2;
  const double cy = (double(box.top) + box.bottom) / 2;
  const double rx = std::fabs(double(box.right) - box.left) / 2;
  const double ry = std::fabs(double(box.bottom) - box.top) / 2;
  const double a1 = std::atan2(-(start.y - cy) * rx, (start.x - cx) * ry);
  const double a2 = std::atan2(-(end.y - cy) * rx, (end.x - cx) * ry);
  const double lineX = MapX(cx + rx * std::cos(a1));
  const double lineY = MapY(cy - ry * std::sin(a1));
  const auto s = Map(start);
  const auto e = Map(end);

  PathMoveTo(from.x, from.y);
  PathLineTo(lineX, lineY);
  PathArc(a.x, a.y, b.x, b.y, s.x, s.y, e.x, e.y, false);
  state_.position = {SaturateToInt32(cx + rx * std::cos(a2)),
                     SaturateToInt32(cy - ry * std::sin(a2))};
  if (!state_.pathBracket) PaintStroke();
}

void TEMWParser::OnAngleArc(RecordReader& in) {
  const PointL center = in.PointL32();
  const double r = in.U32();  // up to 2^32 - 1, kept as a double
  const double startAngle = in.F32();
  const double sweepAngle = in.F32();
  const double x = center.x;
  const double y = center.y;
  const double s = startAngle * std::numbers::pi / 180;
  const double e = (startAngle + sweepAngle) * std::numbers::pi / 180;
  const auto from = Map(state_.position);
  const double lineX = MapX(x + r * std::cos(s));
  const double lineY = MapY(y - r * std::sin(s));
  const double x1 = MapX(x - r), y1 = MapY(y - r), x2 = MapX(x + r), y2 = MapY(y + r);

  PathMoveTo(from.x, from.y);
  PathLineTo(lineX, lineY);
  if (std::fabs(sweepAngle) >= 360)
    PathEllipse(x1, y1, x2, y2);
  else
    PathArcAngles(x1, y1, x2, y2, startAngle, startAngle + sweepAngle);
  state_.position = {SaturateToInt32(x + r * std::cos(e)), SaturateToInt32(y - r * std::sin(e))};
  if (!state_.pathBracket) PaintStroke();
}

}  // namespace emf2pdf
