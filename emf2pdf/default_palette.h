#pragma once

#include <cstdint>

namespace emf2pdf {

// The 20 colours of the system's default palette, as COLORREF values.
uint32_t DefaultPaletteColor(uint32_t index);

}  // namespace emf2pdf
