#pragma once

#include <string>

#include "emf2pdf/emf_reader.h"
#include "platform/bitmap.h"

namespace emf2pdf {

// One page file as a picture of its own size, for outputs that show pages as
// bitmaps (JPEG pages, movie slides). The picture is drawn by our own
// interpreter onto a one-page PDF of the picture frame's size, which
// platform::RasterizePdfPage paints.
class PagePicture {
 public:
  // Throws NotAMetafile or std::runtime_error (file unreadable, or a header
  // whose frame and bounds give no picture size). A picture without a usable
  // frame takes its size from its bounds and is drawn blank; a reference
  // device without a size counts as 96 dpi.
  static PagePicture Load(const std::string& file);

  // The picture frame in inches.
  double WidthInches() const { return widthInches_; }
  double HeightInches() const { return heightInches_; }
  // The reference device's resolution, dots per inch.
  double DeviceDpiX() const { return deviceDpiX_; }
  double DeviceDpiY() const { return deviceDpiY_; }

  // The frame's size in pixels at a resolution: rounded, at least 1.
  int PixelWidth(double dpi) const;
  int PixelHeight(double dpi) const;

  // The picture as a one-page PDF whose page is the frame.
  std::string MakePdf() const;
  // The picture stretched onto a 24-bit bitmap of that size, on white.
  platform::TBitmap Render(int width, int height) const;

 private:
  PagePicture(EmfReader emf, std::string file);

  EmfReader emf_;
  std::string file_;
  double widthInches_ = 0;
  double heightInches_ = 0;
  double deviceDpiX_ = 0;
  double deviceDpiY_ = 0;
};

}  // namespace emf2pdf
