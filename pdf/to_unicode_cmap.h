#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pdf {

struct TToUnicodeEntry {
  uint16_t glyph = 0;
  uint16_t codePoint = 0;
};

// The ToUnicode CMap text of a Unicode font: glyph codes to UTF-16, lines
// ended by a single CR, "bfchar" blocks of at most 100 entries. Without
// entries the code-space range is the whole two-byte space.
std::string MakeToUnicodeCMap(std::string_view resourceName,
                              const std::vector<TToUnicodeEntry>& entries);

// The same for a single-byte font: one-byte codes (`glyph` holds the code),
// the code space 00 to FF.
std::string MakeSingleByteToUnicodeCMap(std::string_view resourceName,
                                        const std::vector<TToUnicodeEntry>& entries);

}  // namespace pdf
