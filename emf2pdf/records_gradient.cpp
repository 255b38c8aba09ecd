// EMR_GRADIENTFILL: rectangles shaded along one axis as axial shadings,
// Gouraud triangles as a free-form triangle shading.
#include <algorithm>
#include <cmath>

#include "emf2pdf/emf_records.h"
#include "emf2pdf/emw_parser.h"

namespace emf2pdf {

namespace {

// Modes: 0 horizontal rectangles, 1 vertical ones, 2 triangles.
constexpr uint32_t kRectH = 0, kTriangle = 2;
// Shaded rectangles one record may draw; beyond it each is filled with its
// middle colour, so that a record of many shapes stays small.
constexpr int64_t kShadingBudget = 4096;

struct Vertex {
  double x = 0, y = 0;
  double r = 0, g = 0, b = 0;  // 0..1
};

Vertex Mix(const Vertex& a, const Vertex& b, const Vertex& c, double u, double v) {
  const double w = 1 - u - v;
  return {a.x * w + b.x * u + c.x * v, a.y * w + b.y * u + c.y * v, a.r * w + b.r * u + c.r * v,
          a.g * w + b.g * u + c.g * v, a.b * w + b.b * u + c.b * v};
}

uint32_t ColorOf(const Vertex& v) {
  auto channel = [](double c) {
    return static_cast<uint32_t>(std::clamp(std::lround(c * 255), 0L, 255L));
  };
  return channel(v.r) | channel(v.g) << 8 | channel(v.b) << 16;
}

}  // namespace

DevicePath TEMWParser::LogicalPolygonPath(
    std::initializer_list<std::pair<double, double>> points) const {
  DevicePath path;
  bool first = true;
  for (const auto& [x, y] : points) {
    const auto p = MapPoint(x, y);
    first ? path.MoveTo(p.x, p.y) : path.LineTo(p.x, p.y);
    first = false;
  }
  path.Close();
  return path;
}

void TEMWParser::FillLogicalPolygon(std::initializer_list<std::pair<double, double>> points,
                                    uint32_t color) {
  const FillStyle fill = SolidFill(color);
  device_->DrawPath(LogicalPolygonPath(points), &fill, nullptr);
}

void TEMWParser::OnGradientFill(RecordReader& in) {
  in.RectL32();  // rclBounds
  const uint32_t nVer = in.U32();
  const uint32_t nTri = in.U32();
  const uint32_t mode = in.U32();
  if (mode > kTriangle) return;
  const size_t perShape = mode == kTriangle ? 12 : 8;
  if (nVer > in.Remaining() / 16 || nTri > (in.Remaining() - nVer * 16) / perShape)
    throw MalformedRecord("gradient counts exceed the record");
  std::vector<Vertex> vertices(nVer);
  for (Vertex& v : vertices) {
    v.x = in.I32();
    v.y = in.I32();
    v.r = in.U16() / 65280.0;
    v.g = in.U16() / 65280.0;
    v.b = in.U16() / 65280.0;
    in.U16();  // alpha
  }
  // Mapped once first: a vertex that maps out of range drops the record
  // before anything is drawn.
  for (const Vertex& v : vertices) MapPoint(v.x, v.y);
  FlushPendingMask();
  path_.Clear();
  auto shaded = [&](double x, double y, const Vertex& colour) {
    const auto p = MapPoint(x, y);
    return ShadedVertex{p.x, p.y, colour.r, colour.g, colour.b};
  };
  // All triangles of the record are one Gouraud shading.
  std::vector<ShadedVertex> triangles;
  int64_t budget = kShadingBudget;
  for (uint32_t i = 0; i < nTri; ++i) {
    const uint32_t a = in.U32(), b = in.U32(), c = mode == kTriangle ? in.U32() : 0;
    if (a >= nVer || b >= nVer || c >= nVer) continue;
    const Vertex& p = vertices[a];
    const Vertex& q = vertices[b];
    if (mode == kTriangle) {
      for (uint32_t k : {a, b, c})
        triangles.push_back(shaded(vertices[k].x, vertices[k].y, vertices[k]));
      continue;
    }
    // A rectangle: an axial shading along its mapped axis, clipped to it;
    // past the budget, its middle colour.
    const bool horizontal = mode == kRectH;
    if (budget-- <= 0) {
      FillLogicalPolygon({{p.x, p.y}, {q.x, p.y}, {q.x, q.y}, {p.x, q.y}},
                         ColorOf(Mix(p, q, p, 0.5, 0)));
      continue;
    }
    const DevicePath box = LogicalPolygonPath({{p.x, p.y}, {q.x, p.y}, {q.x, q.y}, {p.x, q.y}});
    const auto from = shaded(p.x, p.y, p);
    const auto to = horizontal ? shaded(q.x, p.y, q) : shaded(p.x, q.y, q);
    device_->PushClip(box);
    device_->ShadeAxial(from, to);
    device_->PopClip();
  }
  if (!triangles.empty()) device_->ShadeTriangles(triangles);
}

}  // namespace emf2pdf
