#include "support/emf_builder.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace emfbuild {

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void PutI32(std::vector<uint8_t>& out, int32_t v) { PutU32(out, static_cast<uint32_t>(v)); }
void PutU16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void PutF32(std::vector<uint8_t>& out, float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, 4);
  PutU32(out, bits);
}
void PutRect(std::vector<uint8_t>& out, const Rect& r) {
  PutI32(out, r.left);
  PutI32(out, r.top);
  PutI32(out, r.right);
  PutI32(out, r.bottom);
}

namespace {

void PutPoint(std::vector<uint8_t>& out, const Point& p) {
  PutI32(out, p.x);
  PutI32(out, p.y);
}

void PutPoint16(std::vector<uint8_t>& out, const Point& p) {
  PutU16(out, static_cast<uint16_t>(p.x));
  PutU16(out, static_cast<uint16_t>(p.y));
}

Rect BoundsOf(const std::vector<Point>& points) {
  if (points.empty()) return {};
  Rect r{points[0].x, points[0].y, points[0].x, points[0].y};
  for (const Point& p : points) {
    r.left = std::min(r.left, p.x);
    r.top = std::min(r.top, p.y);
    r.right = std::max(r.right, p.x);
    r.bottom = std::max(r.bottom, p.y);
  }
  return r;
}

std::vector<uint8_t> Points(const std::vector<Point>& points, bool small) {
  std::vector<uint8_t> out;
  PutRect(out, BoundsOf(points));
  PutU32(out, static_cast<uint32_t>(points.size()));
  for (const Point& p : points) small ? PutPoint16(out, p) : PutPoint(out, p);
  return out;
}

std::vector<uint8_t> PolyPoly(const std::vector<std::vector<Point>>& polys) {
  std::vector<uint8_t> out;
  std::vector<Point> all;
  for (const auto& poly : polys) all.insert(all.end(), poly.begin(), poly.end());
  PutRect(out, BoundsOf(all));
  PutU32(out, static_cast<uint32_t>(polys.size()));
  PutU32(out, static_cast<uint32_t>(all.size()));
  for (const auto& poly : polys) PutU32(out, static_cast<uint32_t>(poly.size()));
  for (const Point& p : all) PutPoint16(out, p);
  return out;
}

std::vector<uint8_t> RegionData(const std::vector<Rect>& rects) {
  std::vector<uint8_t> out;
  PutU32(out, 32);  // dwSize
  PutU32(out, 1);   // RDH_RECTANGLES
  PutU32(out, static_cast<uint32_t>(rects.size()));
  PutU32(out, static_cast<uint32_t>(rects.size() * 16));
  Rect bound = rects.empty() ? Rect{} : rects[0];
  for (const Rect& r : rects) {
    bound.left = std::min(bound.left, r.left);
    bound.top = std::min(bound.top, r.top);
    bound.right = std::max(bound.right, r.right);
    bound.bottom = std::max(bound.bottom, r.bottom);
  }
  PutRect(out, bound);
  for (const Rect& r : rects) PutRect(out, r);
  return out;
}

std::vector<uint8_t> U32s(std::initializer_list<uint32_t> values) {
  std::vector<uint8_t> out;
  for (uint32_t v : values) PutU32(out, v);
  return out;
}

std::vector<uint8_t> I32s(std::initializer_list<int32_t> values) {
  std::vector<uint8_t> out;
  for (int32_t v : values) PutI32(out, v);
  return out;
}

}  // namespace

EmfBuilder::EmfBuilder(int32_t width, int32_t height) : bounds_{0, 0, width - 1, height - 1} {}

