#include "platform/pdf_raster.h"

#include "platform/pdf_render.h"
#include "platform/raster_module.h"

namespace platform {

TBitmap RasterizePdfPage(std::string_view pdf, int width, int height) {
  return PaintedPagePicture(width, height, [&](uint8_t* rows, size_t stride) {
    RenderPdfPage(pdf, width, height, rows, stride);
  });
}

}  // namespace platform
