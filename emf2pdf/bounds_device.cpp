#include "emf2pdf/bounds_device.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "emf2pdf/emw_parser.h"
#include "pdf/document.h"

namespace emf2pdf {

bool InkBox::Bounded() const {
  return !Empty() && std::isfinite(left) && std::isfinite(top) && std::isfinite(right) &&
         std::isfinite(bottom);
}

void InkBox::Add(double x, double y) {
  left = std::min(left, x);
  top = std::min(top, y);
  right = std::max(right, x);
  bottom = std::max(bottom, y);
}

void InkBox::Unite(const InkBox& other) {
  if (other.Empty()) return;
  Add(other.left, other.top);
  Add(other.right, other.bottom);
}

InkBox InkBox::Intersected(const InkBox& other) const {
  return {std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
          std::min(bottom, other.bottom)};
}

void InkBox::Inflate(double by) {
  if (Empty()) return;
  left -= by;
  top -= by;
  right += by;
  bottom += by;
}

InkBox PathBox(const DevicePath& path) {
  InkBox box;
  for (const DevicePath::Element& e : path.Elements()) {
    switch (e.kind) {
      case DevicePath::Kind::kClose:
        break;
      case DevicePath::Kind::kMove:
      case DevicePath::Kind::kLine:
        box.Add(e.v[0], e.v[1]);
        break;
      case DevicePath::Kind::kCurve:
        for (int i = 0; i < 6; i += 2) box.Add(e.v[i], e.v[i + 1]);
        break;
      default:
        // Shapes and arcs: the box they are drawn in (all of the ellipse
        // for an arc, which is generous for a short one).
        box.Add(e.v[0], e.v[1]);
        box.Add(e.v[2], e.v[3]);
        break;
    }
  }
  return box;
}

namespace {

size_t Characters(const TextRun& run) {
  switch (run.encoding) {
    case TextRun::Encoding::kBytes:
      return run.bytes.size();
    case TextRun::Encoding::kUnits:
      return run.units.size();
    case TextRun::Encoding::kGlyphs:
      return run.glyphs.size();
  }
  return 0;
}

// Where the font's own advances are not given, a character is taken as
// half an em wide.
constexpr double kAverageAdvance = 0.5;
// A cell's share above the baseline.
constexpr double kAscent = 0.8;

}  // namespace

InkBox TextBox(const TextRun& run, double pagePixelsPerPoint) {
  const double size = run.font != nullptr ? std::fabs(run.font->size) * pagePixelsPerPoint : 0;
  double width = 0;
  if (run.placed && !run.advances.empty()) {
    for (double advance : run.advances) width += advance;
  } else {
    width = static_cast<double>(Characters(run)) * size * kAverageAdvance;
  }
  if (width == 0 || size == 0) return {};
  const double above = run.baselineOrigin ? -kAscent * size : 0;
  const double below = above + size;
  // The run turns about (x, y), counter-clockwise on a page whose y runs down.
  const double angle = run.angle * M_PI / 180;
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  InkBox box;
  if (run.axes) {
    // The glyphs' own axes, their y parts turned over for the page's y.
    const auto& a = *run.axes;
    for (double u : {0.0, width})
      for (double v : {above, below})
        box.Add(run.x + u * a[0] - v * a[2], run.y - u * a[1] + v * a[3]);
    return box;
  }
  for (double u : {0.0, width})
    for (double v : {above, below}) box.Add(run.x + u * c + v * s, run.y - u * s + v * c);
  return box;
}

InkBox ImageBox(const ImagePlacement& at) {
  InkBox box;
  for (const DevicePoint& corner : CornersOf(at)) box.Add(corner.x, corner.y);
  return box;
}

InkBox ClipBox(const ClipState& clip) {
  InkBox box = InkBox::Everything();
  if (clip.whole) return box;
  if (clip.hasRegion) {
    InkBox region;
    for (const ClipRect& r : clip.region) {
      region.Add(r.left, r.top);
      region.Add(r.right, r.bottom);
    }
    box = region;
  }
  for (const ClipState::PathClip& path : clip.paths)
    if (!path.outside && path.path != nullptr) box = box.Intersected(PathBox(*path.path));
  return box;
}

InkBox BoundsDevice::Clip() const { return pushed_.empty() ? contextClip_ : pushed_.back(); }

void BoundsDevice::Mark(const InkBox& covered) {
  lastCovered_ = covered;
  lastKept_ = covered.Empty() ? InkBox{} : covered.Intersected(Clip());
  ink_.Unite(lastKept_);
}

void BoundsDevice::DoBegin(const StrokeStyle&) {
  contextClip_ = InkBox::Everything();
  pushed_.clear();
}

void BoundsDevice::DoEnd() { pushed_.clear(); }

void BoundsDevice::DrawPath(const DevicePath& path, const FillStyle* fill,
                            const StrokeStyle* stroke) {
  InkBox box = PathBox(path);
  if (stroke != nullptr) {
    box.Inflate(std::fabs(stroke->width) / 2);
  } else if (fill == nullptr || !box.HasArea()) {
    box = {};  // a fill of no area paints nothing
  }
  Mark(box);
}

void BoundsDevice::FillDifference(const DevicePath& path, uint32_t) {
  const InkBox box = PathBox(path);
  Mark(box.HasArea() ? box : InkBox{});
}

void BoundsDevice::SetClip(const ClipState& clip) { contextClip_ = ClipBox(clip); }

void BoundsDevice::DoPushClip(const DevicePath& path, const FillStyle* fill) {
  const InkBox box = PathBox(path);
  if (fill != nullptr) Mark(box.HasArea() ? box : InkBox{});
  pushed_.push_back(box.Intersected(Clip()));
}

void BoundsDevice::DoPopClip() {
  if (!pushed_.empty()) pushed_.pop_back();
}

void BoundsDevice::ShowText(const TextRun& run) { Mark(TextBox(run, pagePixelsPerPoint_)); }

void BoundsDevice::DrawImage(const DeviceImage&, const ImagePlacement& at) { Mark(ImageBox(at)); }

// A shading covers the clip in force; without one, the span it runs along.
void BoundsDevice::ShadeAxial(const ShadedVertex& from, const ShadedVertex& to) {
  const InkBox clip = Clip();
  if (clip.Bounded()) {
    Mark(clip);
    return;
  }
  InkBox span;
  span.Add(from.x, from.y);
  span.Add(to.x, to.y);
  Mark(span);
}

void BoundsDevice::ShadeTriangles(std::span<const ShadedVertex> vertices) {
  InkBox box;
  for (const ShadedVertex& v : vertices) box.Add(v.x, v.y);
  Mark(box);
}

// --- measuring a picture ---

namespace {

// Page pixels per reference pixel, as the interpreter maps them.
double PagePixelsPer(const pdf::TPDFDocument& document, int referencePerInch) {
  const double resolution = document.Resolution() > 0 ? document.Resolution() : 72;
  return resolution / (referencePerInch > 0 ? referencePerInch : 96);
}

bool BoundsEmpty(const RectL& r) {
  return r.right < r.left || r.bottom < r.top ||
         (r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0);
}

// Reference pixels past this are no picture's; the frame would overflow.
constexpr double kLargestPixel = 1 << 28;

std::optional<int32_t> Pixel(double value) {
  if (!std::isfinite(value) || std::fabs(value) > kLargestPixel) return std::nullopt;
  return static_cast<int32_t>(value);
}

}  // namespace

std::optional<RectL> MeasureInk(const EmfReader& emf, pdf::TPDFDocument& like) {
  PlaySettings settings;
  settings.resolution = like.Resolution();
  settings.options = like.EMFOptions();
  const double pixelsPerPoint = (like.Resolution() > 0 ? like.Resolution() : 72) / 72.0;
  BoundsDevice measure(pixelsPerPoint);
  TEMWParser parser(emf, measure, settings);
  parser.Play();
  if (!measure.Ink().Bounded()) return std::nullopt;
  // Page pixels back to reference pixels: the form's origin is the frame's
  // corner.
  const EmfHeader& h = emf.Header();
  const double fx = PagePixelsPer(like, like.EMFOptions().ReferencePixelsPerInchX);
  const double fy = PagePixelsPer(like, like.EMFOptions().ReferencePixelsPerInchY);
  const double x0 = FramePixels(h.rclFrame.left, h.szlDevice.cx, h.szlMillimeters.cx);
  const double y0 = FramePixels(h.rclFrame.top, h.szlDevice.cy, h.szlMillimeters.cy);
  const InkBox& ink = measure.Ink();
  const auto left = Pixel(std::floor(ink.left / fx + x0));
  const auto top = Pixel(std::floor(ink.top / fy + y0));
  const auto right = Pixel(std::ceil(ink.right / fx + x0) - 1);
  const auto bottom = Pixel(std::ceil(ink.bottom / fy + y0) - 1);
  if (!left || !top || !right || !bottom) return std::nullopt;
  return RectL{*left, *top, std::max(*left, *right), std::max(*top, *bottom)};
}

namespace {

void PutI32At(std::vector<uint8_t>& bytes, size_t at, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Reference pixels -> hundredths of a millimetre on that device, held to
// the field's range.
int32_t Hundredths(double pixels, int32_t devicePixels, int32_t millimetres) {
  const double value = std::round(pixels * millimetres * 100 / devicePixels);
  return static_cast<int32_t>(std::clamp(value, -2147483647.0, 2147483647.0));
}

// Where the header's fields lie in its record.
constexpr size_t kFrameAt = 24;
constexpr size_t kDeviceAt = 72;
constexpr size_t kMillimetresAt = 80;

}  // namespace

std::optional<EmfReader> WithMeasuredFrame(const EmfReader& emf, pdf::TPDFDocument& like) {
  const EmfHeader& h = emf.Header();
  const RectL& f = h.rclFrame;
  if (FramePixels(static_cast<double>(f.right) - f.left, h.szlDevice.cx, h.szlMillimeters.cx) !=
          0 &&
      FramePixels(static_cast<double>(f.bottom) - f.top, h.szlDevice.cy, h.szlMillimeters.cy) != 0)
    return std::nullopt;
  // Bounds that say something are kept to as the rest of the header is: the
  // page of such a picture stays blank.
  if (!BoundsEmpty(h.rclBounds)) return std::nullopt;
  const std::optional<RectL> ink = MeasureInk(emf, like);
  if (!ink) return std::nullopt;
  SizeL device = h.szlDevice;
  SizeL millimetres = h.szlMillimeters;
  if (device.cx <= 0 || device.cy <= 0 || millimetres.cx <= 0 || millimetres.cy <= 0) {
    // 96 dpi, which is what the interpreter takes such a device for.
    device = {9600, 9600};
    millimetres = {2540, 2540};
  }
  std::vector<uint8_t> bytes(emf.Bytes().begin(), emf.Bytes().end());
  // The frame's far edges lie past the last pixel.
  PutI32At(bytes, kFrameAt, Hundredths(ink->left, device.cx, millimetres.cx));
  PutI32At(bytes, kFrameAt + 4, Hundredths(ink->top, device.cy, millimetres.cy));
  PutI32At(bytes, kFrameAt + 8, Hundredths(ink->right + 1.0, device.cx, millimetres.cx));
  PutI32At(bytes, kFrameAt + 12, Hundredths(ink->bottom + 1.0, device.cy, millimetres.cy));
  PutI32At(bytes, kDeviceAt, device.cx);
  PutI32At(bytes, kDeviceAt + 4, device.cy);
  PutI32At(bytes, kMillimetresAt, millimetres.cx);
  PutI32At(bytes, kMillimetresAt + 4, millimetres.cy);
  return EmfReader::FromBytes(std::move(bytes), emf.Name());
}

}  // namespace emf2pdf