EmfBuilder& EmfBuilder::bounds(Rect r) {
  bounds_ = r;
  return *this;
}
EmfBuilder& EmfBuilder::frame(Rect r) {
  frame_ = r;
  frameSet_ = true;
  return *this;
}
EmfBuilder& EmfBuilder::device(int32_t cx, int32_t cy, int32_t mmX, int32_t mmY) {
  deviceCx_ = cx;
  deviceCy_ = cy;
  mmX_ = mmX;
  mmY_ = mmY;
  return *this;
}
EmfBuilder& EmfBuilder::handles(uint16_t n) {
  handles_ = n;
  return *this;
}

EmfBuilder& EmfBuilder::record(uint32_t type, const std::vector<uint8_t>& payload) {
  std::vector<uint8_t> r;
  PutU32(r, type);
  const size_t padded = (payload.size() + 3) / 4 * 4;
  PutU32(r, static_cast<uint32_t>(8 + padded));
  r.insert(r.end(), payload.begin(), payload.end());
  r.resize(8 + padded, 0);
  records_.push_back(std::move(r));
  return *this;
}

EmfBuilder& EmfBuilder::setMapMode(uint32_t mode) { return record(17, U32s({mode})); }
EmfBuilder& EmfBuilder::setWindowExtEx(int32_t cx, int32_t cy) { return record(9, I32s({cx, cy})); }
EmfBuilder& EmfBuilder::setWindowOrgEx(int32_t x, int32_t y) { return record(10, I32s({x, y})); }
EmfBuilder& EmfBuilder::setViewportExtEx(int32_t cx, int32_t cy) {
  return record(11, I32s({cx, cy}));
}
EmfBuilder& EmfBuilder::setViewportOrgEx(int32_t x, int32_t y) { return record(12, I32s({x, y})); }
EmfBuilder& EmfBuilder::scaleWindowExtEx(int32_t xNum, int32_t xDenom, int32_t yNum,
                                         int32_t yDenom) {
  return record(32, I32s({xNum, xDenom, yNum, yDenom}));
}
EmfBuilder& EmfBuilder::scaleViewportExtEx(int32_t xNum, int32_t xDenom, int32_t yNum,
                                           int32_t yDenom) {
  return record(31, I32s({xNum, xDenom, yNum, yDenom}));
}
EmfBuilder& EmfBuilder::setWorldTransform(const Xform& x) {
  std::vector<uint8_t> p;
  for (float v : {x.eM11, x.eM12, x.eM21, x.eM22, x.eDx, x.eDy}) PutF32(p, v);
  return record(35, p);
}
EmfBuilder& EmfBuilder::modifyWorldTransform(const Xform& x, uint32_t mode) {
  std::vector<uint8_t> p;
  for (float v : {x.eM11, x.eM12, x.eM21, x.eM22, x.eDx, x.eDy}) PutF32(p, v);
  PutU32(p, mode);
  return record(36, p);
}
EmfBuilder& EmfBuilder::setBkMode(uint32_t mode) { return record(18, U32s({mode})); }
EmfBuilder& EmfBuilder::setPolyFillMode(uint32_t mode) { return record(19, U32s({mode})); }
EmfBuilder& EmfBuilder::setTextAlign(uint32_t flags) { return record(22, U32s({flags})); }
EmfBuilder& EmfBuilder::setTextColor(uint32_t color) { return record(24, U32s({color})); }
EmfBuilder& EmfBuilder::setBkColor(uint32_t color) { return record(25, U32s({color})); }
EmfBuilder& EmfBuilder::setArcDirection(uint32_t direction) {
  return record(57, U32s({direction}));
}
EmfBuilder& EmfBuilder::saveDC() { return record(33, {}); }
EmfBuilder& EmfBuilder::restoreDC(int32_t relative) { return record(34, I32s({relative})); }

