#pragma once

#include <optional>
#include <string>

#include "platform/bitmap.h"

namespace pdf {

// A picture as indices into its colours: rows of `bits`-bit indices, each
// row starting on a byte, and the palette as red, green, blue bytes.
struct IndexedSamples {
  std::string samples;
  std::string palette;
  int bits = 8;
};

// The indexed form of a 24-bit bitmap, or none when it has more than
// `mostColors` colours (at most 256), or fewer than `pixelsPerColor` pixels
// for each of them (a palette would cost more than it saves).
std::optional<IndexedSamples> ToIndexedSamples(const platform::TBitmap& bitmap, int mostColors,
                                               int pixelsPerColor);

}  // namespace pdf
