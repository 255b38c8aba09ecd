#include "emf2pdf/display_list.h"

#include <algorithm>
#include <string>

namespace emf2pdf {

namespace {

// A fill with its pattern owned, lent out again as a FillStyle.
struct OwnedFill {
  explicit OwnedFill(const FillStyle& fill) : style(fill) {
    if (fill.pattern) pattern = *fill.pattern;
  }
  FillStyle Style() const {
    FillStyle lent = style;
    if (pattern) lent.pattern = &*pattern;
    return lent;
  }
  FillStyle style;
  std::optional<FillPattern> pattern;
};

// A text run whose characters, advances and font are owned.
struct OwnedText {
  explicit OwnedText(const TextRun& run)
      : run(run),
        bytes(run.bytes),
        units(run.units),
        glyphs(run.glyphs.begin(), run.glyphs.end()),
        advances(run.advances.begin(), run.advances.end()) {
    if (run.font) font = *run.font;
  }
  TextRun Run() const {
    TextRun lent = run;
    lent.bytes = bytes;
    lent.units = units;
    lent.glyphs = glyphs;
    lent.advances = advances;
    lent.font = font ? &*font : nullptr;
    return lent;
  }
  TextRun run;
  std::string bytes;
  std::u16string units;
  std::vector<uint16_t> glyphs;
  std::vector<double> advances;
  std::optional<FontRequest> font;
};

// An image whose pixels are owned.
struct OwnedImage {
  explicit OwnedImage(const DeviceImage& image) : image(image) {
    if (image.pixels) pixels = *image.pixels;
    if (image.stencil) stencil = *image.stencil;
    if (image.translucent) translucent = *image.translucent;
  }
  DeviceImage Image() const {
    DeviceImage lent = image;
    if (pixels) lent.pixels = &*pixels;
    if (stencil) lent.stencil = &*stencil;
    if (translucent) lent.translucent = &*translucent;
    return lent;
  }
  DeviceImage image;
  std::optional<platform::TBitmap> pixels;
  std::optional<platform::TBitmap> stencil;
  std::optional<platform::TDibPixels> translucent;
};

// A pen reaches past its path by up to half its width times PDF's miter
// limit of 10.
PageBox StrokeReach(const DevicePath& path, const StrokeStyle* stroke) {
  return BoundsOf(path).Grown(stroke ? stroke->width * 5 + 1 : 1);
}

// Text reaches no further from its point than a few ems per character.
PageBox TextReach(const TextRun& run) {
  const size_t characters = std::max({run.bytes.size(), run.units.size(), run.glyphs.size()});
  double advance = 0;
  for (double a : run.advances) advance += std::fabs(a);
  const double size = run.font ? std::fabs(run.font->size) : 0;
  const double radius = advance + size * (2 * static_cast<double>(characters) + 4) + 1;
  PageBox box;
  box.Add(run.x, run.y);
  return box.Grown(radius);
}

PageBox ImageReach(const ImagePlacement& at) {
  PageBox box;
  if (at.framed) {
    box.Add(at.topLeft.x, at.topLeft.y);
    box.Add(at.topRight.x, at.topRight.y);
    box.Add(at.bottomLeft.x, at.bottomLeft.y);
    box.Add(at.topRight.x + at.bottomLeft.x - at.topLeft.x,
            at.topRight.y + at.bottomLeft.y - at.topLeft.y);
  } else {
    box.Add(at.x, at.y);
    box.Add(at.x + at.width, at.y + at.height);
  }
  return box.Grown(1);
}

}  // namespace

void PageBox::Add(double x, double y) {
  left = std::min(left, x);
  right = std::max(right, x);
  top = std::min(top, y);
  bottom = std::max(bottom, y);
}

PageBox PageBox::Grown(double margin) const {
  return {left - margin, top - margin, right + margin, bottom + margin};
}

bool PageBox::Meets(const PageBox& other) const {
  return left <= other.right && other.left <= right && top <= other.bottom && other.top <= bottom;
}

PageBox BoundsOf(const DevicePath& path) {
  PageBox box;
  for (const DevicePath::Element& e : path.Elements()) {
    int values = 4;
    if (e.kind == DevicePath::Kind::kMove || e.kind == DevicePath::Kind::kLine) values = 2;
    if (e.kind == DevicePath::Kind::kCurve) values = 6;
    if (e.kind == DevicePath::Kind::kClose) values = 0;
    for (int i = 0; i < values; i += 2) box.Add(e.v[i], e.v[i + 1]);
  }
  return box;
}

DisplayListDevice::~DisplayListDevice() = default;

void DisplayListDevice::Replay(DrawingDevice& device, const PageBox* within) const {
  device.Begin(beginPen_);
  for (const Kept& kept : calls_)
    if (within == nullptr || !kept.reach || kept.reach->Meets(*within)) kept.call(device);
  device.End();
}

void DisplayListDevice::DoBegin(const StrokeStyle& pen) {
  beginPen_ = pen;
  next_.Begin(pen);
}

void DisplayListDevice::DoEnd() {
  BeforeDrawing();
  next_.End();
}

void DisplayListDevice::DoPushClip(const DevicePath& path, const FillStyle* fill) {
  BeforeDrawing();
  auto owned = fill ? std::make_shared<const OwnedFill>(*fill) : nullptr;
  Keep([path, owned](DrawingDevice& device) {
    if (!owned) return device.PushClip(path);
    const FillStyle style = owned->Style();
    device.PushClip(path, &style);
  });
  next_.PushClip(path, fill);
}

void DisplayListDevice::DoPopClip() {
  BeforeDrawing();
  Keep([](DrawingDevice& device) { device.PopClip(); });
  next_.PopClip();
}

void DisplayListDevice::DrawPath(const DevicePath& path, const FillStyle* fill,
                                 const StrokeStyle* stroke) {
  BeforeDrawing();
  auto ownedFill = fill ? std::make_shared<const OwnedFill>(*fill) : nullptr;
  auto ownedStroke = stroke ? std::make_shared<const StrokeStyle>(*stroke) : nullptr;
  Keep(
      [path, ownedFill, ownedStroke](DrawingDevice& device) {
        const std::optional<FillStyle> style =
            ownedFill ? std::optional(ownedFill->Style()) : std::nullopt;
        device.DrawPath(path, style ? &*style : nullptr, ownedStroke.get());
      },
      StrokeReach(path, stroke));
  next_.DrawPath(path, fill, stroke);
}

void DisplayListDevice::FillDifference(const DevicePath& path, uint32_t color) {
  BeforeDrawing();
  Keep([path, color](DrawingDevice& device) { device.FillDifference(path, color); },
       StrokeReach(path, nullptr));
  next_.FillDifference(path, color);
}

void DisplayListDevice::SetClip(const ClipState& clip) {
  clip_ = clip;
  Keep([clip](DrawingDevice& device) { device.SetClip(clip); });
  next_.SetClip(clip);
}

void DisplayListDevice::ShowText(const TextRun& run) {
  BeforeDrawing();
  auto owned = std::make_shared<const OwnedText>(run);
  Keep([owned](DrawingDevice& device) { device.ShowText(owned->Run()); }, TextReach(run));
  next_.ShowText(run);
}

void DisplayListDevice::DrawImage(const DeviceImage& image, const ImagePlacement& at) {
  BeforeDrawing();
  auto owned = std::make_shared<const OwnedImage>(image);
  Keep([owned, at](DrawingDevice& device) { device.DrawImage(owned->Image(), at); },
       ImageReach(at));
  next_.DrawImage(image, at);
}

void DisplayListDevice::ShadeAxial(const ShadedVertex& from, const ShadedVertex& to) {
  BeforeDrawing();
  Keep([from, to](DrawingDevice& device) { device.ShadeAxial(from, to); });
  next_.ShadeAxial(from, to);
}

void DisplayListDevice::ShadeTriangles(std::span<const ShadedVertex> vertices) {
  BeforeDrawing();
  std::vector<ShadedVertex> owned(vertices.begin(), vertices.end());
  Keep([owned = std::move(owned)](DrawingDevice& device) { device.ShadeTriangles(owned); });
  next_.ShadeTriangles(vertices);
}

}  // namespace emf2pdf
