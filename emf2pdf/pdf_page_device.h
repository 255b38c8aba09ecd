#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "emf2pdf/drawing_device.h"
#include "emf2pdf/pdf_pattern_cells.h"
#include "pdf/page.h"

namespace emf2pdf {

// Draws on a PDF page (or form). It owns the q/Q nesting (the clip level,
// pushed clips, pattern fills, blending) and writes a state operator only
// when its value differs from what the page has in force.
// It encodes what it is handed as the document allows: bitmaps as images
// (CCITT for 1 bit per pixel, else JPEG or deflate as the document's
// options say; stencils as masks, opacity as a soft mask from PDF 1.4 and
// blended onto paper before), pattern brushes as tiling patterns.
class PdfPageDevice final : public DrawingDevice {
 public:
  explicit PdfPageDevice(pdf::TPDFPage& page) : page_(page) {}

  void DrawPath(const DevicePath& path, const FillStyle* fill, const StrokeStyle* stroke) override;
  void FillDifference(const DevicePath& path, uint32_t color) override;
  bool DrawsBlendModes() const override;
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

  pdf::TPDFPage& page_;           // outlives the device; keeps the state in force
  ClipState clip_;                // the clip in force
  uint64_t shownClipSerial_ = 0;  // the clip the page shows
  bool clipOpen_ = false;         // a q level holds the shown clip
  void UseBlend(Blend blend);

  // The image's index in the document (an equal image added before is
  // that one).
  int AddImage(const DeviceImage& image);
  int AddBitmap(const platform::TBitmap& bitmap, int maskIndex = -1,
                const std::string& opacity = std::string());
  int AddTranslucent(const DeviceImage& image);
  PatternCells patternCells_;
};

}  // namespace emf2pdf
