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
  for (const DevicePoint& corner : CornersOf(at)) box.Add(corner.x, corner.y);
  return box.Grown(1);
}

// Difference with a colour whose channels are each 0 or 255 leaves a
// channel alone or makes it 255 minus itself: a + b x itself, as painting
// does. With other colours it is not.
bool PureColor(uint32_t color) {
  for (int shift : {0, 8, 16}) {
    const uint32_t channel = (color >> shift) & 0xFF;
    if (channel != 0 && channel != 0xFF) return false;
  }
  return true;
}

bool Affine(const FillStyle* fill) {
  return fill == nullptr || fill->blend != Blend::kDifference ||
         (fill->pattern == nullptr && PureColor(fill->color));
}

bool Affine(const StrokeStyle* stroke) {
  return stroke == nullptr || stroke->blend != Blend::kDifference || PureColor(stroke->color);
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

bool PageBox::MeetsAny(std::span<const PageBox> others) const {
  return std::any_of(others.begin(), others.end(), [&](const PageBox& o) { return Meets(o); });
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

void DisplayListDevice::Replay(DrawingDevice& device, std::span<const PageBox> within, size_t from,
                               const std::function<void(DrawingDevice&)>& under) const {
  device.Begin(beginPen_);
  if (under) under(device);
  for (size_t i = 0; i < calls_.size(); ++i) {
    const Kept& kept = calls_[i];
    if (kept.state) {
      kept.call(device);
    } else if (i < from) {
      if (kept.clipAlone) kept.clipAlone(device);
    } else if (within.empty() || !kept.reach || kept.reach->MeetsAny(within)) {
      kept.call(device);
    }
  }
  device.End();
}

DisplayListDevice::Change DisplayListDevice::ChangeFrom(size_t from,
                                                        std::span<const PageBox> within) const {
  Change change = Change::kNone;
  for (size_t i = from; i < calls_.size(); ++i) {
    const Kept& kept = calls_[i];
    if (kept.state || (kept.reach && !kept.reach->MeetsAny(within))) continue;
    if (!kept.affine) return Change::kOther;
    change = Change::kAffine;
  }
  return change;
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
  if (fill == nullptr) {
    KeepState([path](DrawingDevice& device) { device.PushClip(path); });
  } else {
    auto owned = std::make_shared<const OwnedFill>(*fill);
    Keep(
        [path, owned](DrawingDevice& device) {
          const FillStyle style = owned->Style();
          device.PushClip(path, &style);
        },
        std::nullopt, Affine(fill));
    calls_.back().clipAlone = [path](DrawingDevice& device) { device.PushClip(path); };
  }
  next_.PushClip(path, fill);
}

void DisplayListDevice::DoPopClip() {
  BeforeDrawing();
  KeepState([](DrawingDevice& device) { device.PopClip(); });
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
      StrokeReach(path, stroke), Affine(fill) && Affine(stroke));
  next_.DrawPath(path, fill, stroke);
}

void DisplayListDevice::FillDifference(const DevicePath& path, uint32_t color) {
  BeforeDrawing();
  Keep([path, color](DrawingDevice& device) { device.FillDifference(path, color); },
       StrokeReach(path, nullptr), PureColor(color));
  next_.FillDifference(path, color);
}

void DisplayListDevice::SetClip(const ClipState& clip) {
  clip_ = clip;
  KeepState([clip](DrawingDevice& device) { device.SetClip(clip); });
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
  Keep([from, to](DrawingDevice& device) { device.ShadeAxial(from, to); }, std::nullopt);
  next_.ShadeAxial(from, to);
}

void DisplayListDevice::ShadeTriangles(std::span<const ShadedVertex> vertices) {
  BeforeDrawing();
  std::vector<ShadedVertex> owned(vertices.begin(), vertices.end());
  Keep([owned = std::move(owned)](DrawingDevice& device) { device.ShadeTriangles(owned); },
       std::nullopt);
  next_.ShadeTriangles(vertices);
}

}  // namespace emf2pdf
