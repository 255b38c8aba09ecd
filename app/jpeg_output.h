#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/raster_pages.h"

namespace app {

// Writes density unit 1 (dots per inch) and the two densities into the JFIF
// header when "JFIF\0" starts within the first 50 bytes; otherwise leaves
// the data as it is.
void SetJpegDensity(std::string& jpeg, int x, int y);

// One JPEG per page (WritePageFiles), quality 100, baseline, with the page's
// density in its JFIF header.
RasterRunResult WriteJpegPages(const std::vector<emf2pdf::PageSource>& pages,
                               const std::string& outputName, const RasterResolution& resolution,
                               const std::function<void()>& afterPage = nullptr);

}  // namespace app
