#include "support/gdi_pages.h"

#include <cstring>

namespace gdi_test {

namespace {

using emfbuild::EmfBuilder;
using emfbuild::Rgb;
using emfbuild::Xform;

constexpr uint32_t kNullPen = 0x80000008;
constexpr uint32_t kMmIsotropic = 7, kMmAnisotropic = 8;
constexpr uint32_t kModifyLeft = 2;
constexpr uint32_t kClockwise = 2;

// Pen 1 black, 3 logical units; brush 2 grey.
EmfBuilder Picture() {
  EmfBuilder b(200, 200);
  b.createPen(1, 0, 3, Rgb(0, 0, 0)).selectObject(1);
  b.createBrushIndirect(2, 0, Rgb(128, 128, 128)).selectObject(2);
  return b;
}

// A world transform turned by 30 degrees about (100, 100): shapes and the
// pen's width turn with it. (Wine draws rotated ellipses and bitmaps wrongly
// and upright, against GDI's documentation; emw_transform_test checks those.)
EmfBuilder Rotated() {
  EmfBuilder b = Picture();
  const float c = 0.8660254f, s = 0.5f;
  b.setWorldTransform({c, s, -s, c, 100 - 100 * c + 100 * s, 100 - 100 * s - 100 * c});
  b.rectangle({40, 40, 160, 90}).polygon({{60, 110}, {140, 110}, {100, 170}});
  b.createPen(3, 0, 8, Rgb(0, 0, 0)).selectObject(3).polyline({{20, 190}, {180, 190}});
  return b;
}

// The world offset counts in world units before the window mapping.
EmfBuilder WorldBeforeWindow() {
  EmfBuilder b = Picture();
  b.setMapMode(kMmAnisotropic).setWindowExtEx(2000, 2000).setViewportExtEx(200, 200);
  b.setWorldTransform({1, 0, 0, 1, 500, 300}).selectObject(kNullPen);
  b.rectangle({0, 0, 1000, 1000});
  b.modifyWorldTransform({2, 0, 0, 1, 0, 0}, kModifyLeft).ellipse({0, 1100, 600, 1600});
  return b;
}

// Isotropic mapping keeps circles round; scaling the window doubles sizes.
EmfBuilder IsotropicAndScaled() {
  EmfBuilder b = Picture();
  b.setMapMode(kMmIsotropic).setWindowExtEx(100, 100).setViewportExtEx(100, 200);
  b.ellipse({10, 10, 90, 90});
  b.setMapMode(kMmAnisotropic).setWindowExtEx(100, 100).setViewportExtEx(100, 100);
  b.scaleWindowExtEx(1, 2, 1, 2).rectangle({5, 55, 45, 95});
  return b;
}

EmfBuilder ClockwisePie() {
  EmfBuilder b = Picture();
  b.setArcDirection(kClockwise).pie({20, 20, 180, 180}, {180, 100}, {100, 20});
  return b;
}

// AngleArc ignores the arc direction: a positive sweep turns
// counter-clockwise in logical space, a negative one clockwise, and the arc
// follows the transform, so a flip (the world's or the viewport's) mirrors
// it. Rows: plain, flipped by the world transform, flipped by the viewport.
// Wine turns mirrored arcs counter-clockwise on the device, against GDI's
// documentation of the advanced graphics mode that playback uses (arcs
// "fully respect" the transform); its reference comes from `mirrored`
// false: the same arcs mirrored by hand.
EmfBuilder AngleArcs(bool mirrored) {
  EmfBuilder b = Picture();
  b.setArcDirection(kClockwise);
  auto row = [&b](int32_t y, float sign) {
    b.moveTo(50, y).angleArc({50, y}, 25, sign * 30, sign * 120);
    b.moveTo(150, y).angleArc({150, y}, 25, sign * 200, sign * -150);
  };
  row(35, 1);
  if (!mirrored) {
    row(100, -1);
    row(165, -1);
    return b;
  }
  b.setWorldTransform({1, 0, 0, -1, 0, 200});
  row(100, 1);
  b.setWorldTransform({1, 0, 0, 1, 0, 0});
  b.setMapMode(kMmAnisotropic).setWindowExtEx(200, 200).setViewportExtEx(200, -200);
  b.setViewportOrgEx(0, 200);
  row(35, 1);
  return b;
}

// EMR_EXTTEXTOUTW of `text` with advances `dx` (a GDI-made record has them).
void TextOutW(EmfBuilder& b, emfbuild::Point at, const std::u16string& text, uint32_t options,
              emfbuild::Rect rcl, int32_t dx) {
  std::vector<uint8_t> p;
  emfbuild::PutRect(p, {0, 0, -1, -1});  // rclBounds
  for (uint32_t v : {1u, 0u, 0u}) emfbuild::PutU32(p, v);
  emfbuild::PutI32(p, at.x);
  emfbuild::PutI32(p, at.y);
  const auto n = static_cast<uint32_t>(text.size());
  const uint32_t padded = (2 * n + 3) & ~3u;
  for (uint32_t v : {n, 76u, options}) emfbuild::PutU32(p, v);  // the string follows at 76
  emfbuild::PutRect(p, rcl);
  emfbuild::PutU32(p, 76 + padded);
  for (char16_t u : text) emfbuild::PutU16(p, u);
  p.resize(p.size() + padded - 2 * n, 0);
  for (uint32_t i = 0; i < n; ++i) emfbuild::PutI32(p, dx);
  b.record(84, p);
}

// Under the opaque background mode text fills its character cells (advance
// width by ascent plus descent, from the aligned reference point) with the
// background colour, whatever rcl says; rcl is filled only with ETO_OPAQUE
// and clips the cells with ETO_CLIPPED. Cells turn with the escapement:
// Wine fills an upright box there, so its reference draws that cell as a
// polygon (`wineCells`).
EmfBuilder OpaqueText(bool wineCells) {
  constexpr uint32_t kOpaque = 2, kClipped = 4, kTop = 0, kBaselineCentre = 24 | 6;
  const std::u16string text = u"Cells";
  EmfBuilder b = Picture();
  b.setBkMode(2).setBkColor(Rgb(128, 192, 255)).setTextColor(Rgb(0, 0, 0));
  b.extCreateFontIndirectW(3, -24, u"Arial").selectObject(3);
  TextOutW(b, {8, 8}, text, 0, {0, 0, -1, -1}, 16);
  b.setTextAlign(kBaselineCentre);
  TextOutW(b, {150, 30}, text, 0, {0, 0, -1, -1}, 16);
  b.setTextAlign(kTop);
  TextOutW(b, {8, 52}, text, 0, {4, 48, 100, 88}, 16);
  TextOutW(b, {110, 52}, text, kClipped, {104, 48, 150, 88}, 16);
  TextOutW(b, {110, 110}, text, kOpaque, {104, 106, 140, 150}, 16);
  // Under a flip the text stands upright, and its cells with it.
  b.saveDC().setWorldTransform({1, 0, 0, -1, 0, 200});
  TextOutW(b, {110, 40}, text, 0, {0, 0, -1, -1}, 16);
  b.restoreDC(-1);
  b.extCreateFontIndirectW(4, -24, u"Arial", 400, 300).selectObject(4);
  if (wineCells) {
    // 80 x 27 (tmHeight) turned by 30 degrees about (20, 150).
    b.setBkMode(1).selectObject(kNullPen).createBrushIndirect(5, 0, Rgb(128, 192, 255));
    b.selectObject(5).polygon({{20, 150}, {89, 110}, {103, 133}, {34, 173}});
  }
  TextOutW(b, {20, 150}, text, 0, {0, 0, -1, -1}, 16);
  return b;
}

// A clip made inside a saved state ends with it; the one before comes back.
EmfBuilder ClipRestored() {
  EmfBuilder b = Picture();
  b.selectObject(kNullPen).intersectClipRect({20, 20, 180, 180});
  b.saveDC().intersectClipRect({60, 60, 140, 140}).restoreDC(-1);
  b.excludeClipRect({80, 80, 120, 120});
  b.rectangle({0, 0, 200, 200});
  return b;
}

// Clip paths united with RGN_OR, the way programs clip to text a glyph at a
// time: a rectangle, a triangle and an ellipse.
EmfBuilder ClipUnion() {
  EmfBuilder b = Picture();
  b.selectObject(kNullPen);
  b.beginPath().rectangle({10, 10, 90, 90}).endPath().selectClipPath(5);
  b.beginPath().polygon({{110, 10}, {190, 10}, {150, 90}}).endPath().selectClipPath(2);
  b.beginPath().ellipse({40, 110, 160, 190}).endPath().selectClipPath(2);
  b.rectangle({0, 0, 200, 200});
  return b;
}

// A path closed and left unpainted waits for its record: an ellipse drawn
// meanwhile is drawn alone, and a later StrokePath strokes the path.
EmfBuilder PathLeftOpen() {
  EmfBuilder b = Picture();
  b.beginPath().moveTo(20, 20).polyBezierTo16({{120, 20}, {180, 80}, {180, 180}});
  b.lineTo(20, 180).endPath();
  b.ellipse({40, 60, 100, 120});
  b.strokePath();
  return b;
}

// Hatched brushes: lines every 8 device pixels, on the background colour
// when the background mode is opaque.
EmfBuilder Hatched() {
  EmfBuilder b = Picture();
  b.setBkColor(Rgb(255, 255, 0)).createBrushIndirect(3, 2, Rgb(0, 0, 255), 4).selectObject(3);
  b.rectangle({10, 10, 190, 90});
  b.setBkMode(1).createBrushIndirect(4, 2, Rgb(0, 0, 0), 3).selectObject(4);
  b.ellipse({20, 110, 180, 190});
  return b;
}

// EMR_CREATEDIBPATTERNBRUSHPT (type 94) and EMR_CREATEMONOBRUSH (93) from
// an 8 x 8 DIB: ihBrush, iUsage, then the header and bits right after.
void PatternBrush(EmfBuilder& b, uint32_t type, uint32_t index, uint32_t usage, uint16_t bitCount,
                  const std::vector<uint8_t>& colorsAndBits, uint32_t bitsOffset) {
  std::vector<uint8_t> p;
  for (uint32_t v : {index, usage, 32u, 40u + bitsOffset, 72u + bitsOffset,
                     static_cast<uint32_t>(colorsAndBits.size()) - bitsOffset})
    emfbuild::PutU32(p, v);
  for (uint32_t v : {40u, 8u, 8u}) emfbuild::PutU32(p, v);  // biSize, biWidth, biHeight
  emfbuild::PutU16(p, 1);
  emfbuild::PutU16(p, bitCount);
  for (int i = 0; i < 6; ++i) emfbuild::PutU32(p, 0);
  p.insert(p.end(), colorsAndBits.begin(), colorsAndBits.end());
  b.record(type, p);
}

// Pattern brushes repeat their bitmap every 8 device pixels: a 24-bit
// checker of dark blue and white squares, and a mono brush whose 0 bits
// take the text colour and 1 bits the background colour (DIB_PAL_MONO: no
// colour table, rows top-down in 16-bit words, as GDI writes them).
EmfBuilder PatternBrushes() {
  EmfBuilder b = Picture();
  std::vector<uint8_t> checker;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      for (uint8_t c : ((x / 4 + y / 4) % 2 ? std::vector<uint8_t>{128, 0, 0}
                                            : std::vector<uint8_t>{255, 255, 255}))
        checker.push_back(c);
  PatternBrush(b, 94, 3, 0, 24, checker, 0);
  b.selectObject(3).rectangle({10, 10, 190, 90});
  std::vector<uint8_t> mono;
  for (uint8_t row : {0x0F, 0x0F, 0x0F, 0x0F, 0xFF, 0xFF, 0xFF, 0xFF})
    for (uint8_t byte : {row, uint8_t{0}}) mono.push_back(byte);
  PatternBrush(b, 93, 4, 2, 1, mono, 0);
  b.setTextColor(Rgb(128, 0, 0)).setBkColor(Rgb(255, 255, 160)).selectObject(4);
  b.ellipse({20, 110, 180, 190});
  return b;
}

// EMR_GRADIENTFILL: a rectangle shaded left to right, a Gouraud triangle.
EmfBuilder Gradients() {
  EmfBuilder b = Picture();
  auto vertex = [](std::vector<uint8_t>& p, int32_t x, int32_t y, uint32_t rgb) {
    emfbuild::PutI32(p, x);
    emfbuild::PutI32(p, y);
    for (int shift : {0, 8, 16})
      emfbuild::PutU16(p, static_cast<uint16_t>((rgb >> shift & 0xFF) << 8));
    emfbuild::PutU16(p, 0);
  };
  std::vector<uint8_t> rect;
  emfbuild::PutRect(rect, {10, 10, 190, 80});
  for (uint32_t v : {2u, 1u, 0u}) emfbuild::PutU32(rect, v);  // nVer, nTri, GRADIENT_FILL_RECT_H
  vertex(rect, 10, 10, Rgb(255, 0, 0));
  vertex(rect, 190, 80, Rgb(0, 0, 255));
  for (uint32_t v : {0u, 1u}) emfbuild::PutU32(rect, v);
  b.record(118, rect);
  std::vector<uint8_t> triangle;
  emfbuild::PutRect(triangle, {10, 100, 190, 190});
  for (uint32_t v : {3u, 1u, 2u}) emfbuild::PutU32(triangle, v);  // GRADIENT_FILL_TRIANGLE
  vertex(triangle, 10, 190, Rgb(0, 0, 0));
  vertex(triangle, 100, 100, Rgb(0, 255, 0));
  vertex(triangle, 190, 190, Rgb(255, 255, 255));
  for (uint32_t v : {0u, 1u, 2u}) emfbuild::PutU32(triangle, v);
  b.record(118, triangle);
  return b;
}

// One record of many shapes is shaded whole: 300 rectangles over each
// other, black to white, and 300 triangles likewise.
EmfBuilder ManyGradients() {
  EmfBuilder b = Picture();
  auto vertex = [](std::vector<uint8_t>& p, int32_t x, int32_t y, uint16_t grey) {
    emfbuild::PutI32(p, x);
    emfbuild::PutI32(p, y);
    for (int i = 0; i < 3; ++i) emfbuild::PutU16(p, grey);
    emfbuild::PutU16(p, 0);
  };
  std::vector<uint8_t> rects;
  emfbuild::PutRect(rects, {10, 10, 190, 90});
  for (uint32_t v : {2u, 300u, 0u}) emfbuild::PutU32(rects, v);
  vertex(rects, 10, 10, 0);
  vertex(rects, 190, 90, 0xFF00);
  for (int i = 0; i < 300; ++i)
    for (uint32_t v : {0u, 1u}) emfbuild::PutU32(rects, v);
  b.record(118, rects);
  std::vector<uint8_t> triangles;
  emfbuild::PutRect(triangles, {10, 100, 190, 190});
  for (uint32_t v : {3u, 300u, 2u}) emfbuild::PutU32(triangles, v);
  vertex(triangles, 10, 190, 0);
  vertex(triangles, 100, 100, 0x8000);
  vertex(triangles, 190, 190, 0xFF00);
  for (int i = 0; i < 300; ++i)
    for (uint32_t v : {0u, 1u, 2u}) emfbuild::PutU32(triangles, v);
  b.record(118, triangles);
  return b;
}

// EMR_ALPHABLEND at constant alpha 128 over a black and a white half: what
// lies under the picture shows through it (PDF 1.4).
EmfBuilder AlphaBlend() {
  EmfBuilder b = Picture();
  b.selectObject(kNullPen).createBrushIndirect(3, 0, Rgb(0, 0, 0)).selectObject(3);
  b.rectangle({0, 0, 100, 200});
  std::vector<uint8_t> p;
  emfbuild::PutRect(p, {20, 20, 179, 179});
  for (int32_t v : {20, 20, 160, 160}) emfbuild::PutI32(p, v);  // destination
  emfbuild::PutU32(p, 128u << 16);                              // SourceConstantAlpha
  for (int32_t v : {0, 0}) emfbuild::PutI32(p, v);              // xSrc, ySrc
  for (float v : {1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f}) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    emfbuild::PutU32(p, bits);
  }
  for (uint32_t v : {0u, 0u, 108u, 40u, 148u, 48u}) emfbuild::PutU32(p, v);
  for (int32_t v : {4, 4}) emfbuild::PutI32(p, v);  // cxSrc, cySrc
  for (uint32_t v : {40u, 4u, 4u}) emfbuild::PutU32(p, v);
  emfbuild::PutU16(p, 1);
  emfbuild::PutU16(p, 24);
  for (int i = 0; i < 6; ++i) emfbuild::PutU32(p, 0);
  for (int i = 0; i < 16; ++i)
    for (uint8_t c : {0, 0, 255}) p.push_back(c);  // red, blue green red
  b.record(114, p);
  return b;
}

// EMR_ALPHABLEND with AC_SRC_ALPHA: a 32-bit bitmap premultiplied by its
// own alpha, which grows left to right (0, 85, 170, 255) over rows of red,
// green, black and white, on a dark blue and a white half; below it again
// at a constant alpha of 128 besides.
EmfBuilder PixelAlphaBlend() {
  EmfBuilder b = Picture();
  b.selectObject(kNullPen).createBrushIndirect(3, 0, Rgb(0, 0, 160)).selectObject(3);
  b.rectangle({0, 0, 100, 200});
  std::vector<uint32_t> colors;
  std::vector<uint8_t> alpha;
  for (uint32_t row : {Rgb(255, 0, 0), Rgb(0, 255, 0), Rgb(0, 0, 0), Rgb(255, 255, 255)})
    for (uint32_t a : {0u, 85u, 170u, 255u}) {
      uint32_t premultiplied = 0;
      for (int shift : {0, 8, 16}) premultiplied |= ((row >> shift & 0xFF) * a / 255) << shift;
      colors.push_back(premultiplied);
      alpha.push_back(static_cast<uint8_t>(a));
    }
  const emfbuild::Dib dib = emfbuild::Dib32(4, 4, colors, alpha);
  constexpr uint32_t kSourceAlpha = 1u << 24;  // AC_SRC_ALPHA
  b.alphaBlend({20, 20, 179, 99}, {20, 20}, 160, 80, kSourceAlpha | 255u << 16, {0, 0}, 4, 4, &dib);
  // With a constant alpha as well, the two multiply.
  b.alphaBlend({20, 110, 179, 189}, {20, 110}, 160, 80, kSourceAlpha | 128u << 16, {0, 0}, 4, 4,
               &dib);
  return b;
}

// Bitmap records without a source: DSTINVERT inverts what lies under it,
// PATINVERT XORs the brush with it, BLACKNESS is black whatever the brush.
EmfBuilder RasterOperations() {
  EmfBuilder b = Picture();
  b.selectObject(kNullPen).createBrushIndirect(3, 0, Rgb(0, 0, 0)).selectObject(3);
  b.rectangle({0, 0, 100, 200});
  b.bitBlt({50, 20, 149, 79}, {50, 20}, 100, 60, 0x00550009, {0, 0}, nullptr);  // DSTINVERT
  b.createBrushIndirect(4, 0, Rgb(255, 0, 0)).selectObject(4);
  b.bitBlt({50, 90, 149, 139}, {50, 90}, 100, 50, 0x005A0049, {0, 0}, nullptr);    // PATINVERT
  b.bitBlt({50, 150, 149, 189}, {50, 150}, 100, 40, 0x00000042, {0, 0}, nullptr);  // BLACKNESS
  return b;
}

// A new device context fills with a white brush. Bitmaps drawn alone with
// SRCAND change only where the source is not white: a mask drawn twice over
// the same place, and a colour picture.
EmfBuilder BitmapsAlone() {
  EmfBuilder b(200, 200);
  b.rectangle({10, 10, 190, 50});
  std::vector<bool> ones(20 * 10);
  for (size_t i = 0; i < ones.size(); ++i) ones[i] = i % 20 < 10;
  const emfbuild::Dib mask = emfbuild::Dib1(20, 10, ones, Rgb(0, 0, 0), Rgb(255, 255, 255));
  for (int i = 0; i < 2; ++i)
    b.stretchBlt({10, 60, 189, 99}, {10, 60}, 180, 40, 0x008800C6, {0, 0}, 20, 10, &mask);
  const emfbuild::Dib picture = emfbuild::Dib24(2, 1, {Rgb(255, 255, 255), Rgb(255, 0, 0)});
  b.stretchDIBits({10, 110, 189, 149}, {10, 110}, 180, 40, {0, 0}, 2, 1, 0x008800C6, picture);
  return b;
}

// Bounds short of what is drawn cut nothing: the frame is the picture.
EmfBuilder ShortBounds() {
  EmfBuilder b(200, 200);
  b.bounds({0, 0, 99, 99}).frame({0, 0, 5292, 5286});
  b.createBrushIndirect(1, 0, Rgb(0, 128, 0)).selectObject(1).rectangle({20, 20, 180, 180});
  return b;
}

// Binary raster operations over a black and a white half. A brush's XOR
// around a shape drawn with R2_MASKPEN in a black and white pattern (the way
// old programs drew see-through shapes) leaves the pattern's black cells in
// the brush colour; XOR (a pure colour's fill, a line of any colour) and OR
// with the page; nothing (R2_NOP), then the page inverted (R2_NOT).
EmfBuilder RasterMixes() {
  EmfBuilder b = Picture();
  auto rop2 = [&](uint32_t mode) {
    std::vector<uint8_t> p;
    emfbuild::PutU32(p, mode);
    b.record(20, p);
  };
  b.selectObject(kNullPen).createBrushIndirect(3, 0, Rgb(0, 0, 0)).selectObject(3);
  b.rectangle({0, 0, 100, 200});
  b.createBrushIndirect(4, 0, Rgb(255, 0, 0)).selectObject(4);
  constexpr uint32_t kPatInvert = 0x005A0049;
  b.stretchBlt({20, 20, 179, 89}, {20, 20}, 160, 70, kPatInvert, {0, 0}, 0, 0, nullptr);
  std::vector<uint8_t> checker;
  for (uint8_t row : {0x0F, 0x0F, 0x0F, 0x0F, 0xF0, 0xF0, 0xF0, 0xF0})
    for (uint8_t byte : {row, uint8_t{0}}) checker.push_back(byte);
  PatternBrush(b, 93, 5, 2, 1, checker, 0);
  rop2(9);  // R2_MASKPEN
  b.selectObject(5).ellipse({40, 25, 160, 85});
  rop2(13);  // R2_COPYPEN
  b.selectObject(4);
  b.stretchBlt({20, 20, 179, 89}, {20, 20}, 160, 70, kPatInvert, {0, 0}, 0, 0, nullptr);
  b.createBrushIndirect(6, 0, Rgb(0, 0, 255)).selectObject(6);
  rop2(7);  // R2_XORPEN
  b.rectangle({20, 110, 180, 140});
  b.createPen(8, 0, 5, Rgb(0, 128, 0)).selectObject(8).polyline({{20, 100}, {180, 100}});
  b.selectObject(kNullPen);
  b.createBrushIndirect(7, 0, Rgb(0, 255, 0)).selectObject(7);
  rop2(15);  // R2_MERGEPEN
  b.rectangle({20, 150, 180, 180});
  rop2(11);  // R2_NOP
  b.rectangle({20, 185, 180, 198});
  rop2(6);  // R2_NOT
  b.rectangle({20, 185, 180, 198});
  return b;
}

// A picture whose recorder left the bounds empty is played by its frame.
EmfBuilder EmptyBounds() {
  EmfBuilder b(200, 200);
  b.bounds({0, 0, -1, -1}).frame({0, 0, 5292, 5286});
  b.createBrushIndirect(1, 0, Rgb(0, 0, 255)).selectObject(1).rectangle({20, 20, 180, 120});
  return b;
}

}  // namespace

