#include "emf2pdf/emf2pdf_converter.h"
#include "pdf/font.h"
#include "pdf/page.h"

namespace emf2pdf {

// Drawn on the page itself, after the picture, so that addresses in the
// text become links like those of any page text.
void TEMF2PDFConverter::DrawWatermark(pdf::TPDFPage& page) {
  if (!addWatermarks_ || waterMarkText_.empty()) return;
  page.SetRGBColor(0, 0, 1);
  page.SetTextRenderingMode(0);
  page.SetActiveFont("Arial", pdf::kStyleBold, 1, 14);
  for (double y : {10.0, 400.0, 700.0}) page.TextOut(waterMarkText_, 10, y, 0);
}

}  // namespace emf2pdf
