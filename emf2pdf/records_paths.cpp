// Lines, polygons, Bezier curves, poly-draw, path brackets and regions.
#include <algorithm>
#include <cmath>
#include <string>

#include "emf2pdf/emf_records.h"
#include "emf2pdf/emw_parser.h"

namespace emf2pdf {

using namespace emr;

// --- painting rules ---

void TEMWParser::PaintStroke() { PaintPath(false, false, state_.penStyle != PS_NULL); }

void TEMWParser::PaintFillAndStroke() {
  if (state_.nullBrush)
    PaintStroke();
  else
    PaintPath(true, state_.fillAlternate, state_.penStyle != PS_NULL);
}

void TEMWParser::PaintShape() { PaintPath(!state_.nullBrush, false, state_.penStyle != PS_NULL); }

// --- points ---

std::vector<PointL> TEMWParser::ReadPoints(RecordReader& in, bool small) {
  in.RectL32();  // rclBounds
  const uint32_t count = in.U32();
  return small ? in.PointsS(count) : in.PointsL(count);
}

void TEMWParser::DrawPolyline(const std::vector<PointL>& points) {
  if (points.empty()) return;
  path_.Clear();
  auto p = Map(points[0]);
  PathMoveTo(p.x, p.y);
  for (size_t i = 1; i < points.size(); ++i) {
    p = Map(points[i]);
    PathLineTo(p.x, p.y);
  }
  if (!state_.pathBracket) PaintStroke();
}

void TEMWParser::DrawPolygon(const std::vector<PointL>& points) {
  if (points.empty()) return;
  path_.Clear();
  auto p = Map(points[0]);
  PathMoveTo(p.x, p.y);
  for (size_t i = 1; i < points.size(); ++i) {
    p = Map(points[i]);
    PathLineTo(p.x, p.y);
  }
  if (state_.pathBracket) return;
  PathClose();
  PaintFillAndStroke();
}

void TEMWParser::DrawPolylineTo(const std::vector<PointL>& points) {
  if (points.empty()) return;
  if (!state_.pathBracket) {
    path_.Clear();
    const auto start = Map(state_.position);
    PathMoveTo(start.x, start.y);
  }
  for (const PointL& point : points) {
    const auto p = Map(point);
    PathLineTo(p.x, p.y);
  }
  if (!state_.pathBracket) PaintStroke();
  state_.position = points.back();
}

// Counts are checked against cptl before anything is drawn; an empty
// polygon is skipped.
void TEMWParser::DrawPolyPoly(RecordReader& in, bool small, bool polygons) {
  in.RectL32();  // rclBounds
  const uint32_t nPolys = in.U32();
  const uint32_t cptl = in.U32();
  const std::vector<uint32_t> counts = in.U32s(nPolys);
  uint64_t total = 0;
  for (uint32_t c : counts) total += c;
  if (total > cptl) throw MalformedRecord("polygon counts exceed cptl");
  const std::vector<PointL> points = small ? in.PointsS(cptl) : in.PointsL(cptl);
  std::vector<DevicePoint> mapped;
  mapped.reserve(points.size());
  for (const PointL& p : points) mapped.push_back(Map(p));

  path_.Clear();
  size_t at = 0;
  for (uint32_t count : counts) {
    if (count == 0) continue;
    const auto first = mapped[at];
    PathMoveTo(first.x, first.y);
    for (uint32_t i = 1; i < count; ++i) PathLineTo(mapped[at + i].x, mapped[at + i].y);
    if (polygons) PathLineTo(first.x, first.y);
    at += count;
  }
  if (state_.pathBracket) return;
  polygons ? PaintFillAndStroke() : PaintStroke();
}

void TEMWParser::DrawPolyBezier(const std::vector<PointL>& points) {
  if (points.size() < 4) return;
  std::vector<DevicePoint> mapped;
  mapped.reserve(points.size());
  for (const PointL& p : points) mapped.push_back(Map(p));
  PathMoveTo(mapped[0].x, mapped[0].y);
  for (size_t i = 1; i + 2 < mapped.size(); i += 3)
    PathCurveTo(mapped[i].x, mapped[i].y, mapped[i + 1].x, mapped[i + 1].y, mapped[i + 2].x,
                mapped[i + 2].y);
  if (!state_.pathBracket) PaintStroke();
}

void TEMWParser::DrawPolyBezierTo(const std::vector<PointL>& points) {
  if (points.size() < 3) return;
  std::vector<DevicePoint> mapped;
  mapped.reserve(points.size());
  for (const PointL& p : points) mapped.push_back(Map(p));
  if (!state_.pathBracket) {
    const auto start = Map(state_.position);
    PathMoveTo(start.x, start.y);
  }
  for (size_t i = 0; i + 2 < mapped.size(); i += 3) {
    PathCurveTo(mapped[i].x, mapped[i].y, mapped[i + 1].x, mapped[i + 1].y, mapped[i + 2].x,
                mapped[i + 2].y);
    state_.position = points[i + 2];
  }
  if (!state_.pathBracket) PaintStroke();
}

void TEMWParser::DrawPolyDraw(RecordReader& in, bool small) {
  const std::vector<PointL> points = ReadPoints(in, small);
  const std::span<const uint8_t> types = in.Bytes(points.size());
  std::vector<DevicePoint> mapped;
  mapped.reserve(points.size());
  for (const PointL& p : points) mapped.push_back(Map(p));
  const auto start = Map(state_.position);

  if (!state_.pathBracket) path_.Clear();
  PathMoveTo(start.x, start.y);
  PointL figureStart = state_.position;
  auto figureStartMapped = start;
  const size_t n = points.size();
  for (size_t i = 0; i < n;) {
    const uint8_t type = types[i];
    if (type == PT_MOVETO) {
      PathMoveTo(mapped[i].x, mapped[i].y);
      state_.position = figureStart = points[i];
      figureStartMapped = mapped[i];
      ++i;
    } else if (type & PT_LINETO) {
      PathLineTo(mapped[i].x, mapped[i].y);
      state_.position = points[i];
      if (type & PT_CLOSEFIGURE) {
        PathLineTo(figureStartMapped.x, figureStartMapped.y);
        state_.position = figureStart;
      }
      ++i;
    } else if (type & PT_BEZIERTO) {
      // A curve needs three points; a shorter tail ends the figure.
      if (n - i < 3) break;
      PathCurveTo(mapped[i].x, mapped[i].y, mapped[i + 1].x, mapped[i + 1].y, mapped[i + 2].x,
                  mapped[i + 2].y);
      state_.position = points[i + 2];
      if (types[i + 2] & PT_CLOSEFIGURE) {
        PathLineTo(figureStartMapped.x, figureStartMapped.y);
        state_.position = figureStart;
      }
      i += 3;
    } else {
      ++i;
    }
  }
  if (!state_.pathBracket) PaintStroke();
}

// --- records ---

void TEMWParser::OnLineTo(RecordReader& in) {
  const PointL point = in.PointL32();
  const auto to = Map(point);
  if (!state_.pathBracket) {
    const auto from = Map(state_.position);
    PathMoveTo(from.x, from.y);
  }
  PathLineTo(to.x, to.y);
  state_.position = point;
  if (!state_.pathBracket) PaintStroke();
}

void TEMWParser::OnPolyline(RecordReader& in) { DrawPolyline(ReadPoints(in, false)); }
void TEMWParser::OnPolyline16(RecordReader& in) { DrawPolyline(ReadPoints(in, true)); }
void TEMWParser::OnPolygon(RecordReader& in) { DrawPolygon(ReadPoints(in, false)); }
void TEMWParser::OnPolygon16(RecordReader& in) { DrawPolygon(ReadPoints(in, true)); }
void TEMWParser::OnPolylineTo(RecordReader& in) { DrawPolylineTo(ReadPoints(in, false)); }
void TEMWParser::OnPolylineTo16(RecordReader& in) { DrawPolylineTo(ReadPoints(in, true)); }
void TEMWParser::OnPolyPolyline(RecordReader& in) { DrawPolyPoly(in, false, false); }
void TEMWParser::OnPolyPolyline16(RecordReader& in) { DrawPolyPoly(in, true, false); }
void TEMWParser::OnPolyPolygon(RecordReader& in) { DrawPolyPoly(in, false, true); }
void TEMWParser::OnPolyPolygon16(RecordReader& in) { DrawPolyPoly(in, true, true); }
void TEMWParser::OnPolyBezier(RecordReader& in) { DrawPolyBezier(ReadPoints(in, false)); }
void TEMWParser::OnPolyBezier16(RecordReader& in) { DrawPolyBezier(ReadPoints(in, true)); }
void TEMWParser::OnPolyBezierTo(RecordReader& in) { DrawPolyBezierTo(ReadPoints(in, false)); }
void TEMWParser::OnPolyBezierTo16(RecordReader& in) { DrawPolyBezierTo(ReadPoints(in, true)); }
void TEMWParser::OnPolyDraw(RecordReader& in) { DrawPolyDraw(in, false); }

void TEMWParser::OnPolyDraw16(RecordReader& in) {
  DrawPolyDraw(in, true);
  state_.roundCaps = true;
  penStroke_.reset();
}

// A dot one page pixel wide in the pixel's colour, its shape the pen's cap.
void TEMWParser::OnSetPixelV(RecordReader& in) {
  const PointL point = in.PointL32();
  const uint32_t color = in.U32();
  const auto p = Map(point);
  path_.Clear();
  DevicePath dot;
  dot.MoveTo(p.x, p.y);
  dot.LineTo(p.x + 0.01, p.y + 0.01);
  StrokeStyle pen = PenStroke();
  pen.color = color;
  pen.width = 1;
  device_->DrawPath(dot, nullptr, &pen);
}

void TEMWParser::OnBeginPath(RecordReader&) {
  const auto p = Map(state_.position);
  state_.pathBracket = true;
  path_.Clear();
  PathMoveTo(p.x, p.y);
}

void TEMWParser::OnEndPath(RecordReader&) { state_.pathBracket = false; }

void TEMWParser::OnCloseFigure(RecordReader&) { PathClose(); }

void TEMWParser::OnFillPath(RecordReader&) {
  state_.pathBracket = false;
  PaintPath(!state_.nullBrush, false, false);
}

void TEMWParser::OnStrokeAndFillPath(RecordReader&) {
  state_.pathBracket = false;
  PaintFillAndStroke();
  path_.Clear();
}

void TEMWParser::OnStrokePath(RecordReader&) {
  state_.pathBracket = false;
  PaintStroke();
}

void TEMWParser::OnAbortPath(RecordReader&) {
  path_.Clear();
  state_.pathBracket = false;
}

// The region in the brush's colour, never its pattern.
void TEMWParser::OnFillRgn(RecordReader& in) {
  in.RectL32();  // rclBounds
  const uint32_t cbRgnData = in.U32();
  in.U32();  // ihBrush: the fill colour in force is used
  if (cbRgnData == 0) return;
  const std::vector<RectL> rects = ReadRegionRects(in, cbRgnData);
  std::vector<double> mapped;
  mapped.reserve(rects.size() * 4);
  for (const RectL& r : rects) {
    mapped.push_back(DeviceX(r.left));
    mapped.push_back(DeviceY(r.top));
    mapped.push_back(DeviceX(r.right));
    mapped.push_back(DeviceY(r.bottom));
  }
  path_.Clear();
  if (state_.nullBrush) return;
  DevicePath region;
  for (size_t i = 0; i < mapped.size(); i += 4)
    region.Rectangle(mapped[i], mapped[i + 1], mapped[i + 2], mapped[i + 3]);
  const FillStyle fill = SolidFill(ResolvePalette(state_.brushColor));
  device_->DrawPath(region, &fill, nullptr);
}

}  // namespace emf2pdf
