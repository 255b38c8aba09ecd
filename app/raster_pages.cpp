#include "app/raster_pages.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <future>
#include <memory>
#include <stdexcept>
#include <utility>

#include <sys/resource.h>

#include "app/output_names.h"
#include "emf2pdf/page_picture.h"
#include "pdf/output_file.h"
#include "platform/folders.h"
#include "platform/printer_resolution.h"
#include "platform/work_pool.h"

namespace app {

namespace {

// JPEG's sizes are 16-bit; every picture output keeps to them so that a page
// has the same pixels in each.
constexpr double kMaxSide = 65500;

std::optional<RasterResolution> FirstPageDevice(const std::vector<emf2pdf::PageSource>& pages) {
  if (pages.empty()) return std::nullopt;
  try {
    const auto device = emf2pdf::ReferenceDeviceDpi(emf2pdf::LoadPage(pages.front()).Header());
    const int x = static_cast<int>(std::lround(device.x));
    const int y = static_cast<int>(std::lround(device.y));
    if (x < 1 || y < 1 || x > 0xFFFF || y > 0xFFFF) return std::nullopt;
    return RasterResolution{x, y, "reference device of " + pages.front().label};
  } catch (const std::exception&) {
    return std::nullopt;  // the page itself reports its fault when it is drawn
  }
}

// The densities a page is drawn at: the resolution asked for, lowered for a
// picture so large that its bitmap could not be made, so that its header
// still tells its true size. Pages are at most 200 inches (PDF's largest),
// so 1 dpi always fits.
std::pair<int, int> PageDensity(const emf2pdf::PagePicture& picture, const RasterResolution& asked,
                                const std::string& name) {
  const double width = picture.WidthInches() * asked.x;
  const double height = picture.HeightInches() * asked.y;
  const double fit =
      std::min({1.0, std::sqrt(double(platform::TBitmap::kMaxPixels) / (width * height)),
                kMaxSide / width, kMaxSide / height});
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
      throw std::runtime_error("Cannot save " + std::to_string(pages) + " pages: they would need " +
                               std::to_string(needed) + " open files and the system allows " +
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

// A folder cannot be replaced; found only at the renames, it would stop the
// job halfway.
void RefuseFolder(const std::string& name) {
  std::error_code error;
  if (std::filesystem::symlink_status(name, error).type() == std::filesystem::file_type::directory)
    throw std::runtime_error("Cannot save " + name +
                             ": a folder has that name; no page of the job was saved");
}

}  // namespace

RasterResolution PictureResolution(const std::vector<emf2pdf::PageSource>& pages) {
  RasterResolution chosen;
  chosen.source = "default";
  if (const auto device = FirstPageDevice(pages)) chosen = *device;
  return chosen;
}

RasterResolution ChooseRasterResolution(const std::vector<emf2pdf::PageSource>& pages,
                                        const std::string& pictures) {
  if (const auto printer = platform::QueryPrinterResolution())
    return {printer->x, printer->y, "printer " + printer->printer};
  const RasterResolution chosen = PictureResolution(pages);
  std::fprintf(stderr,
               "tallowcraft: no printer resolution (no CUPS printer \"Tallowcraft\" or default "
               "printer that reports one); %s use %d x %d dpi from the %s\n",
               pictures.c_str(), chosen.x, chosen.y,
               chosen.source == "default" ? "default screen resolution" : chosen.source.c_str());
  return chosen;
}

namespace {

// What the pool makes of a page, returning the part that must run on the
// calling thread in page order (writing to the job's files).
using InOrder = std::function<void()>;
using PageWork = std::function<InOrder(DrawnPage& page, int number)>;

// Pages are interpreted on the calling thread, in order (the interpreter's
// font and image caches belong to one thread), then drawn and encoded on
// the work pool: drawing and encoding are most of a page's time. At most
// the pool's size in pages are drawn or waiting at once.
void DrawOnPool(const std::vector<emf2pdf::PageSource>& pages, const RasterResolution& resolution,
                const std::function<std::string(int number)>& fileOf, const PageWork& work,
                const std::function<void()>& afterPage) {
  platform::WorkPool& pool = platform::WorkPool::Shared();
  const int count = static_cast<int>(pages.size());
  const auto failure = [&](int number, const char* reason) {
    return std::runtime_error("Cannot make " + fileOf(number) + " (page " + std::to_string(number) +
                              " of " + std::to_string(count) + "): " + reason +
                              "; no page of the job was saved");
  };
  struct Pending {
    std::future<InOrder> done;
    int number = 0;
  };
  std::deque<Pending> pending;
  // The work refers to this frame: none may outlive it, even on failure.
  struct WaitForAll {
    std::deque<Pending>& pending;
    ~WaitForAll() {
      for (Pending& page : pending)
        if (page.done.valid()) page.done.wait();
    }
  } waitForAll{pending};
  const auto finishOldest = [&] {
    Pending oldest = std::move(pending.front());
    pending.pop_front();
    try {
      pool.Wait(oldest.done)();
    } catch (const std::exception& error) {
      throw failure(oldest.number, error.what());
    }
    if (afterPage) afterPage();
  };
  for (int number = 1; number <= count; ++number) {
    const emf2pdf::PageSource& source = pages[static_cast<size_t>(number - 1)];
    std::shared_ptr<const emf2pdf::PagePicture> picture;
    std::pair<int, int> density;
    try {
      picture =
          std::make_shared<const emf2pdf::PagePicture>(emf2pdf::PagePicture::Load(source, number));
      density = PageDensity(*picture, resolution, source.label);
    } catch (const std::exception& error) {
      while (!pending.empty()) finishOldest();  // an earlier page's failure is the one to report
      throw failure(number, error.what());
    }
    pending.push_back(
        {pool.Submit([picture, density, number, &work] {
           const auto [x, y] = density;
           DrawnPage page{picture->Render(picture->PixelWidth(x), picture->PixelHeight(y)), x, y};
           return work(page, number);
         }),
         number});
    while (pending.size() >= static_cast<size_t>(pool.size())) finishOldest();
  }
  while (!pending.empty()) finishOldest();
}

}  // namespace

void DrawEachPage(const std::vector<emf2pdf::PageSource>& pages, const RasterResolution& resolution,
                  const std::function<std::string(int number)>& fileOf,
                  const std::function<void(DrawnPage& page, int number)>& take,
                  const std::function<void()>& afterPage) {
  DrawOnPool(
      pages, resolution, fileOf,
      [&take](DrawnPage& page, int number) -> InOrder {
        auto drawn = std::make_shared<DrawnPage>(std::move(page));
        return [&take, drawn, number] { take(*drawn, number); };
      },
      afterPage);
}

RasterRunResult WritePageFiles(const std::vector<emf2pdf::PageSource>& pages,
                               const std::string& outputName, const std::string& extension,
                               const RasterResolution& resolution, const PageEncoder& encode,
                               const std::function<void()>& afterPage) {
  const int count = static_cast<int>(pages.size());
  const OpenFileAllowance allowance(pages.size());
  std::vector<std::string> names;
  for (int number = 1; number <= count; ++number) {
    names.push_back(PageFileName(outputName, number, count, extension));
    RefuseFolder(names.back());
  }
  // The files made so far are discarded if a page fails.
  std::vector<std::unique_ptr<pdf::OutputFile>> files;
  DrawOnPool(
      pages, resolution, [&names](int number) { return names[static_cast<size_t>(number - 1)]; },
      [&](DrawnPage& page, int number) -> InOrder {
        auto bytes = std::make_shared<const std::string>(encode(page));
        return [&, bytes, number] {
          files.push_back(
              std::make_unique<pdf::OutputFile>(names[static_cast<size_t>(number - 1)]));
          files.back()->write(*bytes);
        };
      },
      afterPage);
  RasterRunResult result;
  for (size_t i = 0; i < files.size(); ++i) {
    const bool existed = platform::FileExists(names[i]);
    files[i]->commit();
    files[i].reset();
    AddWritten(result, names[i], existed);
  }
  return result;
}

void AddWritten(RasterRunResult& result, const std::string& file, bool existed) {
  if (existed) {
    std::fprintf(stderr, "tallowcraft: replaced %s\n", file.c_str());
    result.replaced.push_back(file);
  }
  result.written.push_back(file);
}

PicturePostActions DecidePicturePostActions(const RasterRunResult& result, bool openFile,
                                            bool exploreFile) {
  PicturePostActions actions;
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
