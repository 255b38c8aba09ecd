#pragma once

// Builds enhanced metafiles record by record, for tests and examples. Plain
// C++ on purpose: it depends on nothing of the project.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace emfbuild {

struct Point {
  int32_t x = 0;
  int32_t y = 0;
};

struct Rect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

struct Xform {
  float eM11 = 1, eM12 = 0, eM21 = 0, eM22 = 1, eDx = 0, eDy = 0;
};

constexpr uint32_t Rgb(uint8_t r, uint8_t g, uint8_t b) {
  return uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16;
}

// A device-independent bitmap: the BITMAPINFO (header and colour table) and
// the pixel bits, as bitmap records carry them.
struct Dib {
  std::vector<uint8_t> info;
  std::vector<uint8_t> bits;
};

// Bottom-up BI_RGB DIBs from top-down pixels: 24-bit colours; 32-bit colours
// with an alpha byte (premultiplied by the caller); 1-bit values with a
// two-colour table.
Dib Dib24(int32_t width, int32_t height, const std::vector<uint32_t>& colors);
Dib Dib32(int32_t width, int32_t height, const std::vector<uint32_t>& colors,
          const std::vector<uint8_t>& alpha);
Dib Dib1(int32_t width, int32_t height, const std::vector<bool>& ones, uint32_t color0,
         uint32_t color1);
// A BI_RLE8 DIB in runs of 255 pixels: its top half `top`, the rest `bottom`.
Dib DibRle8Halves(int32_t width, int32_t height, uint32_t top, uint32_t bottom);

class EmfBuilder {
 public:
  // A picture of `width` x `height` device pixels on a 96 dpi reference
  // device; rclBounds covers the whole picture.
  explicit EmfBuilder(int32_t width = 200, int32_t height = 100);

  // Header values, for tests of absurd headers.
  EmfBuilder& bounds(Rect r);
  EmfBuilder& frame(Rect r);
  EmfBuilder& device(int32_t cx, int32_t cy, int32_t mmX, int32_t mmY);
  EmfBuilder& handles(uint16_t n);

  // Any record: type and the bytes after the size field.
  EmfBuilder& record(uint32_t type, const std::vector<uint8_t>& payload);

  // State.
  EmfBuilder& setMapMode(uint32_t mode);
  EmfBuilder& setWindowExtEx(int32_t cx, int32_t cy);
  EmfBuilder& setWindowOrgEx(int32_t x, int32_t y);
  EmfBuilder& setViewportExtEx(int32_t cx, int32_t cy);
  EmfBuilder& setViewportOrgEx(int32_t x, int32_t y);
  EmfBuilder& scaleWindowExtEx(int32_t xNum, int32_t xDenom, int32_t yNum, int32_t yDenom);
  EmfBuilder& scaleViewportExtEx(int32_t xNum, int32_t xDenom, int32_t yNum, int32_t yDenom);
  EmfBuilder& setWorldTransform(const Xform& x);
  EmfBuilder& modifyWorldTransform(const Xform& x, uint32_t mode);
  EmfBuilder& setBkMode(uint32_t mode);
  EmfBuilder& setPolyFillMode(uint32_t mode);
  EmfBuilder& setTextAlign(uint32_t flags);
  EmfBuilder& setTextColor(uint32_t color);
  EmfBuilder& setBkColor(uint32_t color);
  EmfBuilder& setArcDirection(uint32_t direction);
  EmfBuilder& saveDC();
  EmfBuilder& restoreDC(int32_t relative);

  // Objects.
  EmfBuilder& createPen(uint32_t index, uint32_t style, int32_t width, uint32_t color);
  EmfBuilder& extCreatePen(uint32_t index, uint32_t style, uint32_t width, uint32_t color);
  EmfBuilder& createBrushIndirect(uint32_t index, uint32_t style, uint32_t color,
                                  uint32_t hatch = 0);
  EmfBuilder& extCreateFontIndirectW(uint32_t index, int32_t height, const std::u16string& face,
                                     int32_t weight = 400, int32_t escapement = 0,
                                     bool underline = false, bool strikeOut = false);
  EmfBuilder& selectObject(uint32_t index);
  EmfBuilder& deleteObject(uint32_t index);

