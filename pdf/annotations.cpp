#include "pdf/annotations.h"

#include <cmath>
#include <utility>

#include "pdf/actions.h"
#include "pdf/document.h"
#include "pdf/navigation_messages.h"
#include "pdf/number_format.h"
#include "pdf/page.h"
#include "pdf/pdf_exception.h"

namespace pdf {

namespace {

TPDFPage& RequirePage(TPDFPage* page) {
  if (page == nullptr) throw TPDFException(msg::kAnnotationWithoutPage);
  return *page;
}

// Halves to even, saturating at the int range.
int RoundPoint(double value) {
  if (!std::isfinite(value)) return 0;
  const double rounded = std::nearbyint(value);
  if (rounded > 2147483647.0) return 2147483647;
  if (rounded < -2147483647.0) return -2147483647;
  return static_cast<int>(rounded);
}

}  // namespace

TPDFCustomAnnotation::TPDFCustomAnnotation(TPDFPage* page) : page_(RequirePage(page)) {
  objectNumber_ = page_.Document().AllocObjectNumber();
}

TPDFActionAnnotation::TPDFActionAnnotation(TPDFPage* page) : TPDFCustomAnnotation(page) {}

void TPDFActionAnnotation::SetRect(double left, double top, double right, double bottom) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  left_ = RoundPoint(page_.ExtX(left));
  top_ = RoundPoint(page_.ExtY(top));
  right_ = RoundPoint(page_.ExtX(right));
  bottom_ = RoundPoint(page_.ExtY(bottom));
}

void TPDFActionAnnotation::SetAction(TPDFAction* action) {
  if (action != nullptr) page_.Document().RegisterAction(*action);
  action_ = action;
}

std::string ColorArray(uint32_t color) {
  std::string text = "[";
  for (int shift = 0; shift <= 16; shift += 8) {
    AppendNumber(text, ((color >> shift) & 0xFF) / 255.0);
    text += ' ';
  }
  text += ']';
  return text;
}

void TPDFActionAnnotation::Write() {
  TPDFDocument& document = page_.Document();
  document.BeginObject(objectNumber_);
  document.WriteLine("/Type /Annot");
  document.WriteLine("/Subtype /Link");
  document.WriteLine("/Border " + border_);
  // An archived link prints and is never hidden (Invisible, Hidden, NoView).
  document.WriteKeyInteger("/F ", document.IsPdfA() ? (flags_ & ~0x23) | 4 : flags_);
  document.WriteLine("/C " + ColorArray(color_));
  document.WriteLine("/Rect [" + IntToStr(left_) + " " + IntToStr(bottom_) + " " +
                     IntToStr(right_) + " " + IntToStr(top_) + "]");
  if (action_ != nullptr) document.WriteKeyReference("/A ", action_->ObjectNumber());
  document.EndDictionary();
  document.EndObject();
}

}  // namespace pdf
