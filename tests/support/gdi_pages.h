#pragma once
// Test pages drawn the way GDI must draw them, each with a reference image
// under tests/references/gdi/ made by GDI (scripts/gdi-references).
#include <optional>
#include <string>
#include <vector>

#include "support/emf_builder.h"

namespace gdi_test {

struct GdiPage {
  const char* name;  // the reference is tests/references/gdi/NAME.png
  emfbuild::EmfBuilder picture;
  bool pdf14 = false;  // converted as PDF 1.4 (translucent images)
  // Where Wine strays from GDI's documentation: the same drawing in terms
  // Wine gets right, rendered for the reference instead of `picture`.
  std::optional<emfbuild::EmfBuilder> oracle = std::nullopt;
};

std::vector<GdiPage> GdiPages();
// The text pages (gdi_pages_text.cpp), appended to GdiPages().
void AppendTextPages(std::vector<GdiPage>& pages);
// The pages of raster operations that combine with the page (gdi_pages_raster_ops.cpp).
std::vector<GdiPage> RasterOperationPages();

}  // namespace gdi_test
