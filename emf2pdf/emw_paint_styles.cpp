// The pen and brush in force as the device draws them, and the painting of
// the path built by the records.
#include <cstdio>
#include <exception>

#include "emf2pdf/emw_parser.h"
#include "platform/raster_ops.h"

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

FillStyle TEMWParser::RawBrush(bool evenOdd) {
  FillStyle brush = BrushFill(evenOdd);
  brush.color = ResolvePalette(state_.brushColor);
  brush.blend = Blend::kCopy;
  return brush;
}

bool TEMWParser::Compose(const RasterOperation& operation) {
  try {
    return compositor_->Compose(operation, *device_, pictureBudget_);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "tallowcraft: %s: a raster operation is drawn as vectors: %s\n",
                 emf_.Name().c_str(), error.what());
    return false;
  }
}

// GDI fills a shape, then draws its outline, each through the ROP2; the
// part blend modes draw exactly stays a vector drawing.
bool TEMWParser::ComposeRop2(bool fill, bool evenOdd, bool stroke) {
  if (compositor_ == nullptr) return false;
  const bool joins = compositingRop2_ && Rop2ReadsDestination();
  const bool fillRaster = fill && (joins || !Rop2DrawsExactly(true));
  const bool strokeRaster = stroke && (joins || !Rop2DrawsExactly(false));
  if (!fillRaster && !strokeRaster) return false;
  RasterOperation op;
  op.rop = platform::RopOfRop2(dc_.Current().rop2);
  op.shape = &path_;
  if (fill) {
    const FillStyle brush = fillRaster ? RawBrush(evenOdd) : BrushFill(evenOdd);
    op.evenOdd = evenOdd;
    op.pattern = &brush;
    if (!fillRaster || !(compositingRop2_ = Compose(op))) {
      const FillStyle drawn = BrushFill(evenOdd);
      device_->DrawPath(path_, &drawn, nullptr);
    }
  }
  if (stroke) {
    const FillStyle penColor = SolidFill(ResolvePalette(state_.penColor));
    op.pattern = &penColor;
    op.outline = &PenStroke();
    if (!strokeRaster || !(compositingRop2_ = Compose(op)))
      device_->DrawPath(path_, nullptr, &PenStroke());
  }
  return true;
}

void TEMWParser::PaintPath(bool fill, bool evenOdd, bool stroke) {
  if ((fill || stroke) && !ComposeRop2(fill, evenOdd, stroke)) {
    const FillStyle brush = fill ? BrushFill(evenOdd) : FillStyle();
    device_->DrawPath(path_, fill ? &brush : nullptr, stroke ? &PenStroke() : nullptr);
  }
  path_.Clear();
}

}  // namespace emf2pdf
