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
  const TPDFImage& image = UseImage(index);
  GStateSave();
  Translate(x, y);
  if (std::fabs(angle) > 0.001) Rotate(angle);
  ConcatMatrix(w, 0, 0, h, 0, 0);
  AppendLine("/" + image.ResourceName() + " Do");
  GStateRestore();
}

// The image's unit square goes with (0, 0) on the bottom-left corner and
// (1, 1) on the top-right one.
void TPDFPage::ShowImageFrame(int index, TPDFDevicePoint topLeft, TPDFDevicePoint topRight,
                              TPDFDevicePoint bottomLeft) {
  const double tlx = ExtX(topLeft.x), tly = ExtY(topLeft.y);
  const double trx = ExtX(topRight.x), try_ = ExtY(topRight.y);
  const double blx = ExtX(bottomLeft.x), bly = ExtY(bottomLeft.y);
  const double a = trx - tlx, b = try_ - tly, c = tlx - blx, d = tly - bly;
  if (a * d - b * c == 0) return;
  const TPDFImage& image = UseImage(index);
  GStateSave();
  ConcatMatrix(a, b, c, d, blx, bly);
  AppendLine("/" + image.ResourceName() + " Do");
  GStateRestore();
}

const TPDFImage& TPDFPage::UseImage(int index) {
  TPDFImages& images = document_.Images();
  if (index < 0 || index >= images.Count()) throw TPDFException(msg::kOutOfRange);
  const TPDFImage& image = images.Items(index);
  if (image.BitsPerComponent() == 1 || image.IsGray())
    usesGreyImage_ = true;
  else
    usesColorImage_ = true;
  if (std::find(usedImages_.begin(), usedImages_.end(), index) == usedImages_.end())
    usedImages_.push_back(index);
  return image;
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
