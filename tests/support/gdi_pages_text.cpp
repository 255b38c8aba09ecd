// GDI test pages of text: glyph outlines in paths (clips, strokes and
// fills) and text under mirroring and stretching world transforms.
#include <map>

#include "support/gdi_pages.h"

namespace gdi_test {

namespace {

using emfbuild::EmfBuilder;
using emfbuild::Rgb;

constexpr uint32_t kNullPen = 0x80000008;
constexpr uint32_t kCompatible = 1, kAdvanced = 2;
constexpr uint32_t kBaseline = 24, kCentre = 6;

// Advance widths at an em of 1000 of the faces GDI picks for these pages.
using Widths = std::map<char16_t, int>;
const Widths kSansBold = {{u'C', 722}, {u'P', 667}, {u'T', 611}, {u'a', 556},
                          {u'h', 611}, {u'i', 278}, {u'l', 278}, {u'n', 611},
                          {u'p', 611}, {u'r', 389}, {u't', 333}, {u'u', 611}};
const Widths kSerifBold = {{u'W', 1000}, {u'a', 500}, {u'x', 500}};
const Widths kSans = {{u'E', 667}, {u'M', 833}, {u'S', 667}, {u'T', 611}, {u'U', 722}, {u'a', 556},
                      {u'c', 500}, {u'e', 556}, {u'g', 556}, {u'h', 556}, {u'i', 222}, {u'l', 222},
                      {u'o', 556}, {u'p', 556}, {u'r', 333}, {u't', 278}};
const Widths kDejaVu = {{u'O', 787}, {u'e', 615}, {u'i', 278}, {u'l', 278},
                        {u'n', 634}, {u't', 392}, {u'u', 634}};

// EMR_EXTTEXTOUTW of `text` at an em of `em` logical units, with the
// advances GDI records, drawn in `graphicsMode`.
void Text(EmfBuilder& b, emfbuild::Point at, const std::u16string& text, const Widths& widths,
          int em, uint32_t graphicsMode = kCompatible) {
  std::vector<uint8_t> p;
  emfbuild::PutRect(p, {0, 0, -1, -1});  // rclBounds
  for (uint32_t v : {graphicsMode, 0u, 0u}) emfbuild::PutU32(p, v);
  emfbuild::PutI32(p, at.x);
  emfbuild::PutI32(p, at.y);
  const auto n = static_cast<uint32_t>(text.size());
  const uint32_t padded = (2 * n + 3) & ~3u;
  for (uint32_t v : {n, 76u, 0u}) emfbuild::PutU32(p, v);  // the string follows at 76
  emfbuild::PutRect(p, {0, 0, -1, -1});
  emfbuild::PutU32(p, 76 + padded);
  for (char16_t u : text) emfbuild::PutU16(p, u);
  p.resize(p.size() + padded - 2 * n, 0);
  for (char16_t u : text) emfbuild::PutI32(p, (widths.at(u) * em + 500) / 1000);
  b.record(84, p);
}

// Large bold faces as a clip over coloured bands and a hatch: only the
// letters show the pattern.
EmfBuilder TextClip() {
  EmfBuilder b(200, 200);
  b.extCreateFontIndirectW(1, -90, u"Arial", 700).selectObject(1);
  b.beginPath();
  Text(b, {8, 0}, u"Clip", kSansBold, 90);
  b.extCreateFontIndirectW(2, -80, u"Times New Roman", 700).selectObject(2);
  Text(b, {8, 100}, u"Wax", kSerifBold, 80);
  b.endPath().selectClipPath(5);
  b.selectObject(kNullPen);
  const uint32_t bands[] = {Rgb(200, 0, 0), Rgb(0, 150, 0), Rgb(0, 0, 200), Rgb(230, 140, 0),
                            Rgb(120, 0, 160)};
  for (int i = 0; i < 5; ++i) {
    b.createBrushIndirect(3 + i, 0, bands[i]).selectObject(3 + i);
    b.rectangle({0, 40 * i, 201, 40 * i + 41});
  }
  b.setBkMode(1).createBrushIndirect(8, 2, Rgb(0, 0, 0), 5).selectObject(8);
  b.rectangle({0, 0, 201, 201});
  return b;
}

// Outlines stroked and filled, stroked only and filled only, in several
// faces and sizes, one turned by 30 degrees and one centred on its
// baseline.
EmfBuilder TextStrokeAndFill() {
  EmfBuilder b(200, 200);
  b.createPen(1, 0, 2, Rgb(0, 0, 128)).selectObject(1);
  b.createBrushIndirect(2, 0, Rgb(255, 200, 0)).selectObject(2);
  b.extCreateFontIndirectW(3, -64, u"Arial", 700).selectObject(3);
  b.beginPath();
  Text(b, {6, 0}, u"Path", kSansBold, 64);
  b.endPath().strokeAndFillPath();
  b.extCreateFontIndirectW(4, -30, u"DejaVu Sans").selectObject(4);
  b.createPen(5, 0, 1, Rgb(160, 0, 0)).selectObject(5);
  b.beginPath();
  Text(b, {8, 70}, u"Outline", kDejaVu, 30);
  b.endPath().strokePath();
  b.extCreateFontIndirectW(6, -40, u"Arial", 700, 300).selectObject(6).setTextAlign(kBaseline);
  b.beginPath();
  Text(b, {20, 190}, u"Turn", kSansBold, 40);
  b.endPath().selectObject(1).strokeAndFillPath();
  b.extCreateFontIndirectW(7, -26, u"Arial").selectObject(7).setTextAlign(kBaseline | kCentre);
  b.beginPath();
  Text(b, {150, 190}, u"Stretch", kSans, 26);
  b.endPath().fillPath();
  return b;
}

// Underlined and struck-out text in paths: the bars are figures of the
// path, filled and stroked with the letters.
EmfBuilder TextDecorationsInPath() {
  EmfBuilder b(200, 200);
  b.createPen(1, 0, 1, Rgb(0, 0, 128)).selectObject(1);
  b.createBrushIndirect(2, 0, Rgb(0, 160, 80)).selectObject(2);
  b.extCreateFontIndirectW(3, -64, u"Arial", 700, 0, true, true).selectObject(3);
  b.beginPath();
  Text(b, {6, 0}, u"Cut", kSansBold, 64);
  b.endPath().strokeAndFillPath();
  b.extCreateFontIndirectW(4, -48, u"Arial", 400, 0, true, false).selectObject(4);
  b.beginPath();
  Text(b, {6, 90}, u"Script", kSans, 48);
  b.endPath().fillPath();
  b.extCreateFontIndirectW(5, -40, u"Arial", 700, 0, false, true).selectObject(5);
  b.beginPath();
  Text(b, {6, 150}, u"Plan", kSansBold, 40);
  b.endPath().strokePath();
  return b;
}

// Advanced-mode text follows a mirror: eM11 = -1 reads backwards (also
// centred on its baseline), eM22 = -1 stands on its head; the first row is
// plain. Mirrored rows stand on their baselines: Wine offsets a top-aligned
// text's baseline as if the text stood upright, against the advanced
// mode's documented full conformance to the transform; on the baseline
// there is no offset.
EmfBuilder MirroredText() {
  EmfBuilder b(200, 200);
  b.extCreateFontIndirectW(1, -28, u"Arial").selectObject(1);
  Text(b, {10, 4}, u"Mirror", kSans, 28, kAdvanced);
  b.setWorldTransform({-1, 0, 0, 1, 200, 0});
  Text(b, {10, 50}, u"Mirror", kSans, 28, kAdvanced);
  b.setTextAlign(kBaseline | kCentre);
  Text(b, {100, 185}, u"Mirror", kSans, 28, kAdvanced);
  b.setTextAlign(kBaseline).setWorldTransform({1, 0, 0, -1, 0, 200});
  Text(b, {10, 100}, u"Mirror", kSans, 28, kAdvanced);
  return b;
}

// Mirrored advanced-mode text with an escapement of 20 degrees: the mirror
// turns it the other way.
EmfBuilder MirroredTurnedText() {
  EmfBuilder b(200, 200);
  b.extCreateFontIndirectW(1, -24, u"Arial", 400, 200).selectObject(1).setTextAlign(kBaseline);
  b.setWorldTransform({1, 0, 0, -1, 0, 200});
  Text(b, {10, 150}, u"Mirror", kSans, 24, kAdvanced);
  b.setWorldTransform({-1, 0, 0, 1, 200, 0});
  Text(b, {10, 180}, u"Mirror", kSans, 24, kAdvanced);
  return b;
}

// Advanced-mode text under a scale of 0.8 across and 1.6 up is tall and
// narrow, turned by its escapement too (on its baseline, where Wine's
// upright top offset does not show); under 1.6 by 0.8 it is wide.
EmfBuilder StretchedText() {
  EmfBuilder b(200, 200);
  b.setWorldTransform({0.8f, 0, 0, 1.6f, 0, 0});
  b.extCreateFontIndirectW(1, -22, u"Arial").selectObject(1);
  Text(b, {8, 2}, u"Stretch", kSans, 22, kAdvanced);
  b.extCreateFontIndirectW(2, -20, u"Arial", 400, 300).selectObject(2).setTextAlign(kBaseline);
  Text(b, {20, 110}, u"TallUp", kSans, 20, kAdvanced);
  b.setTextAlign(0);
  b.setWorldTransform({1.6f, 0, 0, 0.8f, 0, 0});
  b.extCreateFontIndirectW(3, -30, u"Arial").selectObject(3);
  Text(b, {25, 75}, u"Stretch", kSans, 30, kAdvanced);
  return b;
}

}  // namespace

void AppendTextPages(std::vector<GdiPage>& pages) {
  pages.push_back({"text-path-clip", TextClip()});
  pages.push_back({"text-path-stroke-fill", TextStrokeAndFill()});
  pages.push_back({"text-path-decorations", TextDecorationsInPath()});
  pages.push_back({"text-mirrored", MirroredText()});
  pages.push_back({"text-mirrored-turned", MirroredTurnedText()});
  pages.push_back({"text-stretched", StretchedText()});
}

}  // namespace gdi_test
