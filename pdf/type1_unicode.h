#pragma once

#include <cstdint>

namespace pdf {

// What a code of Symbol's or ZapfDingbats' built-in encoding means in
// Unicode; 0 for a code either leaves empty.
uint16_t SymbolCodeToUnicode(uint8_t code);
uint16_t DingbatsCodeToUnicode(uint8_t code);

}  // namespace pdf
