#pragma once

#include <functional>
#include <string_view>

#include "platform/bitmap.h"

namespace platform {

using PdfPageRasterizer = std::function<TBitmap(std::string_view pdf, int width, int height)>;

// A `width` x `height` picture painted by `paint` into its rows; throws
// std::runtime_error for a size TBitmap does not allow.
TBitmap PaintedPagePicture(int width, int height,
                           const std::function<void(uint8_t* rows, size_t stride)>& paint);

// RasterizePdfPage through the raster module beside the program (poppler
// comes with it), loaded on the first call and kept; empty when the module
// or its libraries are missing.
PdfPageRasterizer LoadRasterModule();

}  // namespace platform
