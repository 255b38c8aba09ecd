#pragma once

#include "app/convert_command.h"

namespace app {

// The bitmap outputs of `tallowcraft convert` (JPEG pages, the movie and its
// HTML page), for the desktop program, which links the page rasteriser.
ConvertWriter DesktopRasterWriter(ConvertFormat format);

}  // namespace app
