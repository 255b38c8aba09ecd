#include "emf2pdf/emw_form_player.h"

#include <cmath>
#include <optional>

#include "emf2pdf/display_list.h"
#include "emf2pdf/pdf_page_device.h"
#include "emf2pdf/raster_compositor.h"
#include "emf2pdf/raster_prescan.h"
#include "emf2pdf/trace_device.h"
#include "pdf/document.h"
#include "pdf/page.h"

namespace emf2pdf {

pdf::TPDFMetafilePlayer::Extent TEMWFormPlayer::Load(pdf::TPDFPage& form) {
  form_ = &form;
  settings_.resolution = form.Document().Resolution();
  settings_.options = form.Document().EMFOptions();
  const PictureExtent extent = MeasurePicture(emf_.Header(), settings_);
  return {extent.width, extent.height};
}

// With a rasterizer installed, a picture that may need the compositor is
// drawn through a display list that keeps the page so far for it.
void TEMWFormPlayer::Play() {
  if (form_ == nullptr) return;
  PdfPageDevice pdfDevice(*form_);
  DrawingDevice* device = &pdfDevice;
  std::optional<DisplayListDevice> list;
  std::optional<RasterCompositor> compositor;
  const PageRasterizer* rasterizer = InstalledPageRasterizer();
  if (rasterizer != nullptr && MayComposeRaster(emf_)) {
    list.emplace(pdfDevice);
    device = &*list;
    const PictureExtent extent = MeasurePicture(emf_.Header(), settings_);
    const int reference = settings_.options.ReferencePixelsPerInchX;
    const int resolution = form_->Document().Resolution();
    const double devicePixel =
        (resolution > 0 ? resolution : 72.0) / (reference > 0 ? reference : 96);
    compositor.emplace(
        *list, *rasterizer,
        CompositorSettings{resolution, form_->Document().Version(), std::fabs(extent.width),
                           std::fabs(extent.height),
                           CompositorScale(resolution, devicePixel, form_->PlacedScale())});
  }
  PageCompositor* composing = compositor ? &*compositor : nullptr;
  if (trace_ != nullptr) {
    TraceDevice tee(*device, *trace_);
    TEMWParser parser(emf_, tee, settings_);
    parser.SetObserver(trace_);
    parser.SetCompositor(composing);
    PlayAndCount(parser);
    return;
  }
  TEMWParser parser(emf_, *device, settings_);
  parser.SetCompositor(composing);
  PlayAndCount(parser);
}

void TEMWFormPlayer::PlayAndCount(TEMWParser& parser) {
  parser.Play();
  droppedRecords_ = parser.DroppedRecords();
  walkCompleted_ = parser.WalkCompleted();
}

}  // namespace emf2pdf
