#pragma once

#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <span>
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
  bool MeetsAny(std::span<const PageBox> others) const;
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
  // `within`, only the drawings that may reach into one of those boxes (clips are
  // all drawn, as later drawings depend on them); from `from` on, the
  // drawings kept before it left out (their clips kept). `under` draws
  // first, right after Begin.
  void Replay(DrawingDevice& device, std::span<const PageBox> within = {}, size_t from = 0,
              const std::function<void(DrawingDevice&)>& under = nullptr) const;

  // Calls kept so far.
  size_t Count() const { return calls_.size(); }
  // The last call kept draws only inside `box` (tighter than the reach its
  // arguments give).
  void NarrowLastReach(const PageBox& box) {
    if (!calls_.empty() && calls_.back().reach) calls_.back().reach = box;
  }

  // What the drawings kept from `from` on that may reach into `within`
  // do to what lies under them.
  enum class Change {
    kNone,  // there are none
    // each channel becomes a + b x itself: painting, Multiply, Screen, and
    // Difference with a colour of channels 0 or 255
    kAffine,
    kOther,  // something else (Difference with other colours)
  };
  Change ChangeFrom(size_t from, std::span<const PageBox> within) const;

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
  // changes the state. `state`: it only changes the state (a clip). For a
  // clip level that fills, `clipAlone` opens it without the fill.
  struct Kept {
    Call call;
    std::optional<PageBox> reach;
    bool state = false;
    bool affine = true;
    Call clipAlone;
  };
  void Keep(Call call, std::optional<PageBox> reach, bool affine = true) {
    calls_.push_back({std::move(call), reach, false, affine, nullptr});
  }
  void KeepState(Call call) {
    calls_.push_back({std::move(call), std::nullopt, true, true, nullptr});
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
