// The page rasterizer as a module: the silent program loads it when a PDF
// job has raster operations to combine with the page, and so gets poppler
// without the desktop program's dozens of libraries. Its one entry takes and
// gives plain bytes: the program carries its own C++ runtime, poppler the
// system's, and no C++ object crosses between them.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string_view>

#include "platform/pdf_render.h"

extern "C" __attribute__((visibility("default"))) int tallowcraft_render_pdf_page(
    const char* pdf, size_t size, int width, int height, uint8_t* rows, size_t stride,
    char* message, size_t messageSize) {
  try {
    platform::RenderPdfPage(std::string_view(pdf, size), width, height, rows, stride);
    return 1;
  } catch (const std::exception& e) {
    std::snprintf(message, messageSize, "%s", e.what());
  } catch (...) {
    std::snprintf(message, messageSize, "The page picture could not be drawn");
  }
  return 0;
}
