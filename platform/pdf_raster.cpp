#include "platform/pdf_raster.h"

#include <poppler-document.h>
#include <poppler-image.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>

#include <limits>
#include <memory>
#include <stdexcept>
#include <string>

namespace platform {

namespace {

std::unique_ptr<poppler::page> FirstPage(poppler::document& document) {
  if (document.is_locked() || document.pages() < 1)
    throw std::runtime_error("The page picture has no page to draw");
  std::unique_ptr<poppler::page> page(document.create_page(0));
  if (!page) throw std::runtime_error("The page picture's page cannot be read");
  return page;
}

}  // namespace

TBitmap RasterizePdfPage(std::string_view pdf, int width, int height) {
  if (width <= 0 || height <= 0 || !TBitmap::SizeAllowed(width, height))
    throw std::runtime_error("A page of " + std::to_string(width) + " x " + std::to_string(height) +
                             " pixels is too large to draw");
  if (pdf.size() > static_cast<size_t>(std::numeric_limits<int>::max()))
    throw std::runtime_error("The page picture is too large");
  std::unique_ptr<poppler::document> document(
      poppler::document::load_from_raw_data(pdf.data(), static_cast<int>(pdf.size())));
  if (!document) throw std::runtime_error("The page picture is not a readable PDF");
  const auto page = FirstPage(*document);

  // Resolutions chosen so that the page's box maps onto exactly the pixels
  // asked for, whatever rounding the page size went through.
  const poppler::rectf box = page->page_rect(poppler::media_box);
  if (!(box.width() > 0) || !(box.height() > 0))
    throw std::runtime_error("The page picture has an empty page");
  const double xres = width * 72.0 / box.width();
  const double yres = height * 72.0 / box.height();

  poppler::page_renderer renderer;
  renderer.set_render_hints(poppler::page_renderer::antialiasing |
                            poppler::page_renderer::text_antialiasing |
                            poppler::page_renderer::text_hinting);
  renderer.set_paper_color(0xFFFFFFFF);
  renderer.set_image_format(poppler::image::format_bgr24);
  const poppler::image image = renderer.render_page(page.get(), xres, yres, 0, 0, width, height);
  if (!image.is_valid() || image.width() < width || image.height() < height)
    throw std::runtime_error("The page picture could not be drawn");

  // poppler's rows hold blue first; ours red first.
  TBitmap bitmap(width, height, TPixelFormat::pf24bit);
  const char* bits = image.const_data();
  for (int y = 0; y < height; ++y) {
    const auto* from =
        reinterpret_cast<const uint8_t*>(bits + static_cast<size_t>(y) * image.bytes_per_row());
    uint8_t* to = bitmap.Row(y);
    for (int x = 0; x < width; ++x, from += 3, to += 3) {
      to[0] = from[2];
      to[1] = from[1];
      to[2] = from[0];
    }
  }
  return bitmap;
}

}  // namespace platform