  // Drawing.
  EmfBuilder& moveTo(int32_t x, int32_t y);
  EmfBuilder& lineTo(int32_t x, int32_t y);
  EmfBuilder& polyline(const std::vector<Point>& points);
  EmfBuilder& polyline16(const std::vector<Point>& points);
  EmfBuilder& polygon(const std::vector<Point>& points);
  EmfBuilder& polygon16(const std::vector<Point>& points);
  EmfBuilder& polylineTo16(const std::vector<Point>& points);
  EmfBuilder& polyBezier16(const std::vector<Point>& points);
  EmfBuilder& polyBezierTo16(const std::vector<Point>& points);
  EmfBuilder& polyPolyline16(const std::vector<std::vector<Point>>& polys);
  EmfBuilder& polyPolygon16(const std::vector<std::vector<Point>>& polys);
  EmfBuilder& polyDraw(const std::vector<Point>& points, const std::vector<uint8_t>& types);
  EmfBuilder& polyDraw16(const std::vector<Point>& points, const std::vector<uint8_t>& types);
  EmfBuilder& rectangle(Rect r);
  EmfBuilder& ellipse(Rect r);
  EmfBuilder& roundRect(Rect r, int32_t cornerWidth, int32_t cornerHeight);
  EmfBuilder& arc(Rect box, Point start, Point end);
  EmfBuilder& chord(Rect box, Point start, Point end);
  EmfBuilder& pie(Rect box, Point start, Point end);
  EmfBuilder& arcTo(Rect box, Point start, Point end);
  EmfBuilder& angleArc(Point center, uint32_t radius, float start, float sweep);
  EmfBuilder& setPixelV(Point p, uint32_t color);
  EmfBuilder& fillRgn(const std::vector<Rect>& rects, uint32_t brush = 0);

  // Paths and clipping.
  EmfBuilder& beginPath();
  EmfBuilder& endPath();
  EmfBuilder& closeFigure();
  EmfBuilder& fillPath();
  EmfBuilder& strokePath();
  EmfBuilder& strokeAndFillPath();
  EmfBuilder& abortPath();
  EmfBuilder& selectClipPath(uint32_t mode = 5);
  EmfBuilder& intersectClipRect(Rect r);
  EmfBuilder& excludeClipRect(Rect r);
  EmfBuilder& extSelectClipRgn(const std::vector<Rect>& rects, uint32_t mode = 5);

  // Bitmaps. A null `dib` writes the record without a source bitmap.
  EmfBuilder& bitBlt(Rect bounds, Point dest, int32_t cx, int32_t cy, uint32_t rop, Point src,
                     const Dib* dib);
  EmfBuilder& maskBlt(Rect bounds, Point dest, int32_t cx, int32_t cy, uint32_t rop, Point src,
                      const Dib* dib);
  EmfBuilder& stretchBlt(Rect bounds, Point dest, int32_t cx, int32_t cy, uint32_t rop, Point src,
                         int32_t cxSrc, int32_t cySrc, const Dib* dib);
  EmfBuilder& transparentBlt(Rect bounds, Point dest, int32_t cx, int32_t cy,
                             uint32_t transparentColor, Point src, int32_t cxSrc, int32_t cySrc,
                             const Dib* dib);
  // `blend`: BlendOp, BlendFlags, SourceConstantAlpha, AlphaFormat from the low byte.
  EmfBuilder& alphaBlend(Rect bounds, Point dest, int32_t cx, int32_t cy, uint32_t blend, Point src,
                         int32_t cxSrc, int32_t cySrc, const Dib* dib);
  EmfBuilder& setDIBitsToDevice(Rect bounds, Point dest, Point src, int32_t cxSrc, int32_t cySrc,
                                uint32_t startScan, uint32_t scans, const Dib& dib,
                                uint32_t usage = 0);
  EmfBuilder& stretchDIBits(Rect bounds, Point dest, int32_t cxDest, int32_t cyDest, Point src,
                            int32_t cxSrc, int32_t cySrc, uint32_t rop, const Dib& dib,
                            uint32_t usage = 0);

  // The finished file: header with nBytes, nRecords and nHandles filled in,
  // the records, and EMR_EOF.
  std::vector<uint8_t> bytes() const;
  void writeFile(const std::string& path) const;

 private:
  Rect bounds_;
  Rect frame_;
  int32_t deviceCx_ = 1024, deviceCy_ = 768, mmX_ = 271, mmY_ = 203;
  uint16_t handles_ = 16;
  bool frameSet_ = false;
  std::vector<std::vector<uint8_t>> records_;
};

// Little-endian appenders, for hand-made record payloads.
void PutU32(std::vector<uint8_t>& out, uint32_t v);
void PutI32(std::vector<uint8_t>& out, int32_t v);
void PutU16(std::vector<uint8_t>& out, uint16_t v);
void PutF32(std::vector<uint8_t>& out, float v);
void PutRect(std::vector<uint8_t>& out, const Rect& r);

}  // namespace emfbuild
