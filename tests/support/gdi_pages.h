#pragma once
// Test pages drawn the way GDI must draw them, each with a reference image
// under tests/references/gdi/ made by GDI (scripts/gdi-references).
#include <string>
#include <vector>

#include "support/emf_builder.h"

namespace gdi_test {

struct GdiPage {
  const char* name;  // the reference is tests/references/gdi/NAME.png
  emfbuild::EmfBuilder picture;
};

std::vector<GdiPage> GdiPages();

}  // namespace gdi_test
