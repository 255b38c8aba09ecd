#include "emf2pdf/picture_fit.h"

#include <utility>

namespace emf2pdf {

namespace {

constexpr double kPointsPerMm = 72 / 25.4;

}  // namespace

std::optional<PictureArea> AreaInsideMargins(double width, double height, double unitsPerMm,
                                             const PageMargins& margins) {
  const double areaWidth = width - (margins.left + margins.right) * unitsPerMm;
  const double areaHeight = height - (margins.top + margins.bottom) * unitsPerMm;
  // Written so that NaN leaves no room either.
  if (!(areaWidth > 0) || !(areaHeight > 0)) return std::nullopt;
  return PictureArea{margins.left * unitsPerMm, margins.top * unitsPerMm, areaWidth, areaHeight};
}

std::optional<pdf::PageDimensions> FixedPageSize(pdf::TPDFPageSize size,
                                                 pdf::TPDFPageOrientation orientation) {
  if (size == pdf::psUserDefined) return std::nullopt;
  auto page = pdf::PageSizeDimensions(size);
  // As a page turns itself: landscape puts the longer side across.
  const bool swap =
      orientation == pdf::poPagePortrait ? page.width > page.height : page.height > page.width;
  if (swap) std::swap(page.width, page.height);
  return page;
}

bool PictureFits(pdf::TPDFPageSize size, pdf::TPDFPageOrientation orientation,
                 const PageMargins& margins) {
  const auto page = FixedPageSize(size, orientation);
  return !page || AreaInsideMargins(page->width, page->height, kPointsPerMm, margins).has_value();
}

}  // namespace emf2pdf
