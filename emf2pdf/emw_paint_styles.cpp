// The pen and brush in force as the device draws them, and the painting of
// the path built by the records.
#include "emf2pdf/emw_parser.h"

namespace emf2pdf {

namespace {

// XOR is the Difference blend mode where, channel by channel, the colour or
// what lies under it is 0 or 255: so it is for lines over a plain ground.
// Fills of other colours overlap what an earlier XOR made (programs draw
// gradients from overlapping XOR bands of near-white colours, which the
// Difference mode would turn dark): they are drawn as copies.
Blend FillBlendFor(Blend blend, uint32_t color) {
  if (blend != Blend::kDifference) return blend;
  for (int shift : {0, 8, 16}) {
    const uint32_t channel = (color >> shift) & 0xFF;
    if (channel != 0 && channel != 0xFF) return Blend::kCopy;
  }
  return blend;
}

}  // namespace

const StrokeStyle& TEMWParser::PenStroke() {
  if (penStroke_) return *penStroke_;
  const EmwObject& pen = dc_.Current().pen;
  // A mapping that gives no width leaves the width as it was; the drawing
  // records under it are dropped on their own.
  try {
    state_.penWidth = PenDeviceWidth(pen);
  } catch (const MalformedRecord&) {
  }
  StrokeStyle stroke;
  stroke.color = Rop2Color(state_.penColor);
  stroke.width = state_.penWidth * fx_;
  stroke.dash = PenDash(state_.penStyle);
  PenCapAndJoin(pen, stroke);
  if (state_.roundCaps) stroke.cap = 1;
  stroke.blend = state_.blend;
  return penStroke_.emplace(std::move(stroke));
}

FillStyle TEMWParser::SolidFill(uint32_t color) const {
  FillStyle fill;
  fill.color = color;
  return fill;
}

// GDI repeats the cells of hatched and pattern brushes from the device
// origin in device pixels, whatever the mapping; a hatch lies over the
// background colour when the background mode is opaque.
FillStyle TEMWParser::BrushFill(bool evenOdd) {
  FillStyle fill = SolidFill(Rop2Color(ResolvePalette(state_.brushColor)));
  fill.evenOdd = evenOdd;
  fill.blend = FillBlendFor(state_.blend, fill.color);
  if (!PatternBrush()) return fill;
  const auto& dc = dc_.Current();
  const uint32_t bk = ResolvePalette(dc.bkColor);
  brushPattern_ = FillPattern();
  if (state_.tile) {
    brushPattern_.tile = state_.tile;
    // Only a mono tile takes its colours from the context.
    if (state_.tile->mono) {
      brushPattern_.textColor = ResolvePalette(dc.textColor);
      brushPattern_.bkColor = bk;
    }
  } else {
    brushPattern_.hatch = state_.hatch;
    brushPattern_.color = ResolvePalette(state_.brushColor);
    if (state_.bkOpaque) brushPattern_.background = bk;
  }
  fill.pattern = &brushPattern_;
  fill.patternOrigin = {-originX_, -originY_};
  fill.patternUnitX = fx_;
  fill.patternUnitY = fy_;
  return fill;
}

void TEMWParser::PaintPath(bool fill, bool evenOdd, bool stroke) {
  if (fill || stroke) {
    const FillStyle brush = fill ? BrushFill(evenOdd) : FillStyle();
    device_->DrawPath(path_, fill ? &brush : nullptr, stroke ? &PenStroke() : nullptr);
  }
  path_.Clear();
}

}  // namespace emf2pdf
