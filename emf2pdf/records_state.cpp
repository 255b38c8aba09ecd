// State records: mapping, colours, modes, alignment, world transforms.
#include "emf2pdf/emf_records.h"
#include "emf2pdf/emw_parser.h"
#include "pdf/page.h"

namespace emf2pdf {

using namespace emr;

void TEMWParser::OnNothing(RecordReader&) {}

// A zero extent is refused, as the platform refuses it; it would otherwise
// become a divisor of every later coordinate.
void TEMWParser::OnSetWindowExtEx(RecordReader& in) {
  const SizeL ext = in.SizeL32();
  if (ext.cx == 0 || ext.cy == 0) throw MalformedRecord("zero window extent");
  dc_.Current().windowExt = ext;
}

void TEMWParser::OnSetWindowOrgEx(RecordReader& in) { dc_.Current().windowOrg = in.PointL32(); }

void TEMWParser::OnSetViewportExtEx(RecordReader& in) {
  const SizeL ext = in.SizeL32();
  if (ext.cx == 0 || ext.cy == 0) throw MalformedRecord("zero viewport extent");
  dc_.Current().viewportExt = ext;
}

void TEMWParser::OnSetViewportOrgEx(RecordReader& in) { dc_.Current().viewportOrg = in.PointL32(); }

void TEMWParser::OnSetMapMode(RecordReader& in) {
  dc_.Current().mapMode = in.U32();
  state_.stateDirty = true;
}

void TEMWParser::OnSetBkMode(RecordReader& in) {
  const uint32_t mode = in.U32();
  dc_.Current().bkMode = mode;
  state_.bkOpaque = mode != TRANSPARENT;
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

void TEMWParser::OnSetTextColor(RecordReader& in) {
  dc_.Current().textColor = in.U32();
  if (state_.textColorMode) WriteTextFillColor();
}

void TEMWParser::OnSetBkColor(RecordReader& in) { dc_.Current().bkColor = in.U32(); }

void TEMWParser::OnMoveToEx(RecordReader& in) {
  const PointL p = in.PointL32();
  state_.position = p;
  if (state_.pathBracket) {
    if (state_.textColorMode) EndTextColorMode();
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

void TEMWParser::OnScaleViewportExtEx(RecordReader& in) {
  const Scaling s = ReadScaling(in);
  state_.viewportScaling = true;
  state_.vxNum = s.xNum;
  state_.vxDenom = s.xDenom;
  state_.vyNum = s.yNum;
  state_.vyDenom = s.yDenom;
}

void TEMWParser::OnScaleWindowExtEx(RecordReader& in) {
  const Scaling s = ReadScaling(in);
  state_.windowScaling = true;
  state_.wxNum = s.xNum;
  state_.wxDenom = s.xDenom;
  state_.wyNum = s.yNum;
  state_.wyDenom = s.yDenom;
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
