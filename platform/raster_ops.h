#pragma once

#include <cstdint>

#include "platform/bitmap.h"
#include "platform/dib_decoder.h"

namespace platform {

// Ternary raster operation codes (dwRop).
inline constexpr uint32_t BLACKNESS = 0x00000042;
inline constexpr uint32_t NOTSRCERASE = 0x001100A6;
inline constexpr uint32_t NOTSRCCOPY = 0x00330008;
inline constexpr uint32_t SRCERASE = 0x00440328;
inline constexpr uint32_t DSTINVERT = 0x00550009;
inline constexpr uint32_t PATINVERT = 0x005A0049;
inline constexpr uint32_t SRCINVERT = 0x00660046;
inline constexpr uint32_t SRCAND = 0x008800C6;
inline constexpr uint32_t MERGEPAINT = 0x00BB0226;
inline constexpr uint32_t MERGECOPY = 0x00C000CA;
inline constexpr uint32_t SRCCOPY = 0x00CC0020;
inline constexpr uint32_t SRCPAINT = 0x00EE0086;
inline constexpr uint32_t PATCOPY = 0x00F00021;
inline constexpr uint32_t PATPAINT = 0x00FB0A09;
inline constexpr uint32_t WHITENESS = 0x00FF0062;

// The brush of a new device context, the pattern of the temporary bitmaps.
inline constexpr TColor kDefaultPattern = kWhite;

// One of the fourteen operations our bitmap copies carry out.
bool IsSupportedRop(uint32_t rop);

// Which of its three operands a ternary operation's result depends on.
bool RopUsesPattern(uint32_t rop);
bool RopUsesSource(uint32_t rop);
bool RopUsesDestination(uint32_t rop);
// The result is the destination whatever the source and pattern: the
// operation draws nothing.
bool RopKeepsDestination(uint32_t rop);

// The ternary operation that does what binary raster operation `rop2`
// (R2_BLACK 1 .. R2_WHITE 16) does with the pen or brush as the pattern;
// 0 for a code outside that range.
uint32_t RopOfRop2(uint32_t rop2);

// The operation's result for one pixel: each bit of the result is the
// operation's truth table (the code's third byte) applied to the bits of the
// pattern, source and destination.
TColor ApplyRop(uint32_t rop, TColor pattern, TColor source, TColor destination);

// Copies the present pixels of `source` to `destination` from its left edge
// at row `top`, at scale 1, through `rop`. Monochrome destinations take each
// colour as black or white first and combine bits.
void CopyPixels(TBitmap& destination, const TDibPixels& source, uint32_t rop,
                TColor pattern = kDefaultPattern, int top = 0);

// The same between two bitmaps (the source's pixels are all present).
void CopyBitmap(TBitmap& destination, const TBitmap& source, uint32_t rop,
                TColor pattern = kDefaultPattern);

// AlphaBlend with a BLENDFUNCTION given as its four bytes (BlendOp, BlendFlags,
// SourceConstantAlpha, AlphaFormat from the low byte up): the source constant
// alpha always, and the per-pixel alpha of premultiplied 32-bit sources when
// AlphaFormat is AC_SRC_ALPHA.
void AlphaBlendPixels(TBitmap& destination, const TDibPixels& source, uint32_t blendFunction,
                      int top = 0);

}  // namespace platform
