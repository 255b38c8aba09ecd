#include "app/jpeg_output.h"

#include <algorithm>

#include "pdf/jpeg_codec.h"

namespace app {

namespace {

constexpr int kJpegQuality = 100;
constexpr size_t kJfifSearchLength = 50;

std::string EncodeJpegPage(const DrawnPage& page) {
  std::string jpeg = pdf::EncodeJpeg(page.bitmap, kJpegQuality);
  SetJpegDensity(jpeg, page.dpiX, page.dpiY);
  return jpeg;
}

}  // namespace

void SetJpegDensity(std::string& jpeg, int x, int y) {
  static constexpr char kMarker[] = {'J', 'F', 'I', 'F', '\0'};
  const size_t window = std::min(jpeg.size(), kJfifSearchLength);
  const auto begin = jpeg.begin();
  const auto found = std::search(begin, begin + static_cast<std::ptrdiff_t>(window),
                                 std::begin(kMarker), std::end(kMarker));
  const size_t at = static_cast<size_t>(found - begin);
  if (at + sizeof kMarker > window || at + 12 > jpeg.size()) return;
  jpeg[at + 7] = 1;
  jpeg[at + 8] = static_cast<char>((x >> 8) & 0xFF);
  jpeg[at + 9] = static_cast<char>(x & 0xFF);
  jpeg[at + 10] = static_cast<char>((y >> 8) & 0xFF);
  jpeg[at + 11] = static_cast<char>(y & 0xFF);
}

RasterRunResult WriteJpegPages(const std::vector<emf2pdf::PageSource>& pages,
                               const std::string& outputName, const RasterResolution& resolution,
                               const std::function<void()>& afterPage) {
  return WritePageFiles(pages, outputName, ".jpg", resolution, EncodeJpegPage, afterPage);
}

}  // namespace app
