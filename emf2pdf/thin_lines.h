#pragma once

#include "emf2pdf/clip_region.h"
#include "emf2pdf/device_path.h"
#include "emf2pdf/page_backdrop.h"
#include "platform/bitmap.h"

namespace emf2pdf {

// Marks in black, on `coverage` (white, covering `area` of a raster of
// `scale` raster pixels per page pixel), the pixels a one-pixel pen lights
// along `path` under `clip`, as GDI draws such a line: each segment from its
// first pixel up to, not including, its last. False, and nothing marked,
// when the path has more than straight segments or the clip more than
// rectangles: the caller renders those.
bool MarkThinLines(const DevicePath& path, const ClipState& clip, double scale,
                   const RasterArea& area, platform::TBitmap& coverage);

}  // namespace emf2pdf
