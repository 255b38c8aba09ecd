#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "emf2pdf/drawing_device.h"
#include "platform/bitmap.h"

namespace emw_test {

// A drawing device that keeps what it is handed: the calls by name, and
// copies of the images and fill patterns (which are only lent for a call).
class RecordingDevice : public emf2pdf::DrawingDevice {
 public:
  struct Image {
    std::optional<platform::TBitmap> pixels;
    std::optional<platform::TBitmap> stencil;
    uint32_t stencilHides = 0;
    std::optional<platform::TDibPixels> translucent;
    bool perPixelAlpha = false;
    uint8_t constantAlpha = 255;
  };

  std::vector<std::string> calls;
  std::vector<Image> images;
  std::vector<emf2pdf::FillPattern> patterns;

  void DrawPath(const emf2pdf::DevicePath& path, const emf2pdf::FillStyle* fill,
                const emf2pdf::StrokeStyle* stroke) override;
  void FillDifference(const emf2pdf::DevicePath&, uint32_t) override { calls.push_back("invert"); }
  void SetClip(const emf2pdf::ClipState&) override {}
  void ShowText(const emf2pdf::TextRun&) override { calls.push_back("text"); }
  void DrawImage(const emf2pdf::DeviceImage& image, const emf2pdf::ImagePlacement& at) override;
  void ShadeAxial(const emf2pdf::ShadedVertex&, const emf2pdf::ShadedVertex&) override {
    calls.push_back("shade");
  }
  void ShadeTriangles(std::span<const emf2pdf::ShadedVertex>) override { calls.push_back("shade"); }

 protected:
  void DoBegin(const emf2pdf::StrokeStyle&) override { calls.push_back("begin"); }
  void DoEnd() override { calls.push_back("end"); }
  void DoPushClip(const emf2pdf::DevicePath&, const emf2pdf::FillStyle*) override {
    calls.push_back("push");
  }
  void DoPopClip() override { calls.push_back("pop"); }
};

// Plays the metafile onto `device` at 72 page pixels per inch.
void PlayOnDevice(const std::vector<uint8_t>& emf, emf2pdf::DrawingDevice& device);

}  // namespace emw_test
