#include "app/jpeg_output.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

#include "app/path_rules.h"
#include "emf2pdf/page_picture.h"
#include "pdf/jpeg_codec.h"
#include "pdf/output_file.h"
#include "platform/folders.h"
#include "platform/printer_resolution.h"

namespace app {

namespace {

constexpr int kJpegQuality = 100;
constexpr size_t kJfifSearchLength = 50;
constexpr double kMaxJpegSide = 65500;

std::optional<JpegResolution> FirstPageDevice(const std::vector<std::string>& pageFiles) {
  if (pageFiles.empty()) return std::nullopt;
  try {
    const auto picture = emf2pdf::PagePicture::Load(pageFiles.front());
    const int x = static_cast<int>(std::lround(picture.DeviceDpiX()));
    const int y = static_cast<int>(std::lround(picture.DeviceDpiY()));
    if (x < 1 || y < 1 || x > 0xFFFF || y > 0xFFFF) return std::nullopt;
    return JpegResolution{x, y, "reference device of " + pageFiles.front()};
  } catch (const std::exception&) {
    return std::nullopt;  // the page itself reports its fault when it is drawn
  }
}

// The densities a page is drawn at: the resolution asked for, lowered for a
// picture so large that its bitmap could not be made (or held by JPEG's
// 16-bit sizes), so that its header still tells its true size.
std::pair<int, int> PageDensity(const emf2pdf::PagePicture& picture, const JpegResolution& asked,
                                const std::string& name) {
  const double width = picture.WidthInches() * asked.x;
  const double height = picture.HeightInches() * asked.y;
  const double fit =
      std::min({1.0, std::sqrt(double(platform::TBitmap::kMaxPixels) / (width * height)),
                kMaxJpegSide / width, kMaxJpegSide / height});
  if (fit >= 1) return {asked.x, asked.y};
  const int x = std::max(1, static_cast<int>(asked.x * fit));
  const int y = std::max(1, static_cast<int>(asked.y * fit));
  std::fprintf(stderr,
               "tallowcraft: %s is too large to draw at %d x %d dpi; drawn at %d x %d dpi\n",
               name.c_str(), asked.x, asked.y, x, y);
  return {x, y};
}

}  // namespace

JpegResolution ChooseJpegResolution(const std::vector<std::string>& pageFiles) {
  if (const auto printer = platform::QueryPrinterResolution())
    return {printer->x, printer->y, "printer " + printer->printer};
  JpegResolution chosen;
  chosen.source = "default";
  if (const auto device = FirstPageDevice(pageFiles)) chosen = *device;
  std::fprintf(stderr,
               "tallowcraft: no printer resolution (no CUPS printer \"Tallowcraft\" or default "
               "printer that reports one); JPEG pages use %d x %d dpi from the %s\n",
               chosen.x, chosen.y,
               chosen.source == "default" ? "default screen resolution" : chosen.source.c_str());
  return chosen;
}

std::string JpegPageName(const std::string& outputName, int pageNumber, int pageCount) {
  const std::string base = ChangeFileExt(outputName, "");
  return base + (pageCount > 1 ? std::to_string(pageNumber) : std::string()) + ".jpg";
}

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

JpegRunResult WriteJpegPages(const std::vector<std::string>& pageFiles,
                             const std::string& outputName, const JpegResolution& resolution) {
  JpegRunResult result;
  const int count = static_cast<int>(pageFiles.size());
  for (int i = 0; i < count; ++i) {
    const std::string name = JpegPageName(outputName, i + 1, count);
    std::string jpeg;
    std::pair<int, int> density;
    {
      const std::string& page = pageFiles[static_cast<size_t>(i)];
      const auto picture = emf2pdf::PagePicture::Load(page);
      density = PageDensity(picture, resolution, page);
      jpeg = pdf::EncodeJpeg(
          picture.Render(picture.PixelWidth(density.first), picture.PixelHeight(density.second)),
          kJpegQuality);
    }
    SetJpegDensity(jpeg, density.first, density.second);
    const bool existed = platform::FileExists(name);
    pdf::OutputFile file(name);
    file.write(jpeg);
    file.commit();
    if (existed) {
      std::fprintf(stderr, "tallowcraft: replaced %s\n", name.c_str());
      result.replaced.push_back(name);
    }
    result.written.push_back(name);
  }
  return result;
}

JpegRunResult RunJpegOutput(const std::vector<std::string>& pageFiles,
                            const std::string& outputName) {
  return WriteJpegPages(pageFiles, outputName, ChooseJpegResolution(pageFiles));
}

JpegPostActions DecideJpegPostActions(const JpegRunResult& result, bool openFile,
                                      bool exploreFile) {
  JpegPostActions actions;
  if (result.written.empty()) return actions;
  if (openFile) {
    if (result.written.size() == 1)
      actions.open = result.written.front();
    else
      exploreFile = true;
  }
  if (exploreFile) actions.explore = result.written.front();
  return actions;
}

}  // namespace app
