#pragma once

#include <optional>
#include <vector>

#include "emf2pdf/clip_region.h"
#include "emf2pdf/device_path.h"
#include "emf2pdf/page_backdrop.h"

namespace emf2pdf {

// The pixels of `area` (of a raster of `scale` raster pixels per page
// pixel) a one-pixel pen lights along `path` under `clip`, as GDI draws such
// a line: each segment from its first pixel up to, not including, its last;
// in runs by row and column, each pixel once. None when the path has more
// than straight segments or the clip more than rectangles: the caller
// renders those.
std::optional<std::vector<PixelRun>> ThinLinePixels(const DevicePath& path, const ClipState& clip,
                                                    double scale, const RasterArea& area);

}  // namespace emf2pdf
