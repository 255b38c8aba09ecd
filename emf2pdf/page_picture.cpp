#include "emf2pdf/page_picture.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "emf2pdf/emw_parser.h"
#include "pdf/document.h"
#include "pdf/page.h"
#include "platform/file_bytes.h"
#include "platform/folders.h"
#include "platform/pdf_raster.h"

namespace emf2pdf {

namespace {

// The one-page PDF of a picture: its images are held to the page budget, so
// a file past this is broken, not big.
constexpr uint64_t kLargestPagePdf = uint64_t{2} << 30;

constexpr double kHundredthsOfMmPerInch = 2540;
constexpr double kScreenDpi = 96;

double DevicePerInch(int32_t pixels, int32_t millimetres) {
  if (pixels <= 0 || millimetres <= 0) return 0;
  return pixels * 25.4 / millimetres;
}

// Pixels for a length in inches; pages of any printer stay far below the
// int range, anything else is refused by the bitmap's size check.
int PixelsFor(double inches, double dpi) {
  const double pixels = std::round(inches * dpi);
  if (!std::isfinite(pixels) || pixels < 1) return 1;
  return pixels > 1e9 ? 1000000000 : static_cast<int>(pixels);
}

// A unique name in the temporary folder; the file is removed on destruction.
class ScratchFile {
 public:
  ScratchFile() {
    std::string pattern = platform::TemporaryFolder() + "tallowcraft-page-XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0) throw std::runtime_error("Cannot create a file in " + platform::TemporaryFolder());
    close(fd);
    path_ = pattern;
  }
  ~ScratchFile() { std::remove(path_.c_str()); }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace

PagePicture::PagePicture(EmfReader emf, std::string file)
    : emf_(std::move(emf)), file_(std::move(file)) {
  const EmfHeader& header = emf_.Header();
  deviceDpiX_ = DevicePerInch(header.szlDevice.cx, header.szlMillimeters.cx);
  deviceDpiY_ = DevicePerInch(header.szlDevice.cy, header.szlMillimeters.cy);
  if (deviceDpiX_ == 0 || deviceDpiY_ == 0) deviceDpiX_ = deviceDpiY_ = kScreenDpi;
  widthInches_ =
      (static_cast<double>(header.rclFrame.right) - header.rclFrame.left) / kHundredthsOfMmPerInch;
  heightInches_ =
      (static_cast<double>(header.rclFrame.bottom) - header.rclFrame.top) / kHundredthsOfMmPerInch;
  if (widthInches_ > 0 && heightInches_ > 0) return;
  // Without a frame the bounds (inclusive, in reference device pixels) give
  // the page its size; the page itself stays blank, as it does in a PDF.
  widthInches_ =
      (static_cast<double>(header.rclBounds.right) - header.rclBounds.left + 1) / deviceDpiX_;
  heightInches_ =
      (static_cast<double>(header.rclBounds.bottom) - header.rclBounds.top + 1) / deviceDpiY_;
  if (!(widthInches_ > 0) || !(heightInches_ > 0))
    throw std::runtime_error(file_ + ": the picture's frame and bounds give no picture size");
}

PagePicture PagePicture::Load(const std::string& file) {
  return PagePicture(EmfReader::Load(file), file);
}

int PagePicture::PixelWidth(double dpi) const { return PixelsFor(widthInches_, dpi); }
int PagePicture::PixelHeight(double dpi) const { return PixelsFor(heightInches_, dpi); }

std::string PagePicture::MakePdf() const {
  // The writer only writes files (temporary file and rename); the page is
  // read back into memory at once and the file removed.
  ScratchFile scratch;
  pdf::TPDFDocument document;
  document.SetFileName(scratch.path());
  document.SetOnePass(true);
  document.BeginDoc();
  try {
    pdf::TPDFPage& page = document.CurrentPage();
    // Device units are points at the document's default resolution.
    page.SetWidth(std::max(1.0, widthInches_ * document.Resolution()));
    page.SetHeight(std::max(1.0, heightInches_ * document.Resolution()));
    const EmfHeader& header = emf_.Header();
    const double wm = FramePixels(static_cast<double>(header.rclFrame.right) - header.rclFrame.left,
                                  header.szlDevice.cx, header.szlMillimeters.cx);
    const double hm = FramePixels(static_cast<double>(header.rclFrame.bottom) - header.rclFrame.top,
                                  header.szlDevice.cy, header.szlMillimeters.cy);
    if (!(wm > 0) || !(hm > 0)) {
      std::fprintf(stderr,
                   "tallowcraft: %s: the picture's frame or device size is 0 or out of range; "
                   "its page stays blank\n",
                   file_.c_str());
    } else {
      // The picture's extent comes back from the interpreter in pixels of a
      // 96 dpi screen, as it does for the converter's pages.
      const double screenFactor = 96.0 / document.Resolution();
      TEMWParser parser(emf_);
      page.PlayMetaFile(parser, 0, 0, page.WidthPx() / wm * screenFactor,
                        page.HeightPx() / hm * screenFactor);
    }
    document.EndDoc();
  } catch (...) {
    if (document.Active()) document.Abort();
    throw;
  }
  const auto bytes = platform::ReadWholeFile(scratch.path(), kLargestPagePdf);
  return std::string(bytes.begin(), bytes.end());
}

platform::TBitmap PagePicture::Render(int width, int height) const {
  if (!platform::TBitmap::SizeAllowed(width, height))
    throw std::runtime_error(file_ + ": a page of " + std::to_string(width) + " x " +
                             std::to_string(height) + " pixels is too large to draw");
  return platform::RasterizePdfPage(MakePdf(), width, height);
}

}  // namespace emf2pdf
