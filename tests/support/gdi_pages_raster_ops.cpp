// Raster operations over coloured ground, where blend modes are not
// enough: every ROP2 code on fills, outlines and wide lines, and a table of
// ternary codes with solid, hatched and pattern brushes.
#include "support/gdi_pages.h"

namespace gdi_test {

namespace {

using emfbuild::EmfBuilder;
using emfbuild::Rgb;

constexpr uint32_t kNullPen = 0x80000008;
constexpr uint32_t kHatched = 2;
constexpr uint32_t kTransparent = 1;

void SetRop2(EmfBuilder& b, uint32_t mode) {
  std::vector<uint8_t> p;
  emfbuild::PutU32(p, mode);
  b.record(20, p);  // EMR_SETROP2
}

// Upright bands of white, black, a pure colour and two mixed ones.
EmfBuilder Ground(bool upright = true) {
  EmfBuilder b(200, 200);
  b.selectObject(kNullPen);
  const uint32_t colors[] = {Rgb(255, 255, 255), Rgb(0, 0, 0), Rgb(255, 0, 0), Rgb(0, 128, 255),
                             Rgb(200, 150, 50)};
  for (uint32_t i = 0; i < 5; ++i) {
    b.createBrushIndirect(10 + i, 0, colors[i]).selectObject(10 + i);
    const int32_t a = static_cast<int32_t>(i) * 40;
    if (upright)
      b.rectangle({a, 0, a + 41, 201});
    else
      b.rectangle({0, a, 201, a + 41});
  }
  return b;
}

// One row per ROP2 code, R2_BLACK to R2_WHITE: a fill in a mixed colour.
EmfBuilder Rop2Fills() {
  EmfBuilder b = Ground();
  b.createBrushIndirect(2, 0, Rgb(64, 160, 224)).selectObject(2);
  for (int32_t code = 1; code <= 16; ++code) {
    SetRop2(b, static_cast<uint32_t>(code));
    b.rectangle({10, code * 12 - 8, 190, code * 12 + 1});
  }
  return b;
}

// The same codes on wide lines and on outlines of a filled ellipse.
EmfBuilder Rop2Lines() {
  EmfBuilder b = Ground();
  b.createPen(2, 0, 5, Rgb(200, 60, 120)).selectObject(2);
  b.createBrushIndirect(3, 0, Rgb(90, 200, 40)).selectObject(3);
  for (int32_t code = 1; code <= 16; ++code) {
    SetRop2(b, static_cast<uint32_t>(code));
    const int32_t y = code * 12 - 4;
    b.polyline({{8, y}, {110, y}});
    b.ellipse({120, y - 5, 195, y + 5});
  }
  return b;
}

// An 8 x 8 24-bit pattern brush: a checker of `a` and `b` squares.
void CheckerBrush(EmfBuilder& b, uint32_t index, uint32_t first, uint32_t second) {
  std::vector<uint8_t> p;
  for (uint32_t v : {index, 0u, 32u, 40u, 72u, 8u * 8u * 3u}) emfbuild::PutU32(p, v);
  for (uint32_t v : {40u, 8u, 8u}) emfbuild::PutU32(p, v);
  emfbuild::PutU16(p, 1);
  emfbuild::PutU16(p, 24);
  for (int i = 0; i < 6; ++i) emfbuild::PutU32(p, 0);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const uint32_t c = (x / 4 + y / 4) % 2 ? second : first;
      for (int shift : {16, 8, 0}) p.push_back(static_cast<uint8_t>(c >> shift));
    }
  b.record(94, p);  // EMR_CREATEDIBPATTERNBRUSHPT
}

// ROP2 with hatched brushes (opaque and transparent) and a pattern brush.
EmfBuilder Rop2Brushes() {
  EmfBuilder b = Ground();
  b.setBkColor(Rgb(255, 255, 0)).createBrushIndirect(2, kHatched, Rgb(0, 90, 160), 4);
  b.createBrushIndirect(3, kHatched, Rgb(220, 40, 40), 5);
  CheckerBrush(b, 4, Rgb(30, 200, 120), Rgb(255, 255, 255));
  const uint32_t codes[] = {7, 10, 15, 3, 14, 9};
  for (int32_t i = 0; i < 6; ++i) {
    SetRop2(b, codes[i]);
    const int32_t y = 6 + i * 32;
    b.setBkMode(2).selectObject(2).rectangle({6, y, 66, y + 26});
    b.setBkMode(kTransparent).selectObject(3).rectangle({70, y, 130, y + 26});
    b.selectObject(4).rectangle({134, y, 194, y + 26});
  }
  return b;
}

// A 4 x 4 source of pure and mixed colours.
emfbuild::Dib Source() {
  return emfbuild::Dib24(
      4, 4,
      {Rgb(255, 255, 255), Rgb(0, 0, 0), Rgb(255, 0, 0), Rgb(40, 90, 200), Rgb(0, 255, 0),
       Rgb(128, 128, 128), Rgb(0, 0, 255), Rgb(250, 200, 30), Rgb(90, 30, 140), Rgb(255, 255, 0),
       Rgb(0, 255, 255), Rgb(30, 160, 90), Rgb(255, 0, 255), Rgb(200, 100, 60), Rgb(10, 60, 10),
       Rgb(170, 220, 240)});
}

// Ternary codes: MERGECOPY, PATPAINT, SRCERASE, NOTSRCERASE, MERGEPAINT,
// SRCAND, SRCPAINT, SRCINVERT, PATINVERT, DSTINVERT and others of the 256.
constexpr uint32_t kTernary[] = {0xC0, 0xFB, 0x44, 0x11, 0xBB, 0x88, 0xEE, 0x66, 0x5A, 0x55,
                                 0xB8, 0xE2, 0x1E, 0x69, 0x96, 0x6A, 0x0A, 0xA0, 0x8E, 0x3C};

// Four columns by five rows of bitmap records over horizontal bands, each
// through its code with the brush selected.
EmfBuilder TernaryTable(int brush) {
  EmfBuilder b = Ground(false);
  b.setBkColor(Rgb(255, 255, 0));
  if (brush == 0) b.createBrushIndirect(2, 0, Rgb(64, 160, 224));
  if (brush == 1) b.createBrushIndirect(2, kHatched, Rgb(0, 90, 160), 4);
  if (brush == 2) CheckerBrush(b, 2, Rgb(30, 200, 120), Rgb(255, 255, 255));
  b.selectObject(2);
  const emfbuild::Dib source = Source();
  for (int32_t i = 0; i < 20; ++i) {
    const int32_t x = 4 + (i % 4) * 49, y = 4 + (i / 4) * 39 + 10;
    const uint32_t rop = kTernary[i] << 16;
    b.stretchBlt({x, y, x + 43, y + 31}, {x, y}, 44, 32, rop, {0, 0}, 4, 4, &source);
  }
  return b;
}

}  // namespace

std::vector<GdiPage> RasterOperationPages() {
  return {
      {"rop2-fills", Rop2Fills()},          {"rop2-lines", Rop2Lines()},
      {"rop2-brushes", Rop2Brushes()},      {"ternary-solid", TernaryTable(0)},
      {"ternary-hatched", TernaryTable(1)}, {"ternary-pattern", TernaryTable(2)},
  };
}

}  // namespace gdi_test
