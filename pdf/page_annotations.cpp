#include <memory>

#include "pdf/actions.h"
#include "pdf/annotations.h"
#include "pdf/document.h"
#include "pdf/page.h"
#include "pdf/pdf_exception.h"

namespace pdf {

TPDFActionAnnotation& TPDFPage::CreateAnnotation(double left, double top, double right,
                                                 double bottom, TPDFAction* action) {
  // A form is drawn wherever its page puts it: a link rectangle on it would
  // land somewhere else on the page.
  if (isForm_) throw TPDFException(msg::kUrlOnWatermark);
  // Registering can refuse; do it before the annotation takes an object number.
  if (action != nullptr) document_.RegisterAction(*action);
  auto annotation = std::make_unique<TPDFActionAnnotation>(this);
  annotation->SetRect(left, top, right, bottom);
  annotation->SetBorder("[]");
  annotation->SetAction(action);
  annotations_.push_back(std::move(annotation));
  return *annotations_.back();
}

TPDFActionAnnotation& TPDFPage::CreateURLAnnotation(double left, double top, double right,
                                                    double bottom, const std::string& url) {
  if (isForm_) throw TPDFException(msg::kUrlOnWatermark);
  TPDFURLAction& action = document_.Actions().CreateURLAction(url);
  return CreateAnnotation(left, top, right, bottom, &action);
}

void TPDFPage::NumberAnnotations() {
  for (auto& annotation : annotations_)
    if (annotation->ObjectNumber() < 1) annotation->SetObjectNumber(document_.AllocObjectNumber());
}

void TPDFPage::WriteAnnotations() {
  for (auto& annotation : annotations_) annotation->Write();
}

void TPDFPage::WriteAnnotsArray() {
  if (annotations_.empty()) return;
  document_.WriteLine("/Annots [");
  for (auto& annotation : annotations_) document_.WriteKeyReference("", annotation->ObjectNumber());
  document_.WriteLine("]");
}

}  // namespace pdf
