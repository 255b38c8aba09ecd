// State records: mapping, colours, modes, alignment, world transforms.
#include <algorithm>
#include <cmath>

#include "emf2pdf/emf_records.h"
#include "emf2pdf/emw_parser.h"

namespace emf2pdf {

using namespace emr;

void TEMWParser::OnNothing(RecordReader&) {}

// A zero extent is refused, as the platform refuses it; it would otherwise
// become a divisor of every later coordinate.
void TEMWParser::OnSetWindowExtEx(RecordReader& in) {
  const SizeL ext = in.SizeL32();
  if (ext.cx == 0 || ext.cy == 0) throw MalformedRecord("zero window extent");
  dc_.Current().windowExt = ext;
  FixIsotropic();
}

void TEMWParser::OnSetWindowOrgEx(RecordReader& in) { dc_.Current().windowOrg = in.PointL32(); }

void TEMWParser::OnSetViewportExtEx(RecordReader& in) {
  const SizeL ext = in.SizeL32();
  if (ext.cx == 0 || ext.cy == 0) throw MalformedRecord("zero viewport extent");
  dc_.Current().viewportExt = ext;
  FixIsotropic();
}

void TEMWParser::OnSetViewportOrgEx(RecordReader& in) { dc_.Current().viewportOrg = in.PointL32(); }

void TEMWParser::OnSetMapMode(RecordReader& in) {
  const uint32_t mode = in.U32();
  ShadowDC::Values& dc = dc_.Current();
  // Isotropic mode starts from the metric extents, like MM_LOMETRIC.
  if (mode == MM_ISOTROPIC && dc.mapMode != MM_ISOTROPIC) {
    auto tenths = [](int32_t mm) {
      return static_cast<int32_t>(std::clamp<int64_t>(int64_t{mm} * 10, INT32_MIN, INT32_MAX));
    };
    dc.windowExt = {tenths(emf_.Header().szlMillimeters.cx),
                    tenths(emf_.Header().szlMillimeters.cy)};
    dc.viewportExt = {emf_.Header().szlDevice.cx, -emf_.Header().szlDevice.cy};
    if (dc.windowExt.cx == 0 || dc.windowExt.cy == 0 || dc.viewportExt.cx == 0 ||
        dc.viewportExt.cy == 0)
      dc.windowExt = dc.viewportExt = {1, 1};
  }
  dc.mapMode = mode;
}

void TEMWParser::OnSetBkMode(RecordReader& in) {
  const uint32_t mode = in.U32();
  dc_.Current().bkMode = mode;
  state_.bkOpaque = mode != TRANSPARENT;
}

// Raster operations without a blend mode of their own are drawn as copies.
Blend TEMWParser::BlendOfRop2(uint32_t rop2) {
  switch (rop2) {
    case R2_MASKPEN:
      return Blend::kMultiply;
    case R2_MERGEPEN:
      return Blend::kScreen;
    case R2_XORPEN:
    case R2_NOT:
      return Blend::kDifference;
    case R2_NOP:
      return Blend::kNone;
    default:
      return Blend::kCopy;
  }
}

// The raster operations that ignore or invert the pen's or brush's colour.
uint32_t TEMWParser::Rop2Color(uint32_t color) const {
  switch (dc_.Current().rop2) {
    case R2_BLACK:
      return 0x000000;
    case R2_WHITE:
    case R2_NOT:  // white in the Difference mode inverts
      return 0xFFFFFF;
    case R2_NOTCOPYPEN:
      return ~color & 0xFFFFFF;
    default:
      return color;
  }
}

namespace {

bool PureColor(uint32_t color) {
  for (int shift : {0, 8, 16}) {
    const uint32_t channel = (color >> shift) & 0xFF;
    if (channel != 0 && channel != 0xFF) return false;
  }
  return true;
}

}  // namespace

bool TEMWParser::BrushColorsPure() const {
  const uint32_t bk = ResolvePalette(dc_.Current().bkColor);
  if (state_.tile) {
    if (state_.tile->mono)
      return PureColor(ResolvePalette(dc_.Current().textColor)) && PureColor(bk);
    return std::all_of(state_.tile->pixels.begin(), state_.tile->pixels.end(), PureColor);
  }
  const bool colorPure = PureColor(ResolvePalette(state_.brushColor));
  if (state_.hatch >= 0 && state_.bkOpaque) return colorPure && PureColor(bk);
  return colorPure;
}

bool TEMWParser::Rop2ReadsDestination() const {
  const uint32_t rop2 = dc_.Current().rop2;
  return rop2 >= R2_BLACK && rop2 <= R2_WHITE && rop2 != R2_BLACK && rop2 != R2_WHITE &&
         rop2 != R2_COPYPEN && rop2 != R2_NOTCOPYPEN;
}

// Blend modes stand for XOR (Difference), AND (Multiply) and OR (Screen)
// exactly where each channel of the colour is 0 or 255; the operations
// that ignore what lies under them are plain colours, and a pattern brush
// is drawn only as it is.
bool TEMWParser::Rop2DrawsExactly(bool brush) const {
  const bool pattern = brush && PatternBrush();
  switch (dc_.Current().rop2) {
    case R2_COPYPEN:
    case R2_NOP:
      return true;
    case R2_BLACK:
    case R2_WHITE:
    case R2_NOTCOPYPEN:
      return !pattern;
    case R2_NOT:
      return !pattern && device_->DrawsBlendModes();
    case R2_XORPEN:
    case R2_MASKPEN:
    case R2_MERGEPEN:
      return device_->DrawsBlendModes() &&
             (brush ? BrushColorsPure() : PureColor(ResolvePalette(state_.penColor)));
    default:
      // Codes outside R2_BLACK .. R2_WHITE are drawn as copies.
      return dc_.Current().rop2 < R2_BLACK || dc_.Current().rop2 > R2_WHITE;
  }
}

void TEMWParser::OnSetRop2(RecordReader& in) {
  dc_.Current().rop2 = in.U32();
  state_.blend = BlendOfRop2(dc_.Current().rop2);
}

void TEMWParser::OnSetPolyFillMode(RecordReader& in) {
  const uint32_t mode = in.U32();
  dc_.Current().polyFillMode = mode;
  state_.fillAlternate = mode == ALTERNATE;
}

void TEMWParser::OnSetStretchBltMode(RecordReader& in) { dc_.Current().stretchBltMode = in.U32(); }

void TEMWParser::OnSetTextAlign(RecordReader& in) {
  const uint32_t flags = in.U32();
  dc_.Current().textAlign = flags;
  ApplyTextAlign(flags);
}

void TEMWParser::ApplyTextAlign(uint32_t flags) {
  switch (flags & 6) {
    case 0:
      state_.hAlign = HAlign::kLeft;
      break;
    case 2:
      state_.hAlign = HAlign::kRight;
      break;
    case 6:
      state_.hAlign = HAlign::kCenter;
      break;
    default:
      break;
  }
  switch (flags & 0x18) {
    case 0:
      state_.vAlign = VAlign::kTop;
      break;
    case 8:
      state_.vAlign = VAlign::kBottom;
      break;
    case 24:
      state_.vAlign = VAlign::kBaseline;
      break;
    default:
      break;
  }
  state_.updateCP = (flags & TA_UPDATECP) != 0;
}

void TEMWParser::OnSetTextColor(RecordReader& in) { dc_.Current().textColor = in.U32(); }

void TEMWParser::OnSetBkColor(RecordReader& in) { dc_.Current().bkColor = in.U32(); }

void TEMWParser::OnMoveToEx(RecordReader& in) {
  const PointL p = in.PointL32();
  state_.position = p;
  if (state_.pathBracket) {
    const auto mapped = Map(p);
    PathMoveTo(mapped.x, mapped.y);
  }
}

namespace {

struct Scaling {
  int32_t xNum, xDenom, yNum, yDenom;
};

// The platform refuses a scaling with a zero numerator or denominator.
Scaling ReadScaling(RecordReader& in) {
  Scaling s;
  s.xNum = in.I32();
  s.xDenom = in.I32();
  s.yNum = in.I32();
  s.yDenom = in.I32();
  if (s.xNum == 0 || s.xDenom == 0 || s.yNum == 0 || s.yDenom == 0)
    throw MalformedRecord("zero scaling factor");
  return s;
}

}  // namespace

namespace {

int32_t ScaledExtent(int32_t extent, int32_t num, int32_t denom) {
  const int64_t scaled = static_cast<int64_t>(extent) * num / denom;
  if (scaled == 0) return 1;
  return static_cast<int32_t>(std::clamp<int64_t>(scaled, INT32_MIN, INT32_MAX));
}

}  // namespace

// Scaling changes the extents themselves, and only where extents count.
void TEMWParser::OnScaleViewportExtEx(RecordReader& in) {
  const Scaling s = ReadScaling(in);
  ShadowDC::Values& dc = dc_.Current();
  if (dc.mapMode != MM_ISOTROPIC && dc.mapMode != MM_ANISOTROPIC) return;
  dc.viewportExt = {ScaledExtent(dc.viewportExt.cx, s.xNum, s.xDenom),
                    ScaledExtent(dc.viewportExt.cy, s.yNum, s.yDenom)};
  FixIsotropic();
}

void TEMWParser::OnScaleWindowExtEx(RecordReader& in) {
  const Scaling s = ReadScaling(in);
  ShadowDC::Values& dc = dc_.Current();
  if (dc.mapMode != MM_ISOTROPIC && dc.mapMode != MM_ANISOTROPIC) return;
  dc.windowExt = {ScaledExtent(dc.windowExt.cx, s.xNum, s.xDenom),
                  ScaledExtent(dc.windowExt.cy, s.yNum, s.yDenom)};
  FixIsotropic();
}

// MM_ISOTROPIC keeps one scale on both axes (in millimetres of the reference
// device): the viewport extent of the axis that would be stretched more is
// shrunk to match the other.
void TEMWParser::FixIsotropic() {
  ShadowDC::Values& dc = dc_.Current();
  if (dc.mapMode != MM_ISOTROPIC) return;
  const double xdim =
      static_cast<double>(dc.viewportExt.cx) / (dc.windowExt.cx * pixelsPerMillimetreX_);
  const double ydim =
      static_cast<double>(dc.viewportExt.cy) / (dc.windowExt.cy * pixelsPerMillimetreY_);
  if (!std::isfinite(xdim) || !std::isfinite(ydim) || xdim == 0 || ydim == 0) return;
  auto shrink = [](int32_t& extent, double factor) {
    const int32_t sign = extent >= 0 ? 1 : -1;
    extent = static_cast<int32_t>(std::floor(extent * std::fabs(factor) + 0.5));
    if (extent == 0) extent = sign;
  };
  if (std::fabs(xdim) > std::fabs(ydim))
    shrink(dc.viewportExt.cx, ydim / xdim);
  else
    shrink(dc.viewportExt.cy, xdim / ydim);
}

void TEMWParser::OnSetWorldTransform(RecordReader& in) { state_.world = in.XForm32(); }

void TEMWParser::OnModifyWorldTransform(RecordReader& in) {
  const XForm xform = in.XForm32();
  switch (in.U32()) {
    case MWT_IDENTITY:
      state_.world = XForm();
      break;
    case MWT_LEFTMULTIPLY:
      state_.world = Multiply(xform, state_.world);
      break;
    case MWT_RIGHTMULTIPLY:
      state_.world = Multiply(state_.world, xform);
      break;
    case MWT_SET:
      state_.world = xform;
      break;
    default:
      break;
  }
}

void TEMWParser::OnSetArcDirection(RecordReader& in) {
  const uint32_t direction = in.U32();
  dc_.Current().arcDirection = direction;
  state_.arcCounterClockwise = direction == AD_COUNTERCLOCKWISE;
}

}  // namespace emf2pdf
