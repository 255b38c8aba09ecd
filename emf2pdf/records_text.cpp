// Text records: font selection, reference point, background and clip
// rectangles, and the hand-over of the characters to the page.
#include <cmath>
#include <numbers>
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

DevicePoint TEMWParser::TextReferencePoint(const PointL& reference, double width, bool& baseline) {
  double x = reference.x, y = reference.y;
  const double escapement = state_.font.lfEscapement;
  const double a = escapement * std::numbers::pi / 1800;
  if (state_.updateCP) {
    x = state_.position.x;
    y = state_.position.y;
    if (state_.hAlign == HAlign::kLeft) {
      state_.position.x = RoundCoordinate(x + width * std::cos(a));
      state_.position.y = RoundCoordinate(y - width * std::sin(a));
    } else if (state_.hAlign == HAlign::kRight) {
      state_.position.x = RoundCoordinate(x - width * std::cos(a));
      state_.position.y = RoundCoordinate(y + width * std::sin(a));
    }
  }
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

// --- EMR_EXTTEXTOUTA / EMR_EXTTEXTOUTW ------------------------------------------------

void TEMWParser::OnExtTextOutA(RecordReader& in) { DrawExtTextOut(in, false); }

void TEMWParser::OnExtTextOutW(RecordReader& in) { DrawExtTextOut(in, true); }

void TEMWParser::DrawExtTextOut(RecordReader& in, bool wide) {
  in.RectL32();  // rclBounds
  in.U32();      // iGraphicsMode
  in.U32();      // exScale
  in.U32();      // eyScale
  const PointL reference = in.PointL32();
  const uint32_t nChars = in.U32();
  const uint32_t offString = in.U32();
  const uint32_t options = in.U32();
  const RectL rcl = in.RectL32();
  const uint32_t offDx = in.U32();
  // Everything the record refers to is read before anything is written.
  const auto chars = in.BytesAt(offString, static_cast<size_t>(nChars) * (wide ? 2 : 1));
  // With ETO_PDY the array holds an x and a y advance per character; the
  // text is laid out along x, so the y advances are passed over.
  const size_t stride = (options & ETO_PDY) ? 8 : 4;
  const auto dxBytes = offDx != 0 ? in.BytesAt(offDx, static_cast<size_t>(nChars) * stride)
                                  : std::span<const uint8_t>();

  bool glyphIndex = (options & ETO_GLYPH_INDEX) != 0;
  const TextBackground background = BeginTextBackground(options, rcl, nChars);
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
      const PointL start = state_.updateCP ? state_.position : reference;
      bool baseline = false;
      const DevicePoint at = TextReferencePoint(reference, width, baseline);
      if (state_.bkOpaque) FillTextCells(start.x, start.y, dx.empty() ? measured() : width);
      TextRun run;
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
  in.U32();  // iGraphicsMode
  in.U32();  // exScale
  in.U32();  // eyScale
  if (cChars == 0) return;
  const bool hasRect = !(options & ETO_NO_RECT);
  const RectL clip = hasRect ? in.RectL32() : RectL{};
  const bool small = (options & ETO_SMALL_CHARS) != 0;
  const auto chars = in.Bytes(static_cast<size_t>(cChars) * (small ? 1 : 2));
  const std::string bytes(reinterpret_cast<const char*>(chars.data()), small ? chars.size() : 0);
  const std::u16string units = small ? std::u16string() : UnitsOf(chars);
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
    const auto at = SmallTextPoint(x - shift, y, baseline);
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
