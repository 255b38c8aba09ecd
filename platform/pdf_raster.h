#pragma once

#include <string_view>

#include "platform/bitmap.h"

namespace platform {

// Draws the first page of a PDF onto a 24-bit bitmap of exactly `width` x
// `height` pixels on white, the page stretched to fill it. This is how a
// metafile is played onto a bitmap here: the picture goes through our PDF
// writer and poppler paints it. Throws std::runtime_error when the data is
// not a readable PDF or the size is not allowed (TBitmap::SizeAllowed).
TBitmap RasterizePdfPage(std::string_view pdf, int width, int height);

}  // namespace platform
