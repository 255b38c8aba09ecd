// EMR_GRADIENTFILL: rectangles shaded along one axis and Gouraud triangles,
// drawn as bands and small triangles of solid colour.
#include <algorithm>
#include <cmath>

#include "emf2pdf/emf_records.h"
#include "emf2pdf/emw_parser.h"
#include "pdf/page.h"

namespace emf2pdf {

namespace {

constexpr uint32_t kRectH = 0, kRectV = 1, kTriangle = 2;
constexpr int kBands = 256;        // GDI has no more shades per channel
constexpr int kSubdivisions = 16;  // per triangle side
// Solid pieces one record may draw; beyond it shapes get one piece each, so
// that a record of many shapes cannot grow the page without bound.
constexpr int64_t kPieceBudget = 65536;

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

// `outline`: stroked in the same colour too, so that neighbours leave no
// seam between them.
void TEMWParser::FillLogicalPolygon(std::initializer_list<std::pair<double, double>> points,
                                    uint32_t color, bool outline) {
  if (color != state_.fillColorCache || state_.stateDirty) WriteFillColor(color);
  if (outline) WriteStrokeColor(color);
  bool first = true;
  for (const auto& [x, y] : points) {
    const auto p = MapPoint(x, y);
    first ? page_->MoveTo(p.x, p.y) : page_->LineTo(p.x, p.y);
    first = false;
  }
  page_->ClosePath();
  outline ? page_->FillAndStroke() : page_->Fill();
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
  // before anything is drawn (the pieces lie between the vertices).
  for (const Vertex& v : vertices) MapPoint(v.x, v.y);
  if (state_.textColorMode) EndTextColorMode();
  FlushPendingMask();
  Paint().NewPath();
  int64_t budget = kPieceBudget;
  for (uint32_t i = 0; i < nTri; ++i) {
    const uint32_t a = in.U32(), b = in.U32(), c = mode == kTriangle ? in.U32() : 0;
    if (a >= nVer || b >= nVer || c >= nVer) continue;
    const Vertex& p = vertices[a];
    const Vertex& q = vertices[b];
    if (mode == kTriangle) {
      // Inside q ... Q: the outlines change the stroke colour and width.
      const uint32_t fillColor = state_.fillColorCache;
      page_->GStateSave();
      page_->SetLineWidth(0.5 * fx_);
      const Vertex& r = vertices[c];
      const int n = budget >= kSubdivisions * kSubdivisions ? kSubdivisions : 1;
      budget -= n * n;
      const double s = 1.0 / n;
      for (int row = 0; row < n; ++row)
        for (int col = 0; col + row < n; ++col) {
          const double u = col * s, v = row * s;
          const Vertex v0 = Mix(p, q, r, u, v), v1 = Mix(p, q, r, u + s, v),
                       v2 = Mix(p, q, r, u, v + s);
          FillLogicalPolygon({{v0.x, v0.y}, {v1.x, v1.y}, {v2.x, v2.y}},
                             ColorOf(Mix(p, q, r, u + s / 3, v + s / 3)), true);
          if (col + row + 1 < n) {
            const Vertex v3 = Mix(p, q, r, u + s, v + s);
            FillLogicalPolygon({{v1.x, v1.y}, {v3.x, v3.y}, {v2.x, v2.y}},
                               ColorOf(Mix(p, q, r, u + 2 * s / 3, v + 2 * s / 3)), true);
          }
        }
      page_->GStateRestore();
      state_.fillColorCache = fillColor;
      continue;
    }
    // Each band reaches to the far edge; the next one paints over the rest,
    // so no seam shows between bands.
    const bool horizontal = mode == kRectH;
    const int bands = budget >= kBands ? kBands : 1;
    budget -= bands;
    for (int k = 0; k < bands; ++k) {
      const double t = static_cast<double>(k) / bands;
      Vertex at = Mix(p, q, p, t, 0);
      at.r = p.r + (q.r - p.r) * (k + 0.5) / bands;
      at.g = p.g + (q.g - p.g) * (k + 0.5) / bands;
      at.b = p.b + (q.b - p.b) * (k + 0.5) / bands;
      const double x1 = horizontal ? at.x : p.x, y1 = horizontal ? p.y : at.y;
      FillLogicalPolygon({{x1, y1}, {q.x, y1}, {q.x, q.y}, {x1, q.y}}, ColorOf(at), false);
    }
  }
  WriteBrushFillIfChanged();
}

}  // namespace emf2pdf
