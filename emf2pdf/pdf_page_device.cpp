#include "emf2pdf/pdf_page_device.h"

#include <algorithm>
#include <array>

#include "pdf/document.h"
#include "pdf/font.h"
#include "pdf/number_format.h"
#include "platform/dib_decoder.h"
#include "platform/raster_ops.h"

namespace emf2pdf {

static_assert(kFontBold == pdf::kStyleBold && kFontItalic == pdf::kStyleItalic &&
              kFontUnderline == pdf::kStyleUnderline && kFontStrikeOut == pdf::kStyleStrikeOut);

namespace {

// Stands for "everything" where a clip keeps what lies outside a path.
constexpr double kEverywhere = 1e7;

double Red(uint32_t c) { return (c & 0xFF) / 255.0; }
double Green(uint32_t c) { return ((c >> 8) & 0xFF) / 255.0; }
double Blue(uint32_t c) { return ((c >> 16) & 0xFF) / 255.0; }

pdf::TPDFDevicePoint PagePoint(const DevicePoint& p) { return {p.x, p.y}; }

pdf::TPDFShadedVertex PageVertex(const ShadedVertex& v) { return {v.x, v.y, v.r, v.g, v.b}; }

}  // namespace

// The cap, join and width are written at once: a form starts from the state
// of whatever draws it. Colours and dash are taken as PDF's defaults, which
// the page leaves in force where it draws the form.
void PdfPageDevice::DoBegin(const StrokeStyle& pen) {
  page_.SetLineCap(pen.cap);
  page_.SetLineJoin(pen.join);
  page_.SetLineWidth(pen.width);
}

void PdfPageDevice::DoEnd() {
  if (clipOpen_) Restore();
  clipOpen_ = false;
}

void PdfPageDevice::Save() { page_.GStateSave(); }

void PdfPageDevice::Restore() { page_.GStateRestore(); }

// --- state: written where the page does not have it in force ---

void PdfPageDevice::UseFillColor(uint32_t color) {
  const std::array<double, 3> rgb{Red(color), Green(color), Blue(color)};
  if (page_.GraphicsState().fill == rgb) return;
  page_.SetRGBFillColor(rgb[0], rgb[1], rgb[2]);
}

const std::string& PdfPageDevice::DashText(const std::vector<double>& lengths) {
  if (lengths == dashLengths_) return dashText_;
  dashLengths_ = lengths;
  dashText_ = "[";
  for (double length : lengths) {
    if (dashText_.size() > 1) dashText_ += ' ';
    dashText_ += pdf::FormatNumber(page_.ExtLength(length), true);
  }
  dashText_ += "] 0";
  return dashText_;
}

void PdfPageDevice::UseStroke(const StrokeStyle& stroke) {
  const pdf::TPDFGraphicsState& state = page_.GraphicsState();
  const std::array<double, 3> rgb{Red(stroke.color), Green(stroke.color), Blue(stroke.color)};
  if (state.stroke != rgb) page_.SetRGBStrokeColor(rgb[0], rgb[1], rgb[2]);
  if (state.width != stroke.width) page_.SetLineWidth(stroke.width);
  const std::string& dash = DashText(stroke.dash);
  if (state.dash != dash) page_.SetDash(dash);
  if (state.cap != stroke.cap) page_.SetLineCap(stroke.cap);
  if (state.join != stroke.join) page_.SetLineJoin(stroke.join);
}

// --- clip ---

void PdfPageDevice::SetClip(const ClipState& clip) {
  if (clip.serial != clip_.serial) clip_ = clip;
}

void PdfPageDevice::ShowClip() {
  CloseStaleClip();
  OpenClip();
}

void PdfPageDevice::CloseStaleClip() {
  if (clip_.serial == shownClipSerial_ || !clipOpen_) return;
  Restore();
  clipOpen_ = false;
}

void PdfPageDevice::OpenClip() {
  if (clip_.serial == shownClipSerial_) return;
  shownClipSerial_ = clip_.serial;
  if (clip_.whole) return;
  Save();
  clipOpen_ = true;
  if (clip_.hasRegion) {
    // An empty region clips everything away.
    if (clip_.region.empty()) page_.Rectangle(0, 0, 0, 0);
    for (const ClipRect& r : clip_.region) page_.Rectangle(r.left, r.top, r.right, r.bottom);
    page_.Clip();
    page_.NewPath();
  }
  for (const ClipState::PathClip& path : clip_.paths) {
    if (path.outside) page_.Rectangle(-kEverywhere, -kEverywhere, kEverywhere, kEverywhere);
    WritePath(*path.path);
    path.evenOdd || path.outside ? page_.EoClip() : page_.Clip();
    page_.NewPath();
  }
}

// "W" takes effect after the painting of its path, so one path both clips
// and fills.
void PdfPageDevice::DoPushClip(const DevicePath& path, const FillStyle* fill) {
  ShowClip();
  Save();
  if (fill) UseFillColor(fill->color);
  WritePath(path);
  page_.Clip();
  if (fill)
    page_.Fill();
  else
    page_.NewPath();
}

void PdfPageDevice::DoPopClip() { Restore(); }

// --- drawing ---

void PdfPageDevice::WritePath(const DevicePath& path) {
  using Kind = DevicePath::Kind;
  for (const DevicePath::Element& e : path.Elements()) {
    const double* v = e.v;
    switch (e.kind) {
      case Kind::kMove:
        page_.MoveTo(v[0], v[1]);
        break;
      case Kind::kLine:
        page_.LineTo(v[0], v[1]);
        break;
      case Kind::kCurve:
        page_.CurveTo(v[0], v[1], v[2], v[3], v[4], v[5]);
        break;
      case Kind::kClose:
        page_.ClosePath();
        break;
      case Kind::kRectangle:
        page_.Rectangle(v[0], v[1], v[2], v[3]);
        break;
      case Kind::kEllipse:
        page_.Ellipse(v[0], v[1], v[2], v[3]);
        break;
      case Kind::kRoundRect:
        page_.RoundRect(v[0], v[1], v[2], v[3], v[4], v[5]);
        break;
      case Kind::kArc:
        page_.Arc(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
        break;
      case Kind::kChord: {
        const pdf::TPDFDevicePoint start =
            page_.Arc(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
        page_.LineTo(start.x, start.y);
        break;
      }
      case Kind::kPie:
        page_.Pie(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
        break;
    }
  }
}

// The state a drawing needs is written outside a clip level it opens, so
// that it outlives the clip. A pattern fill lives inside q ... Q of its own,
// so the colour in force outlives it too.
void PdfPageDevice::DrawPath(const DevicePath& path, const FillStyle* fill,
                             const StrokeStyle* stroke) {
  if (path.Empty() || (fill == nullptr && stroke == nullptr)) return;
  if ((fill ? fill->blend : stroke->blend) == Blend::kNone) return;
  CloseStaleClip();
  if (stroke) UseStroke(*stroke);
  const bool pattern = fill && fill->pattern;
  if (fill && !pattern) UseFillColor(fill->color);
  OpenClip();
  // A pen and a brush drawn together meet the page in one blend mode.
  const Blend blend = fill ? fill->blend : stroke->blend;
  if (blend != Blend::kCopy) {
    Save();
    UseBlend(blend);
  }
  if (pattern) {
    Save();
    page_.SetFillPattern(patternCells_.Cell(*fill->pattern), PagePoint(fill->patternOrigin),
                         fill->patternUnitX, fill->patternUnitY);
  }
  WritePath(path);
  if (fill && stroke)
    fill->evenOdd ? page_.EoFillAndStroke() : page_.FillAndStroke();
  else if (fill)
    fill->evenOdd ? page_.EoFill() : page_.Fill();
  else
    page_.Stroke();
  if (pattern) Restore();
  if (blend != Blend::kCopy) Restore();
}

void PdfPageDevice::UseBlend(Blend blend) {
  switch (blend) {
    case Blend::kMultiply:
      page_.SetMultiplyBlend();
      break;
    case Blend::kScreen:
      page_.SetScreenBlend();
      break;
    case Blend::kDifference:
      page_.SetDifferenceBlend();
      break;
    case Blend::kCopy:
    case Blend::kNone:
      break;
  }
}

bool PdfPageDevice::DrawsBlendModes() const { return page_.Document().AllowsBlendModes(); }

void PdfPageDevice::FillDifference(const DevicePath& path, uint32_t color) {
  // Without blend modes (PDF/A-1) an inversion cannot be drawn; painting
  // its colour instead would cover what it should invert.
  if (path.Empty() || !page_.Document().AllowsBlendModes()) return;
  ShowClip();
  Save();
  page_.SetDifferenceBlend();
  UseFillColor(color);
  WritePath(path);
  page_.Fill();
  Restore();
}

void PdfPageDevice::ShowText(const TextRun& run) {
  CloseStaleClip();
  UseFillColor(run.color);
  OpenClip();
  if (run.resetsCharacterSpacing) page_.SetCharacterSpacing(0);
  if (run.font) {
    page_.SetActiveFont(run.font->name, run.font->style, run.font->charset, run.font->size);
    page_.SetHorizontalScaling(run.font->horizontalScaling);
  }
  page_.SetBaselineOrigin(run.baselineOrigin);
  page_.SetTextAxes(run.axes);
  // Mirrored glyphs run against the order extraction expects of them: the
  // characters go with them as they are (glyph indices have none to give).
  const bool mirrored =
      run.axes && (*run.axes)[0] * (*run.axes)[3] < (*run.axes)[1] * (*run.axes)[2];
  if (mirrored && run.encoding == TextRun::Encoding::kUnits) page_.BeginActualText(run.units);
  if (mirrored && run.encoding == TextRun::Encoding::kBytes) page_.BeginActualText(run.bytes);
  switch (run.encoding) {
    case TextRun::Encoding::kGlyphs:
      page_.GlyphTextOut(run.glyphs, run.advances, run.x, run.y, run.angle);
      break;
    case TextRun::Encoding::kUnits:
      if (run.placed)
        page_.UnicodeExtTextOut(run.units, run.advances, run.x, run.y, run.angle);
      else
        page_.UnicodeTextOut(run.units, run.x, run.y, run.angle);
      break;
    case TextRun::Encoding::kBytes:
      if (run.placed)
        page_.ExtTextOut(run.bytes, run.advances, run.x, run.y, run.angle);
      else
        page_.TextOut(run.bytes, run.x, run.y, run.angle);
      break;
  }
  if (mirrored && run.encoding != TextRun::Encoding::kGlyphs) page_.EndActualText();
  page_.SetBaselineOrigin(false);
  page_.SetTextAxes(std::nullopt);
}

// --- images ---

void PdfPageDevice::DrawImage(const DeviceImage& image, const ImagePlacement& at) {
  const int index = AddImage(image);
  ShowClip();
  if (at.framed)
    page_.ShowImageFrame(index, PagePoint(at.topLeft), PagePoint(at.topRight),
                         PagePoint(at.bottomLeft));
  else
    page_.ShowImage(index, at.x, at.y, at.width, at.height, 0);
}

int PdfPageDevice::AddImage(const DeviceImage& image) {
  if (image.translucent) return AddTranslucent(image);
  if (image.stencil == nullptr) return AddBitmap(*image.pixels);
  const int stencil =
      page_.Document().AddImage(image.stencil, pdf::icCCITT4, image.stencilHides, true, -1);
  return AddBitmap(*image.pixels, stencil);
}

int PdfPageDevice::AddBitmap(const platform::TBitmap& bitmap, int maskIndex,
                             const std::string& opacity) {
  pdf::TPDFDocument& document = page_.Document();
  const pdf::ImageCompression compression = bitmap.IsMonochrome() ? pdf::icCCITT4
                                            : document.EMFOptions().ColorImagesAsJPEG
                                                ? pdf::icJPEG
                                                : pdf::icFlate;
  return document.AddImage(&bitmap, compression, -1, false, maskIndex, opacity);
}

// From PDF 1.4 the colours go straight, with their opacity as a soft mask;
// before (and in PDF/A-1), no image is translucent, and the image is blended
// onto paper so that transparent pixels do not become black boxes.
int PdfPageDevice::AddTranslucent(const DeviceImage& image) {
  const platform::TDibPixels& source = *image.translucent;
  const uint32_t constant = image.constantAlpha;
  const bool perPixel = image.perPixelAlpha && !source.alpha.empty();
  if (!page_.Document().AllowsTransparency()) {
    platform::TBitmap paper(source.width, source.height, platform::TPixelFormat::pf24bit);
    paper.Fill(platform::kWhite);
    const uint32_t blend = constant << 16 | uint32_t{perPixel} << 24;  // AC_SRC_ALPHA
    platform::AlphaBlendPixels(paper, source, blend, 0);
    return AddBitmap(paper);
  }
  platform::TBitmap colours(source.width, source.height, platform::TPixelFormat::pf24bit);
  std::string opacity(source.colors.size(), '\0');
  for (int y = 0; y < source.height; ++y)
    for (int x = 0; x < source.width; ++x) {
      const size_t at = source.IndexOf(x, y);
      if (!source.present[at]) continue;
      const uint32_t alpha = perPixel ? source.alpha[at] : 255;
      const platform::TColor c = source.colors[at];
      auto straight = [&](uint32_t v) {
        return static_cast<uint8_t>(
            alpha == 0 ? 0 : std::min<uint32_t>(255, (v * 255 + alpha / 2) / alpha));
      };
      colours.SetPixel(x, y,
                       perPixel ? platform::MakeColor(straight(platform::ColorRed(c)),
                                                      straight(platform::ColorGreen(c)),
                                                      straight(platform::ColorBlue(c)))
                                : c);
      opacity[at] = static_cast<char>((alpha * constant + 127) / 255);
    }
  return AddBitmap(colours, -1, opacity);
}

// --- shadings ---

void PdfPageDevice::ShadeAxial(const ShadedVertex& from, const ShadedVertex& to) {
  ShowClip();
  page_.ShadeAxial(PageVertex(from), PageVertex(to));
}

void PdfPageDevice::ShadeTriangles(std::span<const ShadedVertex> vertices) {
  ShowClip();
  std::vector<pdf::TPDFShadedVertex> page(vertices.size());
  std::transform(vertices.begin(), vertices.end(), page.begin(), PageVertex);
  page_.ShadeTriangles(page);
}

}  // namespace emf2pdf