EmfBuilder& EmfBuilder::createPen(uint32_t index, uint32_t style, int32_t width, uint32_t color) {
  std::vector<uint8_t> p = U32s({index, style});
  PutI32(p, width);
  PutI32(p, 0);
  PutU32(p, color);
  return record(38, p);
}
EmfBuilder& EmfBuilder::extCreatePen(uint32_t index, uint32_t style, uint32_t width,
                                     uint32_t color) {
  return record(95, U32s({index, 0, 0, 0, 0, style, width, 0, color, 0, 0}));
}
EmfBuilder& EmfBuilder::createBrushIndirect(uint32_t index, uint32_t style, uint32_t color,
                                            uint32_t hatch) {
  return record(39, U32s({index, style, color, hatch}));
}
EmfBuilder& EmfBuilder::extCreateFontIndirectW(uint32_t index, int32_t height,
                                               const std::u16string& face, int32_t weight,
                                               int32_t escapement, bool underline, bool strikeOut) {
  std::vector<uint8_t> p = U32s({index});
  for (int32_t v : {height, 0, escapement, escapement, weight}) PutI32(p, v);
  // Italic, underline, strike-out, then five bytes of sets and precisions.
  for (int i = 0; i < 8; ++i) p.push_back(0);
  p[p.size() - 7] = underline ? 1 : 0;
  p[p.size() - 6] = strikeOut ? 1 : 0;
  for (size_t i = 0; i < 32; ++i) PutU16(p, i < face.size() ? face[i] : 0);
  // The ELW tail (full name, style, script) as zeros.
  p.resize(p.size() + 64 * 2 + 32 * 2 + 32 * 2, 0);
  return record(82, p);
}
EmfBuilder& EmfBuilder::selectObject(uint32_t index) { return record(37, U32s({index})); }
EmfBuilder& EmfBuilder::deleteObject(uint32_t index) { return record(40, U32s({index})); }

EmfBuilder& EmfBuilder::moveTo(int32_t x, int32_t y) { return record(27, I32s({x, y})); }
EmfBuilder& EmfBuilder::lineTo(int32_t x, int32_t y) { return record(54, I32s({x, y})); }
EmfBuilder& EmfBuilder::polyline(const std::vector<Point>& points) {
  return record(4, Points(points, false));
}
EmfBuilder& EmfBuilder::polyline16(const std::vector<Point>& points) {
  return record(87, Points(points, true));
}
EmfBuilder& EmfBuilder::polygon(const std::vector<Point>& points) {
  return record(3, Points(points, false));
}
EmfBuilder& EmfBuilder::polygon16(const std::vector<Point>& points) {
  return record(86, Points(points, true));
}
EmfBuilder& EmfBuilder::polylineTo16(const std::vector<Point>& points) {
  return record(89, Points(points, true));
}
EmfBuilder& EmfBuilder::polyBezier16(const std::vector<Point>& points) {
  return record(85, Points(points, true));
}
EmfBuilder& EmfBuilder::polyBezierTo16(const std::vector<Point>& points) {
  return record(88, Points(points, true));
}
EmfBuilder& EmfBuilder::polyPolyline16(const std::vector<std::vector<Point>>& polys) {
  return record(90, PolyPoly(polys));
}
EmfBuilder& EmfBuilder::polyPolygon16(const std::vector<std::vector<Point>>& polys) {
  return record(91, PolyPoly(polys));
}
EmfBuilder& EmfBuilder::polyDraw(const std::vector<Point>& points,
                                 const std::vector<uint8_t>& types) {
  std::vector<uint8_t> p = Points(points, false);
  p.insert(p.end(), types.begin(), types.end());
  return record(56, p);
}
EmfBuilder& EmfBuilder::polyDraw16(const std::vector<Point>& points,
                                   const std::vector<uint8_t>& types) {
  std::vector<uint8_t> p = Points(points, true);
  p.insert(p.end(), types.begin(), types.end());
  return record(92, p);
}
EmfBuilder& EmfBuilder::rectangle(Rect r) {
  std::vector<uint8_t> p;
  PutRect(p, r);
  return record(43, p);
}
EmfBuilder& EmfBuilder::ellipse(Rect r) {
  std::vector<uint8_t> p;
  PutRect(p, r);
  return record(42, p);
}
EmfBuilder& EmfBuilder::roundRect(Rect r, int32_t cornerWidth, int32_t cornerHeight) {
  std::vector<uint8_t> p;
  PutRect(p, r);
  PutI32(p, cornerWidth);
  PutI32(p, cornerHeight);
  return record(44, p);
}

