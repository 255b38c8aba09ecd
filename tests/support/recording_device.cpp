#include "support/recording_device.h"

#include "emf2pdf/emf_reader.h"
#include "emf2pdf/emw_parser.h"

namespace emw_test {

void RecordingDevice::DrawPath(const emf2pdf::DevicePath&, const emf2pdf::FillStyle* fill,
                               const emf2pdf::StrokeStyle* stroke) {
  calls.push_back(fill && fill->pattern ? "pattern" : fill ? "fill" : stroke ? "stroke" : "none");
  if (fill && fill->pattern) patterns.push_back(*fill->pattern);
}

void RecordingDevice::DrawImage(const emf2pdf::DeviceImage& image, const emf2pdf::ImagePlacement&) {
  calls.push_back("image");
  Image kept;
  if (image.pixels) kept.pixels = *image.pixels;
  if (image.stencil) kept.stencil = *image.stencil;
  kept.stencilHides = image.stencilHides;
  if (image.translucent) kept.translucent = *image.translucent;
  kept.perPixelAlpha = image.perPixelAlpha;
  kept.constantAlpha = image.constantAlpha;
  images.push_back(std::move(kept));
}

void PlayOnDevice(const std::vector<uint8_t>& emf, emf2pdf::DrawingDevice& device) {
  const auto reader = emf2pdf::EmfReader::FromBytes(emf);
  emf2pdf::TEMWParser parser(reader, device);
  parser.Play();
}

}  // namespace emw_test
