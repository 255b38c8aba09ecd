#include "platform/raster_module.h"

#include <stdexcept>
#include <string>

#include "platform/folders.h"
#include "platform/shared_library.h"

namespace platform {

namespace {

using RenderEntry = int (*)(const char* pdf, size_t size, int width, int height, uint8_t* rows,
                            size_t stride, char* message, size_t messageSize);

}  // namespace

TBitmap PaintedPagePicture(int width, int height,
                           const std::function<void(uint8_t* rows, size_t stride)>& paint) {
  if (width <= 0 || height <= 0 || !TBitmap::SizeAllowed(width, height))
    throw std::runtime_error("A page of " + std::to_string(width) + " x " + std::to_string(height) +
                             " pixels is too large to draw");
  TBitmap bitmap(width, height, TPixelFormat::pf24bit);
  paint(bitmap.Row(0), bitmap.Stride());
  return bitmap;
}

PdfPageRasterizer LoadRasterModule() {
  static const SharedLibrary module((ProgramFolder() + "tallowcraft-raster.so").c_str());
  RenderEntry render = nullptr;
  if (!module.Bind(render, "tallowcraft_render_pdf_page")) return {};
  return [render](std::string_view pdf, int width, int height) {
    return PaintedPagePicture(width, height, [&](uint8_t* rows, size_t stride) {
      char message[256] = "";
      if (render(pdf.data(), pdf.size(), width, height, rows, stride, message, sizeof message) == 0)
        throw std::runtime_error(message);
    });
  };
}

}  // namespace platform