namespace {
std::vector<uint8_t> ArcPayload(Rect box, Point start, Point end) {
  std::vector<uint8_t> p;
  PutRect(p, box);
  PutPoint(p, start);
  PutPoint(p, end);
  return p;
}
}  // namespace

EmfBuilder& EmfBuilder::arc(Rect box, Point start, Point end) {
  return record(45, ArcPayload(box, start, end));
}
EmfBuilder& EmfBuilder::chord(Rect box, Point start, Point end) {
  return record(46, ArcPayload(box, start, end));
}
EmfBuilder& EmfBuilder::pie(Rect box, Point start, Point end) {
  return record(47, ArcPayload(box, start, end));
}
EmfBuilder& EmfBuilder::arcTo(Rect box, Point start, Point end) {
  return record(55, ArcPayload(box, start, end));
}
EmfBuilder& EmfBuilder::angleArc(Point center, uint32_t radius, float start, float sweep) {
  std::vector<uint8_t> p;
  PutPoint(p, center);
  PutU32(p, radius);
  PutF32(p, start);
  PutF32(p, sweep);
  return record(41, p);
}
EmfBuilder& EmfBuilder::setPixelV(Point pt, uint32_t color) {
  std::vector<uint8_t> p;
  PutPoint(p, pt);
  PutU32(p, color);
  return record(15, p);
}
EmfBuilder& EmfBuilder::fillRgn(const std::vector<Rect>& rects, uint32_t brush) {
  const std::vector<uint8_t> data = RegionData(rects);
  std::vector<uint8_t> p;
  PutRect(p, rects.empty() ? Rect{} : rects[0]);
  PutU32(p, static_cast<uint32_t>(data.size()));
  PutU32(p, brush);
  p.insert(p.end(), data.begin(), data.end());
  return record(71, p);
}

namespace {
std::vector<uint8_t> EmptyBounds() {
  std::vector<uint8_t> p;
  PutRect(p, {});
  return p;
}
}  // namespace

EmfBuilder& EmfBuilder::beginPath() { return record(59, {}); }
EmfBuilder& EmfBuilder::endPath() { return record(60, {}); }
EmfBuilder& EmfBuilder::closeFigure() { return record(61, {}); }
EmfBuilder& EmfBuilder::fillPath() { return record(62, EmptyBounds()); }
EmfBuilder& EmfBuilder::strokeAndFillPath() { return record(63, EmptyBounds()); }
EmfBuilder& EmfBuilder::strokePath() { return record(64, EmptyBounds()); }
EmfBuilder& EmfBuilder::abortPath() { return record(68, {}); }
EmfBuilder& EmfBuilder::selectClipPath(uint32_t mode) { return record(67, U32s({mode})); }
EmfBuilder& EmfBuilder::intersectClipRect(Rect r) {
  std::vector<uint8_t> p;
  PutRect(p, r);
  return record(30, p);
}
EmfBuilder& EmfBuilder::excludeClipRect(Rect r) {
  std::vector<uint8_t> p;
  PutRect(p, r);
  return record(29, p);
}
EmfBuilder& EmfBuilder::extSelectClipRgn(const std::vector<Rect>& rects, uint32_t mode) {
  const std::vector<uint8_t> data = rects.empty() ? std::vector<uint8_t>() : RegionData(rects);
  std::vector<uint8_t> p = U32s({static_cast<uint32_t>(data.size()), mode});
  p.insert(p.end(), data.begin(), data.end());
  return record(75, p);
}

