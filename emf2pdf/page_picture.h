#pragma once

#include <string>

#include "emf2pdf/emf_reader.h"
#include "emf2pdf/page_source.h"
#include "platform/bitmap.h"

namespace emf2pdf {

// The resolution of a picture's reference device, dots per inch; a device
// without a size counts as 96 dpi.
struct DeviceDpi {
  double x = 96;
  double y = 96;
};
DeviceDpi ReferenceDeviceDpi(const EmfHeader& header);

// One page as a picture of its own size, for outputs that show pages as
// bitmaps (JPEG pages, movie slides). The page is the one the PDF converter
// makes of the file with "same as the printed page" and no margins, so a
// bitmap page and a PDF page follow the same rules: the frame's size, A4 for
// a frame of no usable page size (the picture fitted, centred), blank for a
// picture whose frame or device gives no size. platform::RasterizePdfPage
// paints that page.
class PagePicture {
 public:
  // Throws NotAMetafile or std::runtime_error (file unreadable, or a page
  // that cannot be drawn); a picture without a usable size is not an error.
  // `pageNumber` names the page in a trace (--trace).
  static PagePicture Load(const PageSource& page, int pageNumber = 1);

  // The page in inches.
  double WidthInches() const { return widthInches_; }
  double HeightInches() const { return heightInches_; }
  // The reference device's resolution, dots per inch.
  double DeviceDpiX() const { return deviceDpi_.x; }
  double DeviceDpiY() const { return deviceDpi_.y; }

  // The page's size in pixels at a resolution: rounded, at least 1.
  int PixelWidth(double dpi) const;
  int PixelHeight(double dpi) const;

  // The page as a one-page PDF.
  const std::string& MakePdf() const { return pdf_; }
  // The page stretched onto a 24-bit bitmap of that size, on white.
  platform::TBitmap Render(int width, int height) const;

 private:
  PagePicture() = default;

  std::string file_;
  std::string pdf_;
  double widthInches_ = 0;
  double heightInches_ = 0;
  DeviceDpi deviceDpi_;
};

}  // namespace emf2pdf
