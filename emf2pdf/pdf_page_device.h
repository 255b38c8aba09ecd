#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "emf2pdf/drawing_device.h"
#include "pdf/page.h"

namespace emf2pdf {

// Draws on a PDF page (or form). It owns the q/Q nesting (the clip level,
// pushed clips, pattern fills, blending) and writes a state operator only
// when its value differs from what the page has in force at that level.
class PdfPageDevice final : public DrawingDevice {
 public:
  explicit PdfPageDevice(pdf::TPDFPage& page) : page_(page) {}

  void Begin(const StrokeStyle& pen) override;
  void End() override;
  void DrawPath(const DevicePath& path, const FillStyle* fill, const StrokeStyle* stroke) override;
  void FillDifference(const DevicePath& path, uint32_t color) override;
  void SetClip(const ClipState& clip) override;
  void PushClip(const DevicePath& path, const FillStyle* fill = nullptr) override;
  void PopClip() override;
  void ShowText(const TextRun& run) override;
  void ShowImage(int index, const ImagePlacement& at) override;
  void ShadeAxial(const pdf::TPDFShadedVertex& from, const pdf::TPDFShadedVertex& to) override;
  void ShadeTriangles(std::span<const pdf::TPDFShadedVertex> vertices) override;

 private:
  // What the page has in force at one q level; unset where it is not known.
  struct State {
    std::optional<uint32_t> fill;
    std::optional<uint32_t> stroke;
    std::optional<double> width;
    std::optional<std::string> dash;
    std::optional<int> cap;
    std::optional<int> join;
  };
  State& Current() { return states_.back(); }
  void Save();
  void Restore();
  // Brings the page's clip level in line with the clip in force: the level
  // of a clip no longer in force is closed, then the new one opened.
  void ShowClip();
  void CloseStaleClip();
  void OpenClip();
  void WritePath(const DevicePath& path);
  void UseFillColor(uint32_t color);
  void UseStroke(const StrokeStyle& stroke);
  // The dash as PDF writes it; the last one is kept, as most strokes repeat it.
  const std::string& DashText(const std::vector<double>& lengths);
  std::vector<double> dashLengths_;
  std::string dashText_ = "[] 0";

  pdf::TPDFPage& page_;  // outlives the device
  std::vector<State> states_{State{}};
  ClipState clip_;                // the clip in force
  uint64_t shownClipSerial_ = 0;  // the clip the page shows
  bool clipOpen_ = false;         // a q level holds the shown clip
  int pushedClips_ = 0;
  void UseBlend(Blend blend);
};

}  // namespace emf2pdf
