#include "app/jpeg_output.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <utility>

#include <sys/resource.h>

#include "app/output_names.h"
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

std::optional<JpegResolution> FirstPageDevice(const std::vector<emf2pdf::PageSource>& pages) {
  if (pages.empty()) return std::nullopt;
  try {
    const auto device = emf2pdf::ReferenceDeviceDpi(emf2pdf::LoadPage(pages.front()).Header());
    const int x = static_cast<int>(std::lround(device.x));
    const int y = static_cast<int>(std::lround(device.y));
    if (x < 1 || y < 1 || x > 0xFFFF || y > 0xFFFF) return std::nullopt;
    return JpegResolution{x, y, "reference device of " + pages.front().label};
  } catch (const std::exception&) {
    return std::nullopt;  // the page itself reports its fault when it is drawn
  }
}

// The densities a page is drawn at: the resolution asked for, lowered for a
// picture so large that its bitmap could not be made (or held by JPEG's
// 16-bit sizes), so that its header still tells its true size. Pages are at
// most 200 inches (PDF's largest), so 1 dpi always fits.
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

// Each page's file stays open and uncommitted until every page is made, so
// that a failed job leaves nothing. For a job of many pages the soft limit
// on open files is raised to the hard one (and restored afterwards); a job
// that even the hard limit cannot hold is refused before any page is drawn.
// Open unnamed files, unlike closed named ones, vanish with the process
// however it ends.
class OpenFileAllowance {
 public:
  explicit OpenFileAllowance(size_t pages) {
    if (::getrlimit(RLIMIT_NOFILE, &saved_) != 0) return;
    const rlim_t needed = OpenFileCount() + pages + kSpareFiles;
    if (saved_.rlim_cur == RLIM_INFINITY || saved_.rlim_cur >= needed) return;
    rlimit raised = saved_;
    raised.rlim_cur = saved_.rlim_max;
    if (::setrlimit(RLIMIT_NOFILE, &raised) == 0) {
      raised_ = true;
    } else {
      raised = saved_;
    }
    if (raised.rlim_cur != RLIM_INFINITY && raised.rlim_cur < needed)
      throw std::runtime_error("Cannot save " + std::to_string(pages) +
                               " JPEG pages: they would need " + std::to_string(needed) +
                               " open files and the system allows " +
                               std::to_string(raised.rlim_cur) + "; no page was saved");
  }
  ~OpenFileAllowance() {
    if (raised_) ::setrlimit(RLIMIT_NOFILE, &saved_);
  }
  OpenFileAllowance(const OpenFileAllowance&) = delete;
  OpenFileAllowance& operator=(const OpenFileAllowance&) = delete;

 private:
  // Files the drawing of a page opens for a moment (the page's scratch PDF,
  // fonts, the folder sweep).
  static constexpr rlim_t kSpareFiles = 64;

  static rlim_t OpenFileCount() {
    std::error_code error;
    rlim_t count = 0;
    for (std::filesystem::directory_iterator it("/proc/self/fd", error), end; !error && it != end;
         it.increment(error))
      ++count;
    return count;
  }

  rlimit saved_{};
  bool raised_ = false;
};

// Page `number` as JPEG data with its density written in.
std::string DrawJpegPage(const emf2pdf::PageSource& page, int number,
                         const JpegResolution& resolution) {
  const auto picture = emf2pdf::PagePicture::Load(page, number);
  const auto density = PageDensity(picture, resolution, page.label);
  std::string jpeg = pdf::EncodeJpeg(
      picture.Render(picture.PixelWidth(density.first), picture.PixelHeight(density.second)),
      kJpegQuality);
  SetJpegDensity(jpeg, density.first, density.second);
  return jpeg;
}

}  // namespace

JpegResolution PictureResolution(const std::vector<emf2pdf::PageSource>& pages) {
  JpegResolution chosen;
  chosen.source = "default";
  if (const auto device = FirstPageDevice(pages)) chosen = *device;
  return chosen;
}

JpegResolution ChooseJpegResolution(const std::vector<emf2pdf::PageSource>& pages) {
  if (const auto printer = platform::QueryPrinterResolution())
    return {printer->x, printer->y, "printer " + printer->printer};
  const JpegResolution chosen = PictureResolution(pages);
  std::fprintf(stderr,
               "tallowcraft: no printer resolution (no CUPS printer \"Tallowcraft\" or default "
               "printer that reports one); JPEG pages use %d x %d dpi from the %s\n",
               chosen.x, chosen.y,
               chosen.source == "default" ? "default screen resolution" : chosen.source.c_str());
  return chosen;
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

JpegRunResult WriteJpegPages(const std::vector<emf2pdf::PageSource>& pages,
                             const std::string& outputName, const JpegResolution& resolution,
                             const std::function<void()>& afterPage) {
  const int count = static_cast<int>(pages.size());
  const OpenFileAllowance allowance(pages.size());
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) {
    names.push_back(JpegPageName(outputName, i + 1, count));
    // A folder cannot be replaced; found only at the renames, it would
    // stop the job halfway.
    std::error_code error;
    if (std::filesystem::symlink_status(names.back(), error).type() ==
        std::filesystem::file_type::directory)
      throw std::runtime_error("Cannot save " + names.back() +
                               ": a folder has that name; no page of the job was saved");
  }
  std::vector<std::unique_ptr<pdf::OutputFile>> files;
  for (int i = 0; i < count; ++i) {
    try {
      const std::string jpeg = DrawJpegPage(pages[static_cast<size_t>(i)], i + 1, resolution);
      files.push_back(std::make_unique<pdf::OutputFile>(names[static_cast<size_t>(i)]));
      files.back()->write(jpeg);
      if (afterPage) afterPage();
    } catch (const std::exception& error) {
      // The files made so far are discarded as `files` goes.
      throw std::runtime_error("Cannot make " + names[static_cast<size_t>(i)] + " (page " +
                               std::to_string(i + 1) + " of " + std::to_string(count) +
                               "): " + error.what() + "; no page of the job was saved");
    }
  }
  JpegRunResult result;
  for (size_t i = 0; i < files.size(); ++i) {
    const bool existed = platform::FileExists(names[i]);
    files[i]->commit();
    files[i].reset();
    if (existed) {
      std::fprintf(stderr, "tallowcraft: replaced %s\n", names[i].c_str());
      result.replaced.push_back(names[i]);
    }
    result.written.push_back(names[i]);
  }
  return result;
}

JpegRunResult RunJpegOutput(const std::vector<emf2pdf::PageSource>& pages,
                            const std::string& outputName) {
  return WriteJpegPages(pages, outputName, ChooseJpegResolution(pages));
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