std::vector<uint8_t> EmfBuilder::bytes() const {
  std::vector<uint8_t> eof;
  PutU32(eof, 14);
  PutU32(eof, 20);
  PutU32(eof, 0);   // nPalEntries
  PutU32(eof, 16);  // offPalEntries
  PutU32(eof, 20);  // nSizeLast

  Rect frame = frame_;
  if (!frameSet_ && deviceCx_ != 0 && deviceCy_ != 0) {
    frame.left = static_cast<int32_t>(int64_t(bounds_.left) * mmX_ * 100 / deviceCx_);
    frame.top = static_cast<int32_t>(int64_t(bounds_.top) * mmY_ * 100 / deviceCy_);
    frame.right = static_cast<int32_t>(int64_t(bounds_.right + 1) * mmX_ * 100 / deviceCx_);
    frame.bottom = static_cast<int32_t>(int64_t(bounds_.bottom + 1) * mmY_ * 100 / deviceCy_);
  }
  size_t total = 108 + eof.size();
  for (const auto& r : records_) total += r.size();

  std::vector<uint8_t> out;
  out.reserve(total);
  PutU32(out, 1);
  PutU32(out, 108);
  PutRect(out, bounds_);
  PutRect(out, frame);
  PutU32(out, 0x464D4520);
  PutU32(out, 0x10000);
  PutU32(out, static_cast<uint32_t>(total));
  PutU32(out, static_cast<uint32_t>(records_.size() + 2));
  PutU16(out, handles_);
  PutU16(out, 0);
  PutU32(out, 0);  // nDescription
  PutU32(out, 0);  // offDescription
  PutU32(out, 0);  // nPalEntries
  PutI32(out, deviceCx_);
  PutI32(out, deviceCy_);
  PutI32(out, mmX_);
  PutI32(out, mmY_);
  PutU32(out, 0);  // cbPixelFormat
  PutU32(out, 0);  // offPixelFormat
  PutU32(out, 0);  // bOpenGL
  PutI32(out, mmX_ * 1000);
  PutI32(out, mmY_ * 1000);
  for (const auto& r : records_) out.insert(out.end(), r.begin(), r.end());
  out.insert(out.end(), eof.begin(), eof.end());
  return out;
}

void EmfBuilder::writeFile(const std::string& path) const {
  const std::vector<uint8_t> data = bytes();
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  if (!file) throw std::runtime_error("cannot write " + path);
}

// --- Bitmaps -------------------------------------------------------------------

namespace {

std::vector<uint8_t> InfoHeader(int32_t width, int32_t height, uint16_t bitCount, uint32_t colors) {
  std::vector<uint8_t> h;
  PutU32(h, 40);
  PutI32(h, width);
  PutI32(h, height);
  PutU16(h, 1);
  PutU16(h, bitCount);
  for (int i = 0; i < 4; ++i) PutU32(h, 0);  // compression, size, resolution
  PutU32(h, colors);
  PutU32(h, 0);
  return h;
}

size_t Stride(int32_t width, int bitCount) {
  return (static_cast<size_t>(width) * static_cast<size_t>(bitCount) + 31) / 32 * 4;
}

// offBmi, cbBmi, offBits and cbBits of a DIB whose header starts at `infoAt`
// (counted from the record start) and whose bits follow it; zeros without one.
void PutDibFields(std::vector<uint8_t>& p, uint32_t infoAt, const Dib* dib) {
  const uint32_t infoSize = dib ? static_cast<uint32_t>(dib->info.size()) : 0;
  PutU32(p, dib ? infoAt : 0);
  PutU32(p, infoSize);
  PutU32(p, dib ? infoAt + infoSize : 0);
  PutU32(p, dib ? static_cast<uint32_t>(dib->bits.size()) : 0);
}

void AppendDib(std::vector<uint8_t>& p, const Dib& dib) {
  p.insert(p.end(), dib.info.begin(), dib.info.end());
  p.insert(p.end(), dib.bits.begin(), dib.bits.end());
}

// The fields of the blt records up to cbBitsSrc (offsets counted from the
// record start), then `extra`, then the DIB.
std::vector<uint8_t> BltPayload(Rect bounds, Point dest, int32_t cx, int32_t cy, uint32_t rop,
                                Point src, const Dib* dib, const std::vector<uint8_t>& extra) {
  std::vector<uint8_t> p;
  PutRect(p, bounds);
  PutI32(p, dest.x);
  PutI32(p, dest.y);
  PutI32(p, cx);
  PutI32(p, cy);
  PutU32(p, rop);
  PutI32(p, src.x);
  PutI32(p, src.y);
  for (float v : {1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f}) PutF32(p, v);
  PutU32(p, 0xFFFFFF);  // crBkColorSrc
  PutU32(p, 0);         // iUsageSrc
  PutDibFields(p, static_cast<uint32_t>(8 + p.size() + 16 + extra.size()), dib);
  p.insert(p.end(), extra.begin(), extra.end());
  if (dib) AppendDib(p, *dib);
  return p;
}

std::vector<uint8_t> SourceSize(int32_t cxSrc, int32_t cySrc) {
  std::vector<uint8_t> p;
  PutI32(p, cxSrc);
  PutI32(p, cySrc);
  return p;
}

}  // namespace

