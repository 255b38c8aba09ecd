#include <algorithm>
#include <cmath>

#include "pdf/document.h"
#include "pdf/metafile_player.h"
#include "pdf/number_format.h"
#include "pdf/page.h"

namespace pdf {

namespace {

bool IsEmptyExtent(const TPDFMetafilePlayer::Extent& extent) {
  return !std::isfinite(extent.width) || !std::isfinite(extent.height) || extent.width == 0 ||
         extent.height == 0;
}

}  // namespace

void TPDFPage::PlayMetaFile(TPDFMetafilePlayer& player, double x, double y, double xScale,
                            double yScale) {
  TPDFPage& form = forms_.Add();
  form.width_ = width_;
  form.height_ = height_;
  form.size_ = size_;
  form.orientation_ = orientation_;
  form.resolution_ = resolution_;
  form.factor_ = factor_;
  form.placedScale_ = std::min(std::fabs(xScale), std::fabs(yScale)) * placedScale_;

  // The reference device has no drawing-area limit, so re-recording the
  // picture before playback is an identity copy: the scale stays 1.
  constexpr double kRedrawScale = 1;

  const TPDFMetafilePlayer::Extent extent = player.Load(form);
  if (IsEmptyExtent(extent)) {
    // The form's number is already handed out; it is written as an empty
    // object with this page so the cross-reference table stays truthful.
    emptyFormNumbers_.push_back(form.ObjectNumber());
    forms_.Remove(form);
    return;
  }
  form.SetWidth(std::fabs(extent.width));
  form.SetHeight(std::fabs(extent.height));
  player.Play();

  EndText();
  AppendLine("q /IF" + IntToStr(forms_.IndexOf(form)) + " Do Q");

  const double f = Factor();
  form.SetFormMatrix(xScale / kRedrawScale, 0, 0, yScale / kRedrawScale, x / f,
                     (HeightPx() - yScale * form.HeightPx() / kRedrawScale - y) / f);
}

void TPDFPage::WriteEmptyForms() {
  for (int64_t number : emptyFormNumbers_) {
    document_.BeginObject(number);
    document_.EndDictionary();
    document_.EndObject();
  }
  emptyFormNumbers_.clear();
}

}  // namespace pdf
