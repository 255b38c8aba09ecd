#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace platform {

// Paints the first page of a PDF, stretched to `width` x `height` pixels on
// white, into rows of red, green and blue bytes `stride` bytes apart. Throws
// std::runtime_error when the data is not a readable PDF. Uses poppler and
// nothing of ours, so that the raster module can carry it alone.
void RenderPdfPage(std::string_view pdf, int width, int height, uint8_t* rows, size_t stride);

}  // namespace platform