Dib Dib24(int32_t width, int32_t height, const std::vector<uint32_t>& colors) {
  Dib dib{InfoHeader(width, height, 24, 0), {}};
  const size_t stride = Stride(width, 24);
  for (int32_t y = height - 1; y >= 0; --y) {
    std::vector<uint8_t> row(stride, 0);
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t c = colors[static_cast<size_t>(y) * width + x];
      row[x * 3] = static_cast<uint8_t>(c >> 16);
      row[x * 3 + 1] = static_cast<uint8_t>(c >> 8);
      row[x * 3 + 2] = static_cast<uint8_t>(c);
    }
    dib.bits.insert(dib.bits.end(), row.begin(), row.end());
  }
  return dib;
}

Dib Dib32(int32_t width, int32_t height, const std::vector<uint32_t>& colors,
          const std::vector<uint8_t>& alpha) {
  Dib dib{InfoHeader(width, height, 32, 0), {}};
  for (int32_t y = height - 1; y >= 0; --y)
    for (int32_t x = 0; x < width; ++x) {
      const size_t i = static_cast<size_t>(y) * width + x;
      dib.bits.push_back(static_cast<uint8_t>(colors[i] >> 16));
      dib.bits.push_back(static_cast<uint8_t>(colors[i] >> 8));
      dib.bits.push_back(static_cast<uint8_t>(colors[i]));
      dib.bits.push_back(alpha[i]);
    }
  return dib;
}

Dib Dib1(int32_t width, int32_t height, const std::vector<bool>& ones, uint32_t color0,
         uint32_t color1) {
  Dib dib{InfoHeader(width, height, 1, 2), {}};
  for (uint32_t c : {color0, color1}) {
    dib.info.push_back(static_cast<uint8_t>(c >> 16));
    dib.info.push_back(static_cast<uint8_t>(c >> 8));
    dib.info.push_back(static_cast<uint8_t>(c));
    dib.info.push_back(0);
  }
  const size_t stride = Stride(width, 1);
  for (int32_t y = height - 1; y >= 0; --y) {
    std::vector<uint8_t> row(stride, 0);
    for (int32_t x = 0; x < width; ++x)
      if (ones[static_cast<size_t>(y) * width + x])
        row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    dib.bits.insert(dib.bits.end(), row.begin(), row.end());
  }
  return dib;
}

