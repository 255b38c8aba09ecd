#pragma once

#include <optional>
#include <vector>

#include "emf2pdf/clip_region.h"
#include "emf2pdf/device_path.h"
#include "emf2pdf/page_backdrop.h"

namespace emf2pdf {

// Pixels GDI's rules light, found without rendering: the compositor asks
// the rasterizer only for shapes these do not cover.

// The pixels of `area` (of a raster of `scale` raster pixels per page
// pixel) a one-pixel pen lights along `path` under `clip`, as GDI draws such
// a line: each segment from its first pixel up to, not including, its last;
// in runs by row and column, each pixel once. None when the path has more
// than straight segments or the clip more than rectangles: the caller
// renders those.
std::optional<std::vector<PixelRun>> ThinLinePixels(const DevicePath& path, const ClipState& clip,
                                                    double scale, const RasterArea& area);

// The pixels of `area` whose centres a filled axis-aligned rectangle (the
// destination of most blts) holds under `clip`, in runs; none when `path`
// is not one such rectangle or the clip has more than rectangles.
std::optional<std::vector<PixelRun>> RectanglePixels(const DevicePath& path, const ClipState& clip,
                                                     double scale, const RasterArea& area);

}  // namespace emf2pdf
