#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "emf2pdf/page_source.h"
#include "platform/bitmap.h"

namespace app {

// The picture outputs (JPEG pages, PNG pages, the TIFF document) draw every
// page the same way; this is their shared part.

// Dots per inch the pages are drawn at and where they came from.
struct RasterResolution {
  int x = 96;
  int y = 96;
  std::string source;  // "printer NAME", "reference device of PAGE" or "default"
};

// The virtual printer's resolution (CUPS "Tallowcraft", else the default
// printer), else the reference device of the first page, else 96 dpi. Says
// on standard error which source it took when it is not a printer, naming
// the output (`pictures`, such as "JPEG pages").
RasterResolution ChooseRasterResolution(const std::vector<emf2pdf::PageSource>& pages,
                                        const std::string& pictures);

// The reference device of the first page, else 96 dpi, without a word: a
// converter's pages keep the resolution they were recorded at.
RasterResolution PictureResolution(const std::vector<emf2pdf::PageSource>& pages);

// One page drawn: the page the PDF converter makes of the picture with "same
// as the printed page" and no margins (the frame's size, else A4), on white,
// at the resolution asked for, or lower for a page whose bitmap could not be
// made (or held by 16-bit picture sizes) at it.
struct DrawnPage {
  platform::TBitmap bitmap;
  int dpiX = 0;
  int dpiY = 0;
};

// Draws each page and hands it to `take` with its number (from 1);
// `afterPage`, when given, runs on the calling thread once a page is taken.
// Pages are drawn on the work pool while the next ones are interpreted;
// `take` runs on the calling thread in page order, and at most the pool's
// size in pages are in memory besides the one taken. A failure
// throws, naming the page and `fileOf(number)`, the file that page was to go
// to, and saying that nothing of the job was saved (the caller makes that
// true).
void DrawEachPage(const std::vector<emf2pdf::PageSource>& pages, const RasterResolution& resolution,
                  const std::function<std::string(int number)>& fileOf,
                  const std::function<void(DrawnPage& page, int number)>& take,
                  const std::function<void()>& afterPage = nullptr);

struct RasterRunResult {
  std::vector<std::string> written;   // in page order
  std::vector<std::string> replaced;  // files that existed before
};

// A page's file contents, made from the drawn page.
using PageEncoder = std::function<std::string(const DrawnPage& page)>;

// One file per page, named as PageFileName names them with `extension`. All
// or nothing: every page goes to a temporary file, and the files replace
// their names only once every page is made; a failure throws, naming the
// page, and leaves no file of the job. Replaced files are named on standard
// error.
RasterRunResult WritePageFiles(const std::vector<emf2pdf::PageSource>& pages,
                               const std::string& outputName, const std::string& extension,
                               const RasterResolution& resolution, const PageEncoder& encode,
                               const std::function<void()>& afterPage = nullptr);

// Lists `file` among the written ones and, when it replaced one, among the
// replaced ones, saying so on standard error.
void AddWritten(RasterRunResult& result, const std::string& file, bool existed);

// What a picture output opens or shows in the file manager afterwards, by
// the run's flags: one file is opened; with more files the file manager
// shows the first one instead of opening anything.
struct PicturePostActions {
  std::optional<std::string> open;
  std::optional<std::string> explore;
};
PicturePostActions DecidePicturePostActions(const RasterRunResult& result, bool openFile,
                                            bool exploreFile);

}  // namespace app
