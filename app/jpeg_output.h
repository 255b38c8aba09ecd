#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "emf2pdf/page_source.h"

namespace app {

// Dots per inch of the JPEG pages and where they came from.
struct JpegResolution {
  int x = 96;
  int y = 96;
  std::string source;  // "printer NAME", "reference device of PAGE" or "default"
};

// The virtual printer's resolution (CUPS "Tallowcraft", else the default
// printer), else the reference device of the first page, else 96 dpi. Says
// on standard error which source it took when it is not a printer.
JpegResolution ChooseJpegResolution(const std::vector<emf2pdf::PageSource>& pages);

// The reference device of the first page, else 96 dpi, without a word: a
// converter's pages keep the resolution they were recorded at.
JpegResolution PictureResolution(const std::vector<emf2pdf::PageSource>& pages);

// Writes density unit 1 (dots per inch) and the two densities into the JFIF
// header when "JFIF\0" starts within the first 50 bytes; otherwise leaves
// the data as it is.
void SetJpegDensity(std::string& jpeg, int x, int y);

struct JpegRunResult {
  std::vector<std::string> written;   // in page order
  std::vector<std::string> replaced;  // files that existed before
};

// One JPEG per page, drawn at the resolution given (pixel size = the page
// the PDF converter makes of the picture with "same as the printed page" and
// no margins: the frame's size, else A4) on white, quality 100, baseline,
// with that density in its JFIF header. All or nothing: every page goes to a
// temporary file, and the files replace their names only once every page is
// made; a failure throws, naming the page, and leaves no file of the job.
// Replaced files are named on standard error. One page is in memory at a
// time. `afterPage` runs after each page is drawn.
JpegRunResult WriteJpegPages(const std::vector<emf2pdf::PageSource>& pages,
                             const std::string& outputName, const JpegResolution& resolution,
                             const std::function<void()>& afterPage = nullptr);

// The JPEG run of a job: the resolution chosen as above, then the pages.
JpegRunResult RunJpegOutput(const std::vector<emf2pdf::PageSource>& pages,
                            const std::string& outputName);

// What the JPEG run opens or shows in the file manager afterwards, by the
// run's flags: with one page the file itself is opened; with more pages the
// file manager shows the first one instead of opening anything.
struct JpegPostActions {
  std::optional<std::string> open;
  std::optional<std::string> explore;
};
JpegPostActions DecideJpegPostActions(const JpegRunResult& result, bool openFile, bool exploreFile);

}  // namespace app
