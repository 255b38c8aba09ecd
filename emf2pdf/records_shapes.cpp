// Rectangles, ellipses, rounded rectangles and arcs.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "emf2pdf/emf_records.h"
#include "emf2pdf/emw_parser.h"

namespace emf2pdf {

namespace {

int32_t SaturateToInt32(double value) {
  if (!std::isfinite(value)) return 0;
  const double rounded = std::round(value);
  if (rounded > 2147483647.0) return 2147483647;
  if (rounded < -2147483648.0) return -2147483647 - 1;
  return static_cast<int32_t>(rounded);
}

constexpr double kKappa = 0.5522847498;

// The sweep an arc is traced over: turns beyond the first only retrace the
// circle, so they become one turn plus what is left over (the path still
// ends where the sweep ends).
double ArcSweep(double degrees) {
  if (std::fabs(degrees) <= 360) return degrees;
  return std::copysign(360 + std::fmod(std::fabs(degrees), 360.0), degrees);
}

struct ArcCurve {
  double x1, y1, x2, y2, x3, y3;
};

// Bezier pieces of at most a quarter turn along the circle about (x, y),
// from angle `start` over `sweep` (radians, counter-clockwise with y down).
std::vector<ArcCurve> CircleArc(double x, double y, double r, double start, double sweep) {
  std::vector<ArcCurve> curves;
  const int pieces = static_cast<int>(std::ceil(std::fabs(sweep) / (std::numbers::pi / 2) - 1e-9));
  if (pieces <= 0) return curves;
  const double step = sweep / pieces;
  const double k = 4.0 / 3 * std::tan(step / 4) * r;
  for (int i = 0; i < pieces; ++i) {
    const double a = start + i * step, b = a + step;
    const double ca = std::cos(a), sa = std::sin(a), cb = std::cos(b), sb = std::sin(b);
    curves.push_back({x + r * ca - k * sa, y - r * sa - k * ca, x + r * cb + k * sb,
                      y - r * sb + k * cb, x + r * cb, y - r * sb});
  }
  return curves;
}

}  // namespace

// --- shapes under a rotating or shearing transform ---
// A box stays a box only while the transform keeps the axes. Otherwise the
// outline is built in logical space and each point mapped: Bezier curves map
// exactly through an affine transform.

void TEMWParser::LogicalMoveTo(double x, double y) {
  const auto p = MapPoint(x, y);
  PathMoveTo(p.x, p.y);
}

void TEMWParser::LogicalLineTo(double x, double y) {
  const auto p = MapPoint(x, y);
  PathLineTo(p.x, p.y);
}

void TEMWParser::LogicalCurveTo(double x1, double y1, double x2, double y2, double x3, double y3) {
  const auto a = MapPoint(x1, y1), b = MapPoint(x2, y2), c = MapPoint(x3, y3);
  PathCurveTo(a.x, a.y, b.x, b.y, c.x, c.y);
}

void TEMWParser::LogicalRoundRect(RectL box, double w, double h) {
  double x1 = box.left, y1 = box.top, x2 = box.right, y2 = box.bottom;
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  const double rx = std::min(w, x2 - x1) / 2, ry = std::min(h, y2 - y1) / 2;
  const double kx = kKappa * rx, ky = kKappa * ry;
  LogicalMoveTo(x1 + rx, y1);
  LogicalLineTo(x2 - rx, y1);
  if (rx > 0 && ry > 0) LogicalCurveTo(x2 - rx + kx, y1, x2, y1 + ry - ky, x2, y1 + ry);
  LogicalLineTo(x2, y2 - ry);
  if (rx > 0 && ry > 0) LogicalCurveTo(x2, y2 - ry + ky, x2 - rx + kx, y2, x2 - rx, y2);
  LogicalLineTo(x1 + rx, y2);
  if (rx > 0 && ry > 0) LogicalCurveTo(x1 + rx - kx, y2, x1, y2 - ry + ky, x1, y2 - ry);
  LogicalLineTo(x1, y1 + ry);
  if (rx > 0 && ry > 0) LogicalCurveTo(x1, y1 + ry - ky, x1 + rx - kx, y1, x1 + rx, y1);
  PathClose();
}

// The arc from the radial of `start` to that of `end`, counter-clockwise on
// the device, traced from logical space; returns its first point (logical).
pdf::TPDFArcGeometry::Point TEMWParser::LogicalArc(const RectL& box, PointL start, PointL end,
                                                   bool lineToStart) {
  const XForm& t = Transform();
  // A mirroring transform turns logical counter-clockwise into clockwise.
  if (t.eM11 * t.eM22 - t.eM12 * t.eM21 < 0) std::swap(start, end);
  // The geometry runs with y upwards; logical y runs down.
  const pdf::TPDFArcGeometry arc(box.left, -static_cast<double>(box.top), box.right,
                                 -static_cast<double>(box.bottom));
  const auto path =
      arc.ByPoints({double(end.x), -double(end.y)}, {double(start.x), -double(start.y)});
  using Kind = pdf::TPDFArcGeometry::Kind;
  for (const auto& piece : path.pieces) {
    const auto* q = piece.p;
    if (piece.kind == Kind::Move && !lineToStart)
      LogicalMoveTo(q[0].x, -q[0].y);
    else if (piece.kind == Kind::Curve)
      LogicalCurveTo(q[0].x, -q[0].y, q[1].x, -q[1].y, q[2].x, -q[2].y);
    else
      LogicalLineTo(q[0].x, -q[0].y);
  }
  return {path.start.x, -path.start.y};
}

void TEMWParser::LogicalShape(const RectL& box, ShapeKind kind) {
  const double x1 = box.left, y1 = box.top, x2 = box.right, y2 = box.bottom;
  if (kind == ShapeKind::kRectangle) {
    LogicalMoveTo(x1, y1);
    LogicalLineTo(x2, y1);
    LogicalLineTo(x2, y2);
    LogicalLineTo(x1, y2);
    PathClose();
    return;
  }
  const double cx = (x1 + x2) / 2, cy = (y1 + y2) / 2;
  const double rx = (x2 - x1) / 2, ry = (y2 - y1) / 2;
  const double kx = kKappa * rx, ky = kKappa * ry;
  LogicalMoveTo(cx + rx, cy);
  LogicalCurveTo(cx + rx, cy + ky, cx + kx, cy + ry, cx, cy + ry);
  LogicalCurveTo(cx - kx, cy + ry, cx - rx, cy + ky, cx - rx, cy);
  LogicalCurveTo(cx - rx, cy - ky, cx - kx, cy - ry, cx, cy - ry);
  LogicalCurveTo(cx + kx, cy - ry, cx + rx, cy - ky, cx + rx, cy);
  PathClose();
}

void TEMWParser::OnRectangle(RecordReader& in) {
  const RectL box = in.RectL32();
  if (box.left == box.right || box.top == box.bottom) {
    path_.Clear();
    return;
  }
  if (!AxisAligned()) {
    LogicalShape(box, ShapeKind::kRectangle);
  } else {
    const auto a = Map({box.left, box.top});
    const auto b = Map({box.right, box.bottom});
    PathRectangle(a.x, a.y, b.x, b.y);
  }
  if (!state_.pathBracket) PaintShape();
}

void TEMWParser::OnEllipse(RecordReader& in) {
  const RectL box = in.RectL32();
  if (!AxisAligned()) {
    LogicalShape(box, ShapeKind::kEllipse);
  } else {
    const auto a = Map({box.left, box.top});
    const auto b = Map({box.right, box.bottom});
    PathEllipse(a.x, a.y, b.x, b.y);
  }
  if (!state_.pathBracket) PaintShape();
}

// The corner size is a length: mapping it like a coordinate would add the
// window and viewport origins and draw corners of any size.
void TEMWParser::OnRoundRect(RecordReader& in) {
  const RectL box = in.RectL32();
  const SizeL corner = in.SizeL32();
  if (!AxisAligned()) {
    LogicalRoundRect(box, std::fabs(double(corner.cx)), std::fabs(double(corner.cy)));
    if (!state_.pathBracket) PaintShape();
    return;
  }
  const auto a = Map({box.left, box.top});
  const auto b = Map({box.right, box.bottom});
  const double x1 = std::nearbyint(a.x);
  const double y1 = std::nearbyint(a.y);
  const double x2 = std::nearbyint(b.x);
  const double y2 = std::nearbyint(b.y);
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
  if (!AxisAligned()) {
    const auto first = LogicalArc(box, start, end, false);
    if (chord) LogicalLineTo(first.x, first.y);
    return;
  }
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

// The pie follows the arc direction like any arc: a clockwise pie is the
// other slice of the ellipse.
void TEMWParser::OnPie(RecordReader& in) {
  const RectL box = in.RectL32();
  PointL start = in.PointL32();
  PointL end = in.PointL32();
  if (!state_.arcCounterClockwise) std::swap(start, end);
  if (!AxisAligned()) {
    LogicalArc(box, start, end, false);
    LogicalLineTo((double(box.left) + box.right) / 2, (double(box.top) + box.bottom) / 2);
    PathClose();
    if (!state_.pathBracket) PaintFillAndStroke();
    return;
  }
  const auto a = Map({box.left, box.top});
  const auto b = Map({box.right, box.bottom});
  const auto s = Map(start);
  const auto e = Map(end);
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
  const auto line = MapPoint(cx + rx * std::cos(a1), cy - ry * std::sin(a1));
  const auto s = Map(start);
  const auto e = Map(end);

  PathMoveTo(from.x, from.y);
  if (!AxisAligned()) {
    LogicalArc(box, start, end, true);
  } else {
    PathLineTo(line.x, line.y);
    PathArc(a.x, a.y, b.x, b.y, s.x, s.y, e.x, e.y, false);
  }
  state_.position = {SaturateToInt32(cx + rx * std::cos(a2)),
                     SaturateToInt32(cy - ry * std::sin(a2))};
  if (!state_.pathBracket) PaintStroke();
}

// AngleArc turns counter-clockwise in logical space for a positive sweep and
// clockwise for a negative one, whatever the arc direction, and the arc
// follows the whole transform: traced in logical space, a flip mirrors it.
void TEMWParser::OnAngleArc(RecordReader& in) {
  const PointL center = in.PointL32();
  const double r = in.U32();  // up to 2^32 - 1, kept as a double
  const double startAngle = in.F32();
  const double sweepAngle = in.F32();
  if (!std::isfinite(startAngle) || !std::isfinite(sweepAngle))
    throw MalformedRecord("angle out of range");
  const double x = center.x;
  const double y = center.y;
  const double s = startAngle * std::numbers::pi / 180;
  const double e = (startAngle + sweepAngle) * std::numbers::pi / 180;
  // The circle lies inside its box, so mapped corners in range keep every
  // curve point in range: the record is refused before anything is drawn.
  for (const double cx : {x - r, x + r})
    for (const double cy : {y - r, y + r}) MapPoint(cx, cy);
  const auto from = Map(state_.position);

  PathMoveTo(from.x, from.y);
  LogicalLineTo(x + r * std::cos(s), y - r * std::sin(s));
  for (const auto& c : CircleArc(x, y, r, s, ArcSweep(sweepAngle) * std::numbers::pi / 180))
    LogicalCurveTo(c.x1, c.y1, c.x2, c.y2, c.x3, c.y3);
  state_.position = {SaturateToInt32(x + r * std::cos(e)), SaturateToInt32(y - r * std::sin(e))};
  if (!state_.pathBracket) PaintStroke();
}

}  // namespace emf2pdf
