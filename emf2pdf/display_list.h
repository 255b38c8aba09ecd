#pragma once

#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "emf2pdf/drawing_device.h"

namespace emf2pdf {

// An upright box in page pixels.
struct PageBox {
  double left = INFINITY, top = INFINITY, right = -INFINITY, bottom = -INFINITY;
  void Add(double x, double y);
  // Grown by `margin` on every side.
  PageBox Grown(double margin) const;
  bool Meets(const PageBox& other) const;
};

// The box around a path's points; shapes given by their box lie inside it.
PageBox BoundsOf(const DevicePath& path);

// Hands every drawing call on to the device after it and keeps a copy of
// it, so that what the page shows so far can be drawn again elsewhere (a
// raster operation renders the destination it combines with from it).
class DisplayListDevice final : public DrawingDevice {
 public:
  explicit DisplayListDevice(DrawingDevice& next) : next_(next) {}
  ~DisplayListDevice() override;

  // Called before every call that draws (or opens or closes a clip level),
  // before it is kept: the compositor draws what it holds back there.
  void SetBeforeDrawing(std::function<void()> hook) { beforeDrawing_ = std::move(hook); }
  // The clip last set.
  const ClipState& Clip() const { return clip_; }

  // Draws every call kept so far onto `device`, from Begin to End; with
  // `within`, only the drawings that may reach into that box (clips are
  // all drawn, as later drawings depend on them).
  void Replay(DrawingDevice& device, const PageBox* within = nullptr) const;

  void DrawPath(const DevicePath& path, const FillStyle* fill, const StrokeStyle* stroke) override;
  void FillDifference(const DevicePath& path, uint32_t color) override;
  bool DrawsBlendModes() const override { return next_.DrawsBlendModes(); }
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
  // A call that owns everything it borrowed, replayed onto a device.
  using Call = std::function<void(DrawingDevice&)>;
  // `reach`: where the call draws; without one it draws anywhere or only
  // changes the state.
  struct Kept {
    Call call;
    std::optional<PageBox> reach;
  };
  void Keep(Call call, std::optional<PageBox> reach = std::nullopt) {
    calls_.push_back({std::move(call), reach});
  }

  void BeforeDrawing() {
    if (beforeDrawing_) beforeDrawing_();
  }

  DrawingDevice& next_;
  std::function<void()> beforeDrawing_;
  ClipState clip_;
  StrokeStyle beginPen_;
  std::vector<Kept> calls_;
};

}  // namespace emf2pdf
