// Object records (pens, brushes, fonts) and saved states.
#include <cmath>

#include <string>
#include <vector>

#include "emf2pdf/emf_records.h"
#include "emf2pdf/emw_parser.h"

namespace emf2pdf {

using namespace emr;

namespace {

LogFont ReadLogFontW(RecordReader& in) {
  LogFont f;
  f.lfHeight = in.I32();
  f.lfWidth = in.I32();
  f.lfEscapement = in.I32();
  f.lfOrientation = in.I32();
  f.lfWeight = in.I32();
  f.lfItalic = in.U8();
  f.lfUnderline = in.U8();
  f.lfStrikeOut = in.U8();
  f.lfCharSet = in.U8();
  f.lfOutPrecision = in.U8();
  f.lfClipPrecision = in.U8();
  f.lfQuality = in.U8();
  f.lfPitchAndFamily = in.U8();
  f.lfFaceName.clear();
  for (int i = 0; i < 32; ++i) {
    const char16_t c = static_cast<char16_t>(in.U16());
    if (c == 0) break;
    f.lfFaceName.push_back(c);
  }
  return f;
}

// The values whose change makes the page select the font again.
bool SameFontSelection(const LogFont& a, const LogFont& b) {
  return a.lfFaceName == b.lfFaceName && a.lfWeight == b.lfWeight && a.lfItalic == b.lfItalic &&
         a.lfUnderline == b.lfUnderline && a.lfStrikeOut == b.lfStrikeOut &&
         a.lfCharSet == b.lfCharSet && a.lfHeight == b.lfHeight;
}

EmwObject StockBrush(uint32_t color) {
  EmwObject brush;
  brush.kind = EmwObject::Kind::kBrush;
  brush.color = color;
  return brush;
}

}  // namespace

void TEMWParser::StoreObject(uint32_t index, const EmwObject& object) {
  if (index >= objects_.size()) return;
  objects_[index] = object;
}

void TEMWParser::OnCreatePen(RecordReader& in) {
  const uint32_t index = in.U32();
  EmwObject pen;
  pen.kind = EmwObject::Kind::kPen;
  pen.style = in.U32();
  pen.width = in.PointL32().x;
  pen.color = in.U32();
  StoreObject(index, pen);
}

void TEMWParser::OnExtCreatePen(RecordReader& in) {
  const uint32_t index = in.U32();
  in.Skip(16);  // offBmi, cbBmi, offBits, cbBits: pattern pens are drawn solid
  EmwObject pen;
  pen.kind = EmwObject::Kind::kPen;
  const uint32_t style = in.U32();
  pen.style = style & 0x0F;
  const uint32_t width = in.U32();
  pen.width = width > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int32_t>(width);
  // A cosmetic pen is one device pixel wide, whatever width it names.
  if ((style & 0x000F0000u) == 0) pen.width = 0;
  pen.geometric = (style & 0x000F0000u) != 0;
  pen.capAndJoin = style & 0x0000FF00u;
  in.U32();  // elpBrushStyle
  pen.color = in.U32();
  // elpHatch, then the user style: at most 16 entries, as GDI takes them.
  if (pen.style == PS_USERSTYLE && in.Remaining() >= 8) {
    in.U32();
    const uint32_t count = in.U32();
    if (count > 0 && count <= 16) pen.userStyle = in.U32s(count);
  }
  StoreObject(index, pen);
}

void TEMWParser::OnCreateBrushIndirect(RecordReader& in) {
  const uint32_t index = in.U32();
  EmwObject brush;
  brush.kind = EmwObject::Kind::kBrush;
  brush.style = in.U32();
  brush.color = in.U32();
  brush.hatch = in.U32();
  StoreObject(index, brush);
}

void TEMWParser::OnExtCreateFontIndirectW(RecordReader& in) {
  const uint32_t index = in.U32();
  EmwObject font;
  font.kind = EmwObject::Kind::kFont;
  font.font = ReadLogFontW(in);
  StoreObject(index, font);
}

void TEMWParser::OnDeleteObject(RecordReader& in) {
  const uint32_t index = in.U32();
  if (index < objects_.size()) objects_[index].reset();
}

void TEMWParser::OnSelectObject(RecordReader& in) {
  const uint32_t index = in.U32();
  if (index & STOCK_OBJECT_FLAG) {
    SelectStockObject(index & ~STOCK_OBJECT_FLAG);
    return;
  }
  if (index >= objects_.size() || !objects_[index]) return;
  const EmwObject& object = *objects_[index];
  switch (object.kind) {
    case EmwObject::Kind::kPen:
      dc_.Current().pen = object;
      TakeOverPen(object);
      break;
    case EmwObject::Kind::kBrush:
      dc_.Current().brush = object;
      TakeOverBrush(object);
      break;
    case EmwObject::Kind::kFont:
      TakeOverFont(object, false);
      dc_.Current().font.font = state_.font;
      break;
    case EmwObject::Kind::kNone:
      break;
  }
}

void TEMWParser::SelectStockObject(uint32_t stock) {
  static constexpr uint32_t kBrushColors[] = {0xFFFFFF, 0xAAAAAA, 0x808080, 0x666666, 0x000000};
  if (stock <= NULL_BRUSH) {
    const uint32_t color = stock == NULL_BRUSH ? 0xFFFFFF : kBrushColors[stock];
    EmwObject brush = StockBrush(color);
    if (stock == NULL_BRUSH) brush.style = BS_NULL;
    dc_.Current().brush = brush;
    state_.brushColor = color;
    state_.nullBrush = stock == NULL_BRUSH;
    state_.hatch = -1;
    state_.tile.reset();
    return;
  }
  if (stock == WHITE_PEN || stock == BLACK_PEN) {
    EmwObject pen;
    pen.kind = EmwObject::Kind::kPen;
    pen.color = stock == WHITE_PEN ? 0xFFFFFF : 0x000000;
    dc_.Current().pen = pen;
    state_.penColor = pen.color;
    state_.penWidth = PenDeviceWidth(pen);
    state_.penStyle = PS_SOLID;
    return;
  }
  if (stock == NULL_PEN) {
    EmwObject pen;
    pen.kind = EmwObject::Kind::kPen;
    pen.style = PS_NULL;
    dc_.Current().pen = pen;
    state_.penStyle = PS_NULL;
    return;
  }
  if (stock >= OEM_FIXED_FONT && stock <= SYSTEM_FONT) {
    state_.font.lfFaceName = u"Arial";
    state_.fontChanged = true;
    dc_.Current().font.font = state_.font;
  }
}

// Cosmetic dashes are lengths in device pixels, as GDI draws them; a
// geometric pen's are multiples of its width; user styles are logical
// lengths for geometric pens.
std::vector<double> TEMWParser::PenDash(uint32_t penStyle) const {
  const EmwObject& pen = dc_.Current().pen;
  std::vector<double> lengths;
  double unit = 1;
  if (pen.geometric) {
    try {
      unit = penStyle == PS_USERSTYLE ? PenScale() : PenDeviceWidth(pen);
    } catch (const MalformedRecord&) {
      unit = 1;
    }
  }
  switch (penStyle) {
    case PS_SOLID:
    case PS_INSIDEFRAME:
      return {};
    case PS_USERSTYLE:
      lengths.assign(pen.userStyle.begin(), pen.userStyle.end());
      break;
    case PS_DASH:
      lengths = pen.geometric ? std::vector<double>{3, 1} : std::vector<double>{18, 6};
      break;
    case PS_DOT:
      lengths = pen.geometric ? std::vector<double>{1, 1} : std::vector<double>{3, 3};
      break;
    case PS_DASHDOT:
      lengths = pen.geometric ? std::vector<double>{3, 1, 1, 1} : std::vector<double>{9, 6, 3, 6};
      break;
    case PS_DASHDOTDOT:
      lengths = pen.geometric ? std::vector<double>{3, 1, 1, 1, 1, 1}
                              : std::vector<double>{9, 3, 3, 3, 3, 3};
      break;
    case PS_ALTERNATE:
      lengths = {1, 1};
      break;
    default:
      return {};
  }
  // All gaps of zero length would be a solid line PDF readers may refuse.
  double total = 0;
  for (double length : lengths) total += length * unit;
  if (lengths.empty() || !(total > 0) || !std::isfinite(total)) return {};
  for (double& length : lengths) length *= unit * fx_;
  return lengths;
}

// PDF caps: 0 butt, 1 round, 2 square; joins: 0 miter, 1 round, 2 bevel.
void TEMWParser::PenCapAndJoin(const EmwObject& pen, StrokeStyle& stroke) const {
  int cap = options_.LineCap, join = options_.LineJoin;
  if (pen.geometric) {
    const uint32_t endcap = pen.capAndJoin & 0x0F00u, joinBits = pen.capAndJoin & 0xF000u;
    cap = endcap == PS_ENDCAP_SQUARE ? 2 : endcap == PS_ENDCAP_FLAT ? 0 : 1;
    join = joinBits == PS_JOIN_BEVEL ? 2 : joinBits == PS_JOIN_MITER ? 0 : 1;
  }
  stroke.cap = cap;
  stroke.join = join;
}

void TEMWParser::TakeOverPen(const EmwObject& pen) {
  state_.penColor = ResolvePalette(pen.color);
  // CreatePen draws wide pens solid; EXTCREATEPEN's geometric pens dash.
  state_.penStyle = pen.width > 1 && !pen.geometric ? PS_SOLID : pen.style;
  state_.penWidth = PenDeviceWidth(pen);
}

// A width of 0 is one pixel of the device that draws it; the reference
// device's pixel stands for it, but never more than a logical unit, since a
// small picture is stretched onto the page. Others are logical lengths along
// x, turned and scaled with the transform.
double TEMWParser::PenDeviceWidth(const EmwObject& pen) const {
  return pen.width == 0 ? std::min(1.0, PenScale()) : PenScale() * pen.width;
}

void TEMWParser::TakeOverBrush(const EmwObject& brush) {
  state_.nullBrush = false;
  state_.brushColor = brush.color;
  if (brush.style == BS_NULL) state_.nullBrush = true;
  state_.hatch = brush.style == BS_HATCHED && brush.hatch <= 5 ? static_cast<int>(brush.hatch) : -1;
  state_.tile = brush.style == BS_NULL ? nullptr : brush.tile;
}

void TEMWParser::TakeOverFont(const EmwObject& object, bool restoring) {
  LogFont font = object.font;
  if (font.lfFaceName.find(u'?') != std::u16string::npos)
    font.lfFaceName = dc_.Current().font.font.lfFaceName;
  const bool sameSelection = SameFontSelection(font, state_.font);
  if (sameSelection) {
    if (restoring ? !(font == state_.font)
                  : font.lfEscapement != state_.font.lfEscapement ||
                        font.lfOrientation != state_.font.lfOrientation)
      state_.font = font;
    return;
  }
  state_.font = font;
  state_.fontChanged = true;
}

void TEMWParser::OnSaveDC(RecordReader&) {
  if (!dc_.Save()) throw MalformedRecord("saved states nested too deep");
  transformStack_.push_back(state_.world);
}

void TEMWParser::OnRestoreDC(RecordReader& in) {
  const int32_t iRelative = in.I32();
  dc_.Restore(iRelative);
  transformValid_ = false;
  device_->SetClip(dc_.Current().clip);

  const int64_t depth = static_cast<int64_t>(transformStack_.size());
  if (iRelative < 0) {
    const int64_t target = depth + iRelative;
    if (target < 0) {
      transformStack_.clear();
    } else {
      state_.world = transformStack_[static_cast<size_t>(target)];
      transformStack_.resize(static_cast<size_t>(target));
    }
  } else if (iRelative > 0 && iRelative <= depth) {
    state_.world = transformStack_[static_cast<size_t>(iRelative - 1)];
    transformStack_.resize(static_cast<size_t>(iRelative - 1));
  }

  const ShadowDC::Values dc = dc_.Current();
  state_.bkOpaque = dc.bkMode != TRANSPARENT;
  state_.fillAlternate = dc.polyFillMode == ALTERNATE;
  TakeOverPen(dc.pen);
  TakeOverBrush(dc.brush);
  TakeOverFont(dc.font, true);
  ApplyTextAlign(dc.textAlign);
  state_.arcCounterClockwise = dc.arcDirection != AD_CLOCKWISE;
  state_.blend = BlendOfRop2(dc.rop2);
}

}  // namespace emf2pdf
