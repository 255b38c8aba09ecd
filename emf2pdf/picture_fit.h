#pragma once

#include <optional>

#include "pdf/pdf_types.h"

namespace emf2pdf {

// Page margins in millimetres.
struct PageMargins {
  double left = 0;
  double top = 0;
  double right = 0;
  double bottom = 0;
};

// The part of a page inside its margins, in the page's units.
struct PictureArea {
  double left;
  double top;
  double width;
  double height;
};

// Whether a picture fits a page: the area its margins leave, or nothing when
// they leave none. `width` and `height` are the page's, in units of which
// `unitsPerMm` make a millimetre.
std::optional<PictureArea> AreaInsideMargins(double width, double height, double unitsPerMm,
                                             const PageMargins& margins);

// Whether a picture fits a page of a size the options name, in the
// orientation they name. A page "same as the printed page" (psUserDefined) is
// the picture's frame with the margins around it, so a picture always fits.
bool PictureFits(pdf::TPDFPageSize size, pdf::TPDFPageOrientation orientation,
                 const PageMargins& margins);

// The options' page size in points, turned to the orientation; none for
// psUserDefined.
std::optional<pdf::PageDimensions> FixedPageSize(pdf::TPDFPageSize size,
                                                 pdf::TPDFPageOrientation orientation);

}  // namespace emf2pdf
