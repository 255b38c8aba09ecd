#pragma once

#include <string>

#include "platform/bitmap.h"

namespace platform {

// A 24-bit bitmap as a PNG file: RGB, 8 bits a sample, not interlaced, with
// its density in the pHYs chunk (pixels per metre, from dots per inch) so
// that a viewer shows it at its true size. Throws std::runtime_error when
// the bitmap is not 24-bit, the densities are not positive or libpng fails.
std::string EncodePng(const TBitmap& bitmap, int dpiX, int dpiY);

}  // namespace platform
