#include "emf2pdf/raster_prescan.h"

#include <exception>

#include "emf2pdf/emf_records.h"
#include "emf2pdf/emw_parser.h"
#include "platform/raster_ops.h"

namespace emf2pdf {

using namespace emr;

namespace {

// Draws nothing: the picture is played only to see what it asks for.
class NullDevice final : public DrawingDevice {
 public:
  explicit NullDevice(bool blendModes) : blendModes_(blendModes) {}
  bool DrawsBlendModes() const override { return blendModes_; }
  void DrawPath(const DevicePath&, const FillStyle*, const StrokeStyle*) override {}
  void FillDifference(const DevicePath&, uint32_t) override {}
  void SetClip(const ClipState&) override {}
  void ShowText(const TextRun&) override {}
  void DrawImage(const DeviceImage&, const ImagePlacement&) override {}
  void ShadeAxial(const ShadedVertex&, const ShadedVertex&) override {}
  void ShadeTriangles(std::span<const ShadedVertex>) override {}

 protected:
  void DoBegin(const StrokeStyle&) override {}
  void DoEnd() override {}
  void DoPushClip(const DevicePath&, const FillStyle*) override {}
  void DoPopClip() override {}

 private:
  bool blendModes_;
};

// Notes that it was asked, and says the operation is done.
class ProbeCompositor final : public PageCompositor {
 public:
  bool Compose(const RasterOperation&, DrawingDevice&, PictureBudget&) override {
    asked = true;
    return true;
  }
  bool asked = false;
};

uint32_t U32At(const EmfRecord& record, size_t at) {
  const uint8_t* b = record.bytes.data() + at;
  return b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24;
}

// Where each bitmap record keeps its ternary code.
size_t RopOffset(uint32_t type) {
  switch (type) {
    case EMR_BITBLT:
    case EMR_STRETCHBLT:
    case EMR_MASKBLT:
      return 40;
    case EMR_STRETCHDIBITS:
      return 68;
    default:
      return 0;
  }
}

}  // namespace

bool MayComposeRaster(const EmfReader& emf) {
  bool may = false;
  emf.Walk([&](const EmfRecord& record) {
    const size_t size = record.bytes.size();
    if (record.type == EMR_SETROP2 && size >= 12) {
      const uint32_t rop2 = U32At(record, 8);
      if (rop2 != R2_COPYPEN && rop2 != R2_NOP) may = true;
    }
    const size_t at = RopOffset(record.type);
    if (at == 0 || size < at + 4) return;
    const uint32_t rop = U32At(record, at);
    if (platform::RopUsesDestination(rop) || platform::RopUsesPattern(rop)) may = true;
  });
  return may;
}

bool NeedsRasterCompositor(const EmfReader& emf, bool blendModes) {
  if (!MayComposeRaster(emf)) return false;
  NullDevice device(blendModes);
  ProbeCompositor probe;
  TEMWParser parser(emf, device);
  parser.SetCompositor(&probe);
  parser.Play();
  return probe.asked;
}

bool PagesNeedRasterCompositor(const std::vector<PageSource>& pages, bool blendModes) {
  for (const PageSource& page : pages) {
    try {
      if (NeedsRasterCompositor(LoadPage(page), blendModes)) return true;
    } catch (const std::exception&) {
    }
  }
  return false;
}

}  // namespace emf2pdf
