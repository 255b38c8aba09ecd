#include "emf2pdf/page_picture.h"

#include <cmath>
#include <stdexcept>

#include "emf2pdf/emf2pdf_converter.h"
#include "pdf/page.h"
#include "platform/pdf_raster.h"

namespace emf2pdf {

namespace {

constexpr double kPointsPerInch = 72;

double DevicePerInch(int32_t pixels, int32_t millimetres) {
  if (pixels <= 0 || millimetres <= 0) return 0;
  return pixels * 25.4 / millimetres;
}

// Pixels for a length in inches; a count past the int range is refused
// later by the bitmap's size check.
int PixelsFor(double inches, double dpi) {
  const double pixels = std::round(inches * dpi);
  if (!std::isfinite(pixels) || pixels < 1) return 1;
  return pixels > 1e9 ? 1000000000 : static_cast<int>(pixels);
}

}  // namespace

DeviceDpi ReferenceDeviceDpi(const EmfHeader& header) {
  const double x = DevicePerInch(header.szlDevice.cx, header.szlMillimeters.cx);
  const double y = DevicePerInch(header.szlDevice.cy, header.szlMillimeters.cy);
  if (x == 0 || y == 0) return {};
  return {x, y};
}

PagePicture PagePicture::Load(const PageSource& page, int pageNumber) {
  const EmfReader emf = LoadPage(page);
  PagePicture picture;
  picture.file_ = page.label;
  picture.deviceDpi_ = ReferenceDeviceDpi(emf.Header());
  TEMF2PDFConverter converter;
  converter.SetMemoryOutput(true);
  converter.SetPageSize(pdf::psUserDefined);
  converter.SetMarginLeft(0);
  converter.SetMarginRight(0);
  converter.SetMarginTop(0);
  converter.SetMarginBottom(0);
  converter.SetGenerateBookmarks(false);
  converter.SetFirstPageNumber(pageNumber);
  converter.BeginDoc();
  try {
    converter.DrawPage(emf, page.label, page.paper);
    const pdf::TPDFPage& drawn = converter.CurrentPage();
    picture.widthInches_ = drawn.Width() / kPointsPerInch;
    picture.heightInches_ = drawn.Height() / kPointsPerInch;
    converter.EndDoc();
  } catch (...) {
    if (converter.Active()) converter.Abort();
    throw;
  }
  picture.pdf_ = converter.TakeMemoryOutput();
  return picture;
}

int PagePicture::PixelWidth(double dpi) const { return PixelsFor(widthInches_, dpi); }
int PagePicture::PixelHeight(double dpi) const { return PixelsFor(heightInches_, dpi); }

platform::TBitmap PagePicture::Render(int width, int height) const {
  if (!platform::TBitmap::SizeAllowed(width, height))
    throw std::runtime_error(file_ + ": a page of " + std::to_string(width) + " x " +
                             std::to_string(height) + " pixels is too large to draw");
  return platform::RasterizePdfPage(pdf_, width, height);
}

}  // namespace emf2pdf
