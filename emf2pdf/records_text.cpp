// Text records: font selection, reference point, background and clip
// rectangles, and the hand-over of the characters to the page.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "emf2pdf/emf_records.h"
#include "emf2pdf/emw_parser.h"
#include "pdf/fonts.h"
#include "pdf/pdf_strings.h"
#include "platform/code_pages.h"
#include "platform/text_shaper.h"

namespace emf2pdf {

using namespace emr;
using pdf::UpperCase;

namespace {

bool HasCombiningMarks(std::u16string_view text) {
  for (char16_t unit : text)
    if (unit >= 0x0300 && unit <= 0x036F) return true;
  return false;
}

// Moved positions stay integers, halves to even, within the 32-bit range.
int32_t RoundCoordinate(double value) {
  if (!std::isfinite(value) || std::fabs(value) > 2147483647.0)
    throw MalformedRecord("text moves the current position out of range");
  return static_cast<int32_t>(std::nearbyint(value));
}

constexpr uint32_t kGmAdvanced = 2;

// A text record adds at most this many path elements (about 14 MiB): a
// string of many thousand characters in a large face stops there.
constexpr size_t kMaxTextOutlineElements = 200000;

// The PDF's text space on the page for glyph axes in page pixels: x along
// the baseline, y up the glyphs, y upwards, in units of the font size,
// which stands for `size` page pixels per logical unit.
std::array<double, 4> PageAxes(DevicePoint along, DevicePoint up, double size) {
  return {along.x / size, -along.y / size, up.x / size, -up.y / size};
}

std::u16string UnitsOf(std::span<const uint8_t> bytes) {
  std::u16string units(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < units.size(); ++i)
    units[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  return units;
}

}  // namespace

// --- Font selection ---------------------------------------------------------------

// The face is resolved once per font; its size follows the transform in
// force when the text is drawn.
const FontRequest& TEMWParser::SelectTextFont() {
  if (state_.fontChanged) {
    const LogFont& font = state_.font;
    uint8_t style = 0;
    if (font.lfWeight >= 600) style |= kFontBold;
    if (font.lfItalic) style |= kFontItalic;
    if (font.lfUnderline) style |= kFontUnderline;
    if (font.lfStrikeOut) style |= kFontStrikeOut;

    const ResolvedFont resolved = ResolveFont(font);
    state_.symbolFont = resolved.symbol;

    const EmwTextMetrics metrics = fontMetrics_.Metrics(font);
    const double dpi = options_.ReferencePixelsPerInchY > 0 ? options_.ReferencePixelsPerInchY : 96;
    const double em = font.lfHeight < 0 ? -static_cast<double>(font.lfHeight) : metrics.em;
    fontPoints_ = std::round(em * 72 / dpi);
    fontRequest_.name = resolved.name;
    fontRequest_.style = style;
    fontRequest_.charset = resolved.charset;
    fontRequest_.horizontalScaling = font.lfWidth != 0 ? metrics.widthScale * 100 : 100;
    state_.fontChanged = false;
  }
  fontRequest_.size = FontScale() * fontPoints_;
  return fontRequest_;
}

// --- Background and clip ---------------------------------------------------------

TEMWParser::TextBackground TEMWParser::BeginTextClip(const RectL& clip, bool fill) {
  const auto a = Map({clip.left, clip.top});
  const auto b = Map({clip.right, clip.bottom});
  DevicePath box;
  box.Rectangle(a.x, a.y, b.x, b.y);
  const FillStyle background = SolidFill(dc_.Current().bkColor);
  device_->PushClip(box, fill ? &background : nullptr);
  return true;
}

// rcl is filled only with ETO_OPAQUE: the opaque background mode fills the
// character cells instead (FillTextCells), never the whole rectangle.
TEMWParser::TextBackground TEMWParser::BeginTextBackground(uint32_t options, const RectL& rcl,
                                                           uint32_t nChars) {
  if (!(options & (ETO_CLIPPED | ETO_OPAQUE))) return false;
  const bool fill = (options & ETO_OPAQUE) && rcl.right > rcl.left && rcl.bottom > rcl.top;
  if ((options & ETO_CLIPPED) && nChars != 0) return BeginTextClip(rcl, fill);
  if (fill) {
    DevicePath box;
    if (AxisAligned()) {
      const auto a = Map({rcl.left, rcl.top});
      const auto b = Map({rcl.right, rcl.bottom});
      box.Rectangle(a.x, a.y, b.x, b.y);
    } else {
      // Built where the records build paths, then the path held is back.
      std::swap(box, path_);
      try {
        LogicalShape(rcl, ShapeKind::kRectangle);
      } catch (...) {
        std::swap(box, path_);
        throw;
      }
      std::swap(box, path_);
    }
    const FillStyle background = SolidFill(dc_.Current().bkColor);
    device_->DrawPath(box, &background, nullptr);
  }
  return false;
}

void TEMWParser::EndTextBackground(TextBackground pushed) {
  if (pushed) device_->PopClip();
}

void TEMWParser::ShowTextRun(TextRun run, DevicePoint at, bool baseline) {
  run.x = at.x;
  run.y = at.y;
  run.baselineOrigin = baseline;
  run.color = dc_.Current().textColor;
  run.font = &SelectTextFont();
  device_->ShowText(run);
}

// The character cells of text `width` long from the logical point `start`
// (before alignment), filled in the background colour: advance width by
// ascent plus descent, placed by the alignment and lying as the page draws
// the text (turned with the escapement, upright under a flip).
void TEMWParser::FillTextCells(double startX, double startY, double width) {
  const EmwTextMetrics metrics = fontMetrics_.Metrics(state_.font);
  const XForm& t = Transform();
  const double along = std::hypot(t.eM11, t.eM12), up = std::hypot(t.eM21, t.eM22);
  const double g = state_.hAlign == HAlign::kCenter  ? width / 2
                   : state_.hAlign == HAlign::kRight ? width
                                                     : 0;
  const double e = state_.vAlign == VAlign::kBaseline ? metrics.ascent
                   : state_.vAlign == VAlign::kBottom ? metrics.height
                                                      : 0;
  const double angle = PageAngle(state_.font.lfEscapement) * std::numbers::pi / 180;
  const double ax = std::cos(angle), ay = -std::sin(angle);  // reading direction
  const double dx = -ay, dy = ax;                            // down the cell
  const double w = width * along, h = metrics.height * up;
  const auto p = MapPoint(startX, startY);
  const double x = p.x - g * along * ax - e * up * dx, y = p.y - g * along * ay - e * up * dy;
  const double corners[4][2] = {{x, y},
                                {x + w * ax, y + w * ay},
                                {x + w * ax + h * dx, y + w * ay + h * dy},
                                {x + h * dx, y + h * dy}};
  for (const auto& c : corners)
    for (const double v : c)
      if (!std::isfinite(v) || std::fabs(v) > 2147483647.0)
        throw MalformedRecord("text cells out of range");
  DevicePath cells;
  cells.MoveTo(corners[0][0], corners[0][1]);
  for (int i = 1; i < 4; ++i) cells.LineTo(corners[i][0], corners[i][1]);
  cells.Close();
  const FillStyle background = SolidFill(dc_.Current().bkColor);
  device_->DrawPath(cells, &background, nullptr);
}

// --- Reference point --------------------------------------------------------------

DevicePoint TEMWParser::TextStart(const PointL& reference, double width) {
  if (!state_.updateCP) return {static_cast<double>(reference.x), static_cast<double>(reference.y)};
  const double x = state_.position.x, y = state_.position.y;
  const double a = state_.font.lfEscapement * std::numbers::pi / 1800;
  if (state_.hAlign == HAlign::kLeft) {
    state_.position.x = RoundCoordinate(x + width * std::cos(a));
    state_.position.y = RoundCoordinate(y - width * std::sin(a));
  } else if (state_.hAlign == HAlign::kRight) {
    state_.position.x = RoundCoordinate(x - width * std::cos(a));
    state_.position.y = RoundCoordinate(y + width * std::sin(a));
  }
  return {x, y};
}

DevicePoint TEMWParser::TextReferencePoint(const PointL& reference, double width, bool& baseline) {
  const DevicePoint start = TextStart(reference, width);
  double x = start.x, y = start.y;
  const double escapement = state_.font.lfEscapement;
  const double g = state_.hAlign == HAlign::kCenter  ? width / 2
                   : state_.hAlign == HAlign::kRight ? width
                                                     : 0;
  const XForm& t = Transform();
  const bool upright = AxisAligned() && t.eM11 > 0 && t.eM22 > 0;
  if (escapement == 0 && upright) {
    if (state_.vAlign == VAlign::kBaseline)
      baseline = true;
    else if (state_.vAlign == VAlign::kBottom)
      y -= fontMetrics_.Metrics(state_.font).height;
    return MapPoint(x - g, y);
  }
  // Turned or mirrored text: the alignment moves along the text's own axes
  // as they lie on the page.
  const EmwTextMetrics metrics = fontMetrics_.Metrics(state_.font);
  const double e = state_.vAlign == VAlign::kBaseline ? metrics.ascent
                   : state_.vAlign == VAlign::kBottom ? metrics.height
                                                      : 0;
  const double along = g * std::hypot(t.eM11, t.eM12);
  const double up = e * std::hypot(t.eM21, t.eM22);
  const double angle = PageAngle(escapement) * std::numbers::pi / 180;
  const double dx = std::cos(angle), dy = -std::sin(angle);  // reading direction
  const auto p = MapPoint(x, y);
  return {p.x - along * dx + up * dy, p.y - along * dy - up * dx};
}

// --- Glyph axes ---------------------------------------------------------------------

// Compatible-mode text stands upright on the page whatever the transform
// does: only its reference point, its size and its direction follow it.
// Advanced-mode text follows the whole transform, mirrors and uneven
// scales included.
TEMWParser::TextAxes TEMWParser::TextAxesAt(DevicePoint start, double width, bool advanced) {
  const XForm& t = Transform();
  const double a = state_.font.lfEscapement * std::numbers::pi / 1800;
  TextAxes axes;
  if (advanced) {
    // Logical (cos a, -sin a) along the baseline, (-sin a, -cos a) up.
    const double c = std::cos(a), s = std::sin(a);
    axes.along = {c * t.eM11 - s * t.eM21, c * t.eM12 - s * t.eM22};
    axes.up = {-s * t.eM11 - c * t.eM21, -s * t.eM12 - c * t.eM22};
  } else {
    const double angle = PageAngle(state_.font.lfEscapement) * std::numbers::pi / 180;
    const double c = std::cos(angle), s = std::sin(angle);
    const double along = std::hypot(t.eM11, t.eM12), up = std::hypot(t.eM21, t.eM22);
    axes.along = {c * along, -s * along};
    axes.up = {-s * up, -c * up};
  }
  const EmwTextMetrics metrics = fontMetrics_.Metrics(state_.font);
  const double g = state_.hAlign == HAlign::kCenter  ? width / 2
                   : state_.hAlign == HAlign::kRight ? width
                                                     : 0;
  // How far the baseline lies below the start point.
  const double drop = state_.vAlign == VAlign::kBaseline ? 0
                      : state_.vAlign == VAlign::kBottom ? metrics.ascent - metrics.height
                                                         : metrics.ascent;
  const DevicePoint p = MapPoint(start.x, start.y);
  axes.origin = {p.x - g * axes.along.x - drop * axes.up.x,
                 p.y - g * axes.along.y - drop * axes.up.y};
  for (double v : {axes.origin.x, axes.origin.y, axes.along.x, axes.along.y, axes.up.x, axes.up.y})
    if (!std::isfinite(v) || std::fabs(v) > 2147483647.0)
      throw MalformedRecord("text placed out of range");
  return axes;
}

bool TEMWParser::NeedsGlyphAxes(bool advanced) const {
  if (!advanced) return false;
  const XForm m = LogicalToDevice();
  const double along = std::hypot(m.eM11, m.eM12), up = std::hypot(m.eM21, m.eM22);
  const double turn = m.eM11 * m.eM21 + m.eM12 * m.eM22;  // zero when the axes stay square
  // Mappings a hair short of even (a window of 2000 on a viewport of 793)
  // keep the size-and-angle form: under 1% the glyphs' shape cannot show
  // it, their places come from the advances anyway.
  constexpr double kTolerance = 0.01;
  return m.eM11 * m.eM22 - m.eM12 * m.eM21 < 0 ||
         std::fabs(along - up) > kTolerance * std::max(along, up) ||
         std::fabs(turn) > kTolerance * along * up;
}

// As FillTextCells, for text on glyph axes of its own.
void TEMWParser::FillGlyphCells(const TextAxes& axes, double width) {
  const EmwTextMetrics metrics = fontMetrics_.Metrics(state_.font);
  const double descent = metrics.height - metrics.ascent;
  const DevicePoint& o = axes.origin;
  DevicePath cells;
  cells.MoveTo(o.x + metrics.ascent * axes.up.x, o.y + metrics.ascent * axes.up.y);
  cells.LineTo(o.x + metrics.ascent * axes.up.x + width * axes.along.x,
               o.y + metrics.ascent * axes.up.y + width * axes.along.y);
  cells.LineTo(o.x - descent * axes.up.x + width * axes.along.x,
               o.y - descent * axes.up.y + width * axes.along.y);
  cells.LineTo(o.x - descent * axes.up.x, o.y - descent * axes.up.y);
  cells.Close();
  const FillStyle background = SolidFill(dc_.Current().bkColor);
  device_->DrawPath(cells, &background, nullptr);
}

// --- Text in a path -----------------------------------------------------------------

DevicePoint TEMWParser::TextPoint(const TextAxes& axes, double u, double v) {
  const DevicePoint p{axes.origin.x + u * axes.along.x + v * axes.up.x,
                      axes.origin.y + u * axes.along.y + v * axes.up.y};
  if (!std::isfinite(p.x) || !std::isfinite(p.y) || std::fabs(p.x) > 2147483647.0 ||
      std::fabs(p.y) > 2147483647.0)
    throw MalformedRecord("the text's outline lies out of range");
  return p;
}

// The glyphs the text shows (code points looked up in the face, or glyph
// indices as they are), each with its advance in logical units: the
// record's own, or the face's when it has none.
void TEMWParser::AddTextOutline(const TextAxes& axes, std::u16string_view units, bool glyphIndex,
                                std::span<const double> dx) {
  const platform::FontFace* face = fontMetrics_.Face(state_.font);
  if (face == nullptr) return;
  const EmwTextMetrics metrics = fontMetrics_.Metrics(state_.font);
  const double em = metrics.em / 1000;  // logical units per outline unit
  const double wide = em * metrics.widthScale;
  const size_t budget = path_.Size() + kMaxTextOutlineElements;
  double pen = 0;
  for (size_t i = 0; i < units.size(); ++i) {
    uint32_t glyph = units[i];
    double advance = i < dx.size() ? dx[i] : 0;
    if (!glyphIndex) {
      uint32_t code = units[i];
      // A surrogate pair is one character; its advance may sit on either half.
      if (code >= 0xD800 && code < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
          units[i + 1] < 0xE000) {
        code = 0x10000 + ((code - 0xD800) << 10) + (units[i + 1] - 0xDC00);
        ++i;
        if (i < dx.size()) advance += dx[i];
      }
      glyph = face->GlyphOf(code);
    }
    if (dx.empty()) advance = face->AdvanceOfGlyph(glyph) * wide;
    const platform::GlyphOutline outline = face->OutlineOfGlyph(glyph);
    if (path_.Size() + outline.segments.size() > budget)
      throw MalformedRecord("the text's outline is too large for a path");
    const auto at = [&](double gx, double gy) { return TextPoint(axes, pen + gx * wide, gy * em); };
    for (const auto& segment : outline.segments) {
      const double* v = segment.v;
      switch (segment.op) {
        case platform::GlyphOutline::Op::kMove: {
          const DevicePoint p = at(v[0], v[1]);
          PathMoveTo(p.x, p.y);
          break;
        }
        case platform::GlyphOutline::Op::kLine: {
          const DevicePoint p = at(v[0], v[1]);
          PathLineTo(p.x, p.y);
          break;
        }
        case platform::GlyphOutline::Op::kCubic: {
          const DevicePoint p1 = at(v[0], v[1]), p2 = at(v[2], v[3]), p3 = at(v[4], v[5]);
          PathCurveTo(p1.x, p1.y, p2.x, p2.y, p3.x, p3.y);
          break;
        }
        case platform::GlyphOutline::Op::kClose:
          PathClose();
          break;
      }
    }
    pen += advance;
  }
  AddTextBars(axes, pen, face->Metrics(), em);
}

// An underlined or struck-out font adds its bars to the path as figures of
// their own, the run's advance long.
void TEMWParser::AddTextBars(const TextAxes& axes, double length,
                             const platform::FontMetrics& metrics, double em) {
  auto bar = [&](int middle, int thickness) {
    const double top = (middle + thickness / 2.0) * em, bottom = (middle - thickness / 2.0) * em;
    const DevicePoint corners[] = {TextPoint(axes, 0, top), TextPoint(axes, length, top),
                                   TextPoint(axes, length, bottom), TextPoint(axes, 0, bottom)};
    PathMoveTo(corners[0].x, corners[0].y);
    for (int i = 1; i < 4; ++i) PathLineTo(corners[i].x, corners[i].y);
    PathClose();
  };
  if (length == 0) return;
  if (state_.font.lfUnderline) bar(metrics.underlinePosition, metrics.underlineThickness);
  if (state_.font.lfStrikeOut) bar(metrics.strikeoutPosition, metrics.strikeoutThickness);
}

// --- EMR_EXTTEXTOUTA / EMR_EXTTEXTOUTW ------------------------------------------------

void TEMWParser::OnExtTextOutA(RecordReader& in) { DrawExtTextOut(in, false); }

void TEMWParser::OnExtTextOutW(RecordReader& in) { DrawExtTextOut(in, true); }

namespace {

// The fields before the strings of EMR_EXTTEXTOUT and EMR_POLYTEXTOUT;
// whether the graphics mode is advanced.
bool ReadTextRecordHeader(RecordReader& in) {
  in.RectL32();  // rclBounds
  const bool advanced = in.U32() == kGmAdvanced;
  in.U32();  // exScale
  in.U32();  // eyScale
  return advanced;
}

}  // namespace

void TEMWParser::DrawExtTextOut(RecordReader& in, bool wide) {
  const bool advanced = ReadTextRecordHeader(in);
  // Everything the record refers to is read before anything is written.
  DrawEmrText(ReadEmrText(in, wide), wide, advanced);
}

// --- EMR_POLYTEXTOUTA / EMR_POLYTEXTOUTW ----------------------------------------------

void TEMWParser::OnPolyTextOutA(RecordReader& in) { DrawPolyTextOut(in, false); }

void TEMWParser::OnPolyTextOutW(RecordReader& in) { DrawPolyTextOut(in, true); }

// Strings at reference points of their own, each drawn as ExtTextOut
// draws its one.
void TEMWParser::DrawPolyTextOut(RecordReader& in, bool wide) {
  const bool advanced = ReadTextRecordHeader(in);
  const uint32_t count = in.U32();
  constexpr size_t kEmrTextSize = 40;
  if (count > in.Remaining() / kEmrTextSize)
    throw MalformedRecord("more strings than the record holds");
  // Every string and advance array is found before any string is drawn.
  std::vector<EmrText> texts;
  texts.reserve(count);
  for (uint32_t i = 0; i < count; ++i) texts.push_back(ReadEmrText(in, wide));
  for (const EmrText& text : texts) DrawEmrText(text, wide, advanced);
}

TEMWParser::EmrText TEMWParser::ReadEmrText(RecordReader& in, bool wide) {
  EmrText text;
  text.reference = in.PointL32();
  const uint32_t nChars = in.U32();
  const uint32_t offString = in.U32();
  text.options = in.U32();
  text.rcl = in.RectL32();
  const uint32_t offDx = in.U32();
  text.chars = in.BytesAt(offString, static_cast<size_t>(nChars) * (wide ? 2 : 1));
  // With ETO_PDY the array holds an x and a y advance per character; the
  // text is laid out along x, so the y advances are passed over.
  text.dxStride = (text.options & ETO_PDY) ? 8 : 4;
  if (offDx != 0) text.dx = in.BytesAt(offDx, static_cast<size_t>(nChars) * text.dxStride);
  text.nChars = nChars;
  return text;
}

void TEMWParser::DrawEmrText(const EmrText& text, bool wide, bool advanced) {
  const PointL reference = text.reference;
  const uint32_t nChars = text.nChars;
  const uint32_t options = text.options;
  const RectL rcl = text.rcl;
  const auto chars = text.chars;
  const size_t stride = text.dxStride;
  const auto dxBytes = text.dx;

  bool glyphIndex = (options & ETO_GLYPH_INDEX) != 0;
  // In a path bracket the text only adds its outlines to the path.
  const bool outline = state_.pathBracket;
  const TextBackground background = outline ? false : BeginTextBackground(options, rcl, nChars);
  try {
    if (nChars != 0) {
      SelectTextFont();
      std::u16string units = wide ? UnitsOf(chars) : std::u16string();
      std::vector<double> dx;
      for (size_t i = 0; i + 4 <= dxBytes.size(); i += stride)
        dx.push_back(static_cast<int32_t>(dxBytes[i] | (dxBytes[i + 1] << 8) |
                                          (dxBytes[i + 2] << 16) |
                                          (static_cast<uint32_t>(dxBytes[i + 3]) << 24)));
      if (wide && !glyphIndex && HasCombiningMarks(units)) {
        if (const platform::FontFace* face = fontMetrics_.Face(state_.font)) {
          const auto shaped = platform::ShapeText(*face, units);
          if (!shaped.empty()) {
            const EmwTextMetrics metrics = fontMetrics_.Metrics(state_.font);
            units.clear();
            dx.clear();
            for (const auto& glyph : shaped) {
              units.push_back(static_cast<char16_t>(glyph.glyph));
              dx.push_back(glyph.advance * metrics.em / 1000 * metrics.widthScale);
            }
            glyphIndex = true;
          }
        }
      }
      const auto measured = [&] {
        return wide ? fontMetrics_.TextExtent(state_.font, units)
                    : fontMetrics_.TextExtent(
                          state_.font,
                          platform::MultiByteToWide(
                              1252, std::string_view(reinterpret_cast<const char*>(chars.data()),
                                                     chars.size())));
      };
      double width = rcl.right - static_cast<double>(rcl.left);
      std::vector<double> advances;
      if (!dx.empty()) {
        const XForm& t = Transform();
        const double scale = std::hypot(t.eM11, t.eM12);
        double sum = 0;
        for (double d : dx) {
          advances.push_back(d * scale);
          sum += d;
        }
        // The reference point is moved in logical units, like the advances.
        width = sum;
      } else if (width <= 0) {
        // Without advances and without a rectangle, the text's own extent
        // is its width; aligning by nothing would misplace centred text.
        width = measured();
      }
      if (outline) {
        if (!wide)
          units = glyphIndex
                      ? std::u16string(chars.begin(), chars.end())
                      : platform::MultiByteToWide(
                            1252, std::string_view(reinterpret_cast<const char*>(chars.data()),
                                                   chars.size()));
        AddTextOutline(TextAxesAt(TextStart(reference, width), width, advanced), units, glyphIndex,
                       dx);
        return;  // no background was begun
      }
      const PointL start = state_.updateCP ? state_.position : reference;
      bool baseline = false;
      DevicePoint at;
      std::optional<TextAxes> axes;
      double sizeScale = 1;
      if (NeedsGlyphAxes(advanced)) {
        axes = TextAxesAt(TextStart(reference, width), width, true);
        at = axes->origin;
        baseline = true;
        // The font size stands for the transform's length of a logical
        // unit up the page (its size without the glyph axes); advances
        // count in those units along the glyphs' own x axis.
        const XForm& t = Transform();
        sizeScale = std::hypot(t.eM21, t.eM22);
        for (size_t i = 0; i < advances.size(); ++i) advances[i] = dx[i] * sizeScale;
        if (state_.bkOpaque) FillGlyphCells(*axes, dx.empty() ? measured() : width);
      } else {
        at = TextReferencePoint(reference, width, baseline);
        if (state_.bkOpaque) FillTextCells(start.x, start.y, dx.empty() ? measured() : width);
      }
      TextRun run;
      if (axes) run.axes = PageAxes(axes->along, axes->up, sizeScale);
      run.angle = PageAngle(state_.font.lfEscapement);
      run.advances = advances;
      std::vector<uint16_t> glyphs;
      if (glyphIndex) {
        if (wide)
          glyphs.assign(units.begin(), units.end());
        else
          glyphs.assign(chars.begin(), chars.end());
        run.encoding = TextRun::Encoding::kGlyphs;
        run.glyphs = glyphs;
      } else if (wide) {
        run.units = units;
      } else {
        run.encoding = TextRun::Encoding::kBytes;
        run.bytes = std::string_view(reinterpret_cast<const char*>(chars.data()), chars.size());
      }
      ShowTextRun(run, at, baseline);
    }
  } catch (...) {
    EndTextBackground(background);
    throw;
  }
  EndTextBackground(background);
}

// --- EMR_SMALLTEXTOUT -----------------------------------------------------------------

DevicePoint TEMWParser::SmallTextPoint(double x, int32_t y, bool& baseline) {
  if (state_.vAlign == VAlign::kBaseline) {
    baseline = true;
    return MapPoint(x, y);
  }
  if (state_.vAlign == VAlign::kBottom)
    return MapPoint(x, y - fontMetrics_.Metrics(state_.font).height);
  return MapPoint(x, y);
}

void TEMWParser::OnSmallTextOut(RecordReader& in) {
  const int32_t x = in.I32();
  const int32_t y = in.I32();
  const uint32_t cChars = in.U32();
  const uint32_t options = in.U32();
  const bool advanced = in.U32() == kGmAdvanced;
  in.U32();  // exScale
  in.U32();  // eyScale
  if (cChars == 0) return;
  const bool hasRect = !(options & ETO_NO_RECT);
  const RectL clip = hasRect ? in.RectL32() : RectL{};
  const bool small = (options & ETO_SMALL_CHARS) != 0;
  const auto chars = in.Bytes(static_cast<size_t>(cChars) * (small ? 1 : 2));
  const std::string bytes(reinterpret_cast<const char*>(chars.data()), small ? chars.size() : 0);
  const std::u16string units = small ? std::u16string() : UnitsOf(chars);
  if (state_.pathBracket) {
    const bool glyphIndex = (options & ETO_GLYPH_INDEX) != 0;
    const std::u16string text = !small       ? units
                                : glyphIndex ? std::u16string(bytes.begin(), bytes.end())
                                             : platform::MultiByteToWide(1252, bytes);
    // Glyph indices are placed without the horizontal alignment.
    const double cx = glyphIndex ? 0 : fontMetrics_.TextExtent(state_.font, text);
    AddTextOutline(TextAxesAt({static_cast<double>(x), static_cast<double>(y)}, cx, advanced), text,
                   glyphIndex, {});
    return;
  }
  TextRun run;
  run.angle = PageAngle(state_.font.lfEscapement);
  run.resetsCharacterSpacing = true;
  bool baseline = false;
  if (options & ETO_GLYPH_INDEX) {
    const auto at = SmallTextPoint(x, y, baseline);
    std::vector<uint16_t> glyphs;
    if (small)
      glyphs.assign(bytes.begin(), bytes.end());
    else
      glyphs.assign(units.begin(), units.end());
    run.encoding = TextRun::Encoding::kGlyphs;
    run.glyphs = glyphs;
    ShowTextRun(run, at, baseline);
    return;
  }
  const TextBackground background = hasRect && BeginTextClip(clip, false);
  try {
    SelectTextFont();
    const double cx = fontMetrics_.TextExtent(
        state_.font, small ? platform::MultiByteToWide(1252, bytes) : units);
    const double shift = state_.hAlign == HAlign::kCenter  ? cx / 2
                         : state_.hAlign == HAlign::kRight ? cx
                                                           : 0;
    DevicePoint at;
    if (NeedsGlyphAxes(advanced)) {
      const TextAxes axes = TextAxesAt({static_cast<double>(x), static_cast<double>(y)}, cx, true);
      const XForm& t = Transform();
      run.axes = PageAxes(axes.along, axes.up, std::hypot(t.eM21, t.eM22));
      at = axes.origin;
      baseline = true;
    } else {
      at = SmallTextPoint(x - shift, y, baseline);
    }
    run.placed = false;
    if (small) {
      run.encoding = TextRun::Encoding::kBytes;
      run.bytes = bytes;
    } else {
      run.units = units;
    }
    ShowTextRun(run, at, baseline);
  } catch (...) {
    EndTextBackground(background);
    throw;
  }
  EndTextBackground(background);
}

}  // namespace emf2pdf
