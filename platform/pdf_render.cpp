#include "platform/pdf_render.h"

#include <poppler-document.h>
#include <poppler-image.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>

#include <cstdio>
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

// poppler sets up its global tables (reading their folders) whenever a
// document opens with none open, and drops them when the last one closes: a
// page with many composited areas paid that once per area. One small
// document held for the life of the process keeps them.
void KeepPopplerTables() {
  static const std::string pdf = [] {
    std::string text = "%PDF-1.4\n";
    std::string offsets;
    const char* const objects[] = {"<</Type/Catalog/Pages 2 0 R>>",
                                   "<</Type/Pages/Kids[3 0 R]/Count 1>>",
                                   "<</Type/Page/Parent 2 0 R/MediaBox[0 0 1 1]>>"};
    for (int i = 0; i < 3; ++i) {
      char entry[24];
      std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", text.size());
      offsets += entry;
      text += std::to_string(i + 1) + " 0 obj" + objects[i] + "endobj\n";
    }
    const size_t xref = text.size();
    text += "xref\n0 4\n0000000000 65535 f \n" + offsets;
    text += "trailer<</Size 4/Root 1 0 R>>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return text;
  }();
  static const std::unique_ptr<poppler::document> kept(
      poppler::document::load_from_raw_data(pdf.data(), static_cast<int>(pdf.size())));
}

}  // namespace

void RenderPdfPage(std::string_view pdf, int width, int height, uint8_t* rows, size_t stride) {
  if (pdf.size() > static_cast<size_t>(std::numeric_limits<int>::max()))
    throw std::runtime_error("The page picture is too large");
  KeepPopplerTables();
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
  const char* bits = image.const_data();
  for (int y = 0; y < height; ++y) {
    const auto* from =
        reinterpret_cast<const uint8_t*>(bits + static_cast<size_t>(y) * image.bytes_per_row());
    uint8_t* to = rows + static_cast<size_t>(y) * stride;
    for (int x = 0; x < width; ++x, from += 3, to += 3) {
      to[0] = from[2];
      to[1] = from[1];
      to[2] = from[0];
    }
  }
}

}  // namespace platform