Dib DibRle8Halves(int32_t width, int32_t height, uint32_t top, uint32_t bottom) {
  Dib dib{InfoHeader(width, height, 8, 2), {}};
  dib.info[16] = 1;  // BI_RLE8
  for (uint32_t c : {top, bottom}) {
    dib.info.push_back(static_cast<uint8_t>(c >> 16));
    dib.info.push_back(static_cast<uint8_t>(c >> 8));
    dib.info.push_back(static_cast<uint8_t>(c));
    dib.info.push_back(0);
  }
  for (int32_t line = 0; line < height; ++line) {  // bottom line first
    const uint8_t index = line < height / 2 ? 1 : 0;
    for (int32_t left = width; left > 0; left -= 255) {
      dib.bits.push_back(static_cast<uint8_t>(std::min(left, 255)));
      dib.bits.push_back(index);
    }
    dib.bits.insert(dib.bits.end(), {0, 0});  // end of line
  }
  dib.bits.insert(dib.bits.end(), {0, 1});  // end of bitmap
  return dib;
}

EmfBuilder& EmfBuilder::bitBlt(Rect bounds, Point dest, int32_t cx, int32_t cy, uint32_t rop,
                               Point src, const Dib* dib) {
  return record(76, BltPayload(bounds, dest, cx, cy, rop, src, dib, {}));
}

EmfBuilder& EmfBuilder::maskBlt(Rect bounds, Point dest, int32_t cx, int32_t cy, uint32_t rop,
                                Point src, const Dib* dib) {
  // xMask, yMask, iUsageMask and an absent mask bitmap.
  return record(78, BltPayload(bounds, dest, cx, cy, rop, src, dib, std::vector<uint8_t>(28, 0)));
}

EmfBuilder& EmfBuilder::stretchBlt(Rect bounds, Point dest, int32_t cx, int32_t cy, uint32_t rop,
                                   Point src, int32_t cxSrc, int32_t cySrc, const Dib* dib) {
  return record(77, BltPayload(bounds, dest, cx, cy, rop, src, dib, SourceSize(cxSrc, cySrc)));
}

EmfBuilder& EmfBuilder::transparentBlt(Rect bounds, Point dest, int32_t cx, int32_t cy,
                                       uint32_t transparentColor, Point src, int32_t cxSrc,
                                       int32_t cySrc, const Dib* dib) {
  return record(
      116, BltPayload(bounds, dest, cx, cy, transparentColor, src, dib, SourceSize(cxSrc, cySrc)));
}

EmfBuilder& EmfBuilder::alphaBlend(Rect bounds, Point dest, int32_t cx, int32_t cy, uint32_t blend,
                                   Point src, int32_t cxSrc, int32_t cySrc, const Dib* dib) {
  return record(114, BltPayload(bounds, dest, cx, cy, blend, src, dib, SourceSize(cxSrc, cySrc)));
}

EmfBuilder& EmfBuilder::setDIBitsToDevice(Rect bounds, Point dest, Point src, int32_t cxSrc,
                                          int32_t cySrc, uint32_t startScan, uint32_t scans,
                                          const Dib& dib, uint32_t usage) {
  std::vector<uint8_t> p;
  PutRect(p, bounds);
  for (int32_t v : {dest.x, dest.y, src.x, src.y, cxSrc, cySrc}) PutI32(p, v);
  PutDibFields(p, 76, &dib);
  PutU32(p, usage);
  PutU32(p, startScan);
  PutU32(p, scans);
  AppendDib(p, dib);
  return record(80, p);
}

EmfBuilder& EmfBuilder::stretchDIBits(Rect bounds, Point dest, int32_t cxDest, int32_t cyDest,
                                      Point src, int32_t cxSrc, int32_t cySrc, uint32_t rop,
                                      const Dib& dib, uint32_t usage) {
  std::vector<uint8_t> p;
  PutRect(p, bounds);
  for (int32_t v : {dest.x, dest.y, src.x, src.y, cxSrc, cySrc}) PutI32(p, v);
  PutDibFields(p, 80, &dib);
  PutU32(p, usage);
  PutU32(p, rop);
  PutI32(p, cxDest);
  PutI32(p, cyDest);
  AppendDib(p, dib);
  return record(81, p);
}

}  // namespace emfbuild
