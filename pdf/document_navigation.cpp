#include "pdf/document.h"
#include "pdf/pdf_exception.h"

namespace pdf {

void TPDFDocument::RegisterAction(TPDFAction& action) {
  RequireActive();
  actions_.Add(action);
  if (action.ObjectNumber() < 1) action.SetObjectNumber(AllocObjectNumber());
}

// Chains are registered whole: the list grows while it is walked.
void TPDFDocument::RegisterChainedActions() {
  for (int i = 0; i < actions_.Count(); ++i) {
    TPDFAction& action = actions_.Items(i);
    if (action.ObjectNumber() < 1) action.SetObjectNumber(AllocObjectNumber());
    if (action.NextAction() != nullptr) RegisterAction(*action.NextAction());
  }
}

void TPDFDocument::WriteActions() {
  for (int i = 0; i < actions_.Count(); ++i) actions_.Items(i).Write();
}

void TPDFDocument::WriteOutlines() { outlines_.Write(); }

void TPDFDocument::WriteOutlinesReference() {
  if (outlines_.Count() > 0) WriteKeyReference("/Outlines ", outlines_.ObjectNumber());
}

}  // namespace pdf
