#include "pdf/arc_geometry.h"

#include <cmath>
#include <numbers>

namespace pdf {

namespace {

constexpr double kQuarter = std::numbers::pi / 2;
constexpr double kFullTurn = 2 * std::numbers::pi;

// Curve points are pulled in by this much so that a closed arc's seams meet
// the way the reference renderer draws them.
constexpr double kNudge = 0.0001;

double Finite(double value) { return std::isfinite(value) ? value : 0; }

}  // namespace

TPDFArcGeometry::TPDFArcGeometry(double x1, double y1, double x2, double y2) {
  x1 = Finite(x1);
  y1 = Finite(y1);
  x2 = Finite(x2);
  y2 = Finite(y2);
  rx_ = std::max(0.0, (std::fabs(x1 - x2) - 1) / 2);
  ry_ = std::max(0.0, (std::fabs(y1 - y2) - 1) / 2);
  cx_ = (x1 + x2) / 2;
  cy_ = (y1 + y2) / 2;
}

TPDFArcGeometry::Point TPDFArcGeometry::At(double t) const {
  return {cx_ + rx_ * std::cos(t), cy_ - ry_ * std::sin(t)};
}

double TPDFArcGeometry::AngleOf(Point p) const {
  return std::atan2(-rx_ * (Finite(p.y) - cy_), ry_ * (Finite(p.x) - cx_));
}

TPDFArcGeometry::Path TPDFArcGeometry::ByAngles(double start, double end) const {
  start = Finite(start);
  end = Finite(end);
  double sweep = end - start;
  if (sweep < 0) sweep += kFullTurn;
  return Sweep(start, sweep);
}

TPDFArcGeometry::Path TPDFArcGeometry::ByPoints(Point p3, Point p4) const {
  const double start = AngleOf(p3);
  double sweep = AngleOf(p4) - start;
  if (sweep <= 0) sweep += kFullTurn;
  return Sweep(start, sweep);
}

TPDFArcGeometry::Path TPDFArcGeometry::Sweep(double start, double sweep) const {
  Path path;
  path.start = At(start);
  // More than one turn only retraces the ellipse; capping it also bounds the
  // loop below for absurd angles.
  if (!std::isfinite(sweep)) sweep = 0;
  if (sweep > kFullTurn) sweep = kFullTurn;
  bool first = true;
  while (sweep > kQuarter) {
    AddSegment(path, kQuarter, start, first);
    first = false;
    start += kQuarter;
    sweep -= kQuarter;
  }
  if (sweep >= 0) AddSegment(path, sweep, start, first);
  return path;
}

void TPDFArcGeometry::AddSegment(Path& path, double sweep, double start, bool first) const {
  const double half = sweep / 2;
  const double u = std::cos(half);
  const double v = std::sin(half);
  // A sweep too small to have a sine is a point, like a zero sweep.
  if (sweep == 0 || v == 0) {
    if (first) path.pieces.push_back({Kind::Move, {At(start)}});
    path.pieces.push_back({Kind::Line, {At(start)}});
    return;
  }
  const double tx = 4 * (1 - u) / 3;
  const double ty = v - tx * u / v;
  const Point unit[4] = {{u, v}, {u + tx, ty}, {u + tx, -ty}, {u, -v}};

  const double p = start + half;
  const double cp = std::cos(p);
  const double sp = std::sin(p);
  Point out[4];
  for (int i = 0; i < 4; ++i) {
    const double x = unit[i].x * cp + unit[i].y * sp;
    const double y = -unit[i].x * sp + unit[i].y * cp;
    out[i] = {x * rx_ + cx_ - kNudge, y * ry_ + cy_ - kNudge};
  }
  if (first) path.pieces.push_back({Kind::Move, {out[0]}});
  path.pieces.push_back({Kind::Curve, {out[1], out[2], out[3]}});
}

}  // namespace pdf
