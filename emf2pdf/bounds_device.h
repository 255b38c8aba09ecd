#pragma once

#include <limits>
#include <optional>
#include <vector>

#include "emf2pdf/drawing_device.h"
#include "emf2pdf/emf_reader.h"

namespace pdf {
class TPDFDocument;
}

namespace emf2pdf {

// An upright box in page pixels; empty until a point is added. A box of no
// width or height (a hairline) is not empty.
struct InkBox {
  static constexpr double kFar = std::numeric_limits<double>::infinity();
  double left = kFar, top = kFar, right = -kFar, bottom = -kFar;

  static InkBox Everything() { return {-kFar, -kFar, kFar, kFar}; }
  bool Empty() const { return !(left <= right && top <= bottom); }
  bool Bounded() const;
  bool HasArea() const { return left < right && top < bottom; }
  void Add(double x, double y);
  void Unite(const InkBox& other);
  InkBox Intersected(const InkBox& other) const;
  void Inflate(double by);
};

// The boxes of what a drawing call covers: a path's points (curve control
// points included, so a little generous), a text run's cells from its
// advances and font size (approximate), an image's corners, and the clip's
// region cut by the clip paths that keep their inside.
InkBox PathBox(const DevicePath& path);
// The font's size is in points: `pagePixelsPerPoint` is the page's resolution / 72.
InkBox TextBox(const TextRun& run, double pagePixelsPerPoint = 1);
InkBox ImageBox(const ImagePlacement& at);
InkBox ClipBox(const ClipState& clip);

// Draws nothing; measures the union of what the calls would mark, each cut
// by the clip in force: paths with half their stroke width around them,
// text runs, images and shadings.
class BoundsDevice final : public DrawingDevice {
 public:
  // Font sizes come in points; a point is the page's resolution / 72 pixels.
  explicit BoundsDevice(double pagePixelsPerPoint = 1) : pagePixelsPerPoint_(pagePixelsPerPoint) {}

  // Everything marked so far; empty when nothing was.
  const InkBox& Ink() const { return ink_; }
  // Of the last drawing call: what it covers, and what the clip left of it.
  const InkBox& LastCovered() const { return lastCovered_; }
  const InkBox& LastKept() const { return lastKept_; }
  // The clip in force.
  InkBox Clip() const;

  void DrawPath(const DevicePath& path, const FillStyle* fill, const StrokeStyle* stroke) override;
  void FillDifference(const DevicePath& path, uint32_t color) override;
  void SetClip(const ClipState& clip) override;
  void ShowText(const TextRun& run) override;
  void DrawImage(const DeviceImage& image, const ImagePlacement& at) override;
  void ShadeAxial(const ShadedVertex& from, const ShadedVertex& to) override;
  void ShadeTriangles(std::span<const ShadedVertex> vertices) override;

 protected:
  void DoBegin(const StrokeStyle& pen) override;
  void DoEnd() override;
  void DoPushClip(const DevicePath& path, const FillStyle* fill) override;
  void DoPopClip() override;

 private:
  void Mark(const InkBox& covered);

  double pagePixelsPerPoint_;
  InkBox contextClip_ = InkBox::Everything();
  std::vector<InkBox> pushed_;  // each already cut by the ones under it
  InkBox ink_;
  InkBox lastCovered_;
  InkBox lastKept_;
};

// What the picture really draws, in pixels of its reference device (the
// units of the header's bounds): played once into a bounds device on a
// document with the resolution and options of `like`. nullopt when it
// draws nothing.
std::optional<RectL> MeasureInk(const EmfReader& emf, pdf::TPDFDocument& like);

// The picture with a usable frame where its header has neither a frame (one
// of no width or height, or a reference device of no size) nor bounds (empty
// or inverted): the frame is made from the measured ink, on a 96 dpi
// reference device when the header's is unusable. nullopt otherwise, or
// when the picture draws nothing.
std::optional<EmfReader> WithMeasuredFrame(const EmfReader& emf, pdf::TPDFDocument& like);

}  // namespace emf2pdf
