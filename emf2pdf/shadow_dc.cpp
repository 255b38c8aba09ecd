#include "emf2pdf/shadow_dc.h"

#include "emf2pdf/emf_records.h"

namespace emf2pdf {

ShadowDC::ShadowDC() {
  current_.pen.kind = EmwObject::Kind::kPen;  // BLACK_PEN
  current_.brush.kind = EmwObject::Kind::kBrush;
  current_.brush.color = 0xFFFFFF;  // WHITE_BRUSH
  current_.font.kind = EmwObject::Kind::kFont;
}

bool ShadowDC::Save() {
  if (saved_.size() >= kMaxDepth) return false;
  saved_.push_back(current_);
  return true;
}

bool ShadowDC::Restore(int32_t iRelative) {
  const int64_t depth = static_cast<int64_t>(saved_.size());
  int64_t target;  // number of saves left afterwards
  if (iRelative < 0)
    target = depth + iRelative;
  else if (iRelative > 0)
    target = static_cast<int64_t>(iRelative) - 1;
  else
    return false;
  if (target < 0 || target >= depth) return false;
  current_ = saved_[static_cast<size_t>(target)];
  saved_.resize(static_cast<size_t>(target));
  return true;
}

}  // namespace emf2pdf
