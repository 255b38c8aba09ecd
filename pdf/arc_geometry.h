#pragma once

#include <vector>

namespace pdf {

// Elliptic arcs in page space (points, y upwards) as Bezier path pieces.
// Pure geometry: the page turns the pieces into "m", "l" and "c" lines.
class TPDFArcGeometry {
 public:
  struct Point {
    double x = 0;
    double y = 0;
  };
  enum class Kind { Move, Line, Curve };
  struct Piece {
    Kind kind = Kind::Move;
    Point p[3];  // Move/Line use p[0]; Curve uses all three
  };
  struct Path {
    Point start;  // the point at the start angle
    std::vector<Piece> pieces;
  };

  // The box's corners in page space; radii are half the box less one, never negative.
  TPDFArcGeometry(double x1, double y1, double x2, double y2);

  double CenterX() const { return cx_; }
  double CenterY() const { return cy_; }
  double RadiusX() const { return rx_; }
  double RadiusY() const { return ry_; }

  // The point at angle t (radians); angles grow clockwise on the page.
  Point At(double t) const;
  // From `start` to `end` radians, clockwise; a negative sweep wraps once.
  Path ByAngles(double start, double end) const;
  // From the radial direction of p3 to that of p4; equal directions give a full ellipse.
  Path ByPoints(Point p3, Point p4) const;

 private:
  Path Sweep(double start, double sweep) const;
  void AddSegment(Path& path, double sweep, double start, bool first) const;
  double AngleOf(Point p) const;

  double cx_ = 0;
  double cy_ = 0;
  double rx_ = 0;
  double ry_ = 0;
};

}  // namespace pdf