std::vector<GdiPage> GdiPages() {
  std::vector<GdiPage> pages = {
      {"world-rotated", Rotated()},
      {"world-before-window", WorldBeforeWindow()},
      {"isotropic-and-scaled", IsotropicAndScaled()},
      {"pie-clockwise", ClockwisePie()},
      {"angle-arcs", AngleArcs(true), false, AngleArcs(false)},
      {"opaque-text", OpaqueText(false), false, OpaqueText(true)},
      {"clip-restored", ClipRestored()},
      {"hatched-brushes", Hatched()},
      {"pattern-brushes", PatternBrushes()},
      {"gradient-fill", Gradients()},
      {"gradient-many", ManyGradients()},
      {"raster-operations", RasterOperations()},
      {"alpha-blend", AlphaBlend(), true},
      {"alpha-blend-per-pixel", PixelAlphaBlend(), true},
      {"bitmaps-alone", BitmapsAlone()},
      {"empty-bounds", EmptyBounds()},
      {"short-bounds", ShortBounds()},
      {"raster-mixes", RasterMixes()},
      {"clip-union", ClipUnion()},
      {"path-left-open", PathLeftOpen()},
  };
  AppendTextPages(pages);
  for (GdiPage& page : RasterOperationPages()) pages.push_back(std::move(page));
  return pages;
}

}  // namespace gdi_test
