#include "emf2pdf/emw_form_player.h"

#include "emf2pdf/pdf_page_device.h"
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

void TEMWFormPlayer::Play() {
  if (form_ == nullptr) return;
  PdfPageDevice device(*form_);
  if (trace_ != nullptr) {
    TraceDevice tee(device, *trace_);
    TEMWParser parser(emf_, tee, settings_);
    parser.SetObserver(trace_);
    PlayAndCount(parser);
    return;
  }
  TEMWParser parser(emf_, device, settings_);
  PlayAndCount(parser);
}

void TEMWFormPlayer::PlayAndCount(TEMWParser& parser) {
  parser.Play();
  droppedRecords_ = parser.DroppedRecords();
  walkCompleted_ = parser.WalkCompleted();
}

}  // namespace emf2pdf
