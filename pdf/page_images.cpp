#include <algorithm>
#include <cmath>

#include "pdf/document.h"
#include "pdf/number_format.h"
#include "pdf/page.h"
#include "pdf/pdf_exception.h"

namespace pdf {

void TPDFPage::ShowImage(int index, double x, double y, double w, double h, double angle) {
  if (w == 0 || h == 0) return;
  ShowImagePt(index, ExtX(x), ExtY(y) - ExtLength(h), ExtLength(w), ExtLength(h), angle);
}

void TPDFPage::ShowImagePt(int index, double x, double y, double w, double h, double angle) {
  TPDFImages& images = document_.Images();
  if (index < 0 || index >= images.Count()) throw TPDFException(msg::kOutOfRange);
  const TPDFImage& image = images.Items(index);
  if (image.BitsPerComponent() == 1 || image.IsGray())
    usesGreyImage_ = true;
  else
    usesColorImage_ = true;

  GStateSave();
  Translate(x, y);
  if (std::fabs(angle) > 0.001) Rotate(angle);
  ConcatMatrix(w, 0, 0, h, 0, 0);
  AppendLine("/" + image.ResourceName() + " Do");
  GStateRestore();

  if (std::find(usedImages_.begin(), usedImages_.end(), index) == usedImages_.end())
    usedImages_.push_back(index);
}

void TPDFPage::WriteUsedImages() {
  TPDFImages& images = document_.Images();
  for (int index : usedImages_)
    if (index < images.Count()) images.Items(index).WriteImage(document_);
}

void TPDFPage::WriteImageResources() {
  TPDFImages& images = document_.Images();
  for (int index : usedImages_) {
    if (index >= images.Count()) continue;
    const TPDFImage& image = images.Items(index);
    document_.WriteLine("/" + image.ResourceName() + " " + IntToStr(image.ObjectNumber()) + " 0 R");
  }
}

}  // namespace pdf
