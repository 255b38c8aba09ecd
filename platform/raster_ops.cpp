#include "platform/raster_ops.h"

#include <algorithm>

namespace platform {

namespace {

constexpr uint32_t kSupported[] = {BLACKNESS, NOTSRCERASE, NOTSRCCOPY, SRCERASE,  DSTINVERT,
                                   SRCINVERT, SRCAND,      MERGEPAINT, MERGECOPY, SRCCOPY,
                                   SRCPAINT,  PATCOPY,     PATPAINT,   WHITENESS};

constexpr uint8_t kAcSrcAlpha = 0x01;

uint32_t TruthTable(uint32_t rop) { return (rop >> 16) & 0xFF; }

// The colour a monochrome bitmap keeps for `color`.
TColor MonochromeOf(TColor color) { return IsLightColor(color) ? kWhite : kBlack; }

// The source's rows land from destination row `top` on.
template <typename SourceAt>
void CopyWith(TBitmap& destination, int width, int height, int top, uint32_t rop, TColor pattern,
              SourceAt sourceAt) {
  width = std::min(width, destination.Width());
  height = std::min(height, destination.Height() - top);
  const bool mono = destination.IsMonochrome();
  if (rop == SRCCOPY && !mono) {
    // The common case, straight into the rows.
    for (int y = 0; y < height; ++y) {
      uint8_t* row = destination.Row(top + y);
      for (int x = 0; x < width; ++x, row += 3) {
        TColor source;
        if (!sourceAt(x, y, source)) continue;
        row[0] = ColorRed(source);
        row[1] = ColorGreen(source);
        row[2] = ColorBlue(source);
      }
    }
    return;
  }
  if (mono) pattern = MonochromeOf(pattern);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      TColor source;
      if (!sourceAt(x, y, source)) continue;
      if (mono) source = MonochromeOf(source);
      const TColor result =
          rop == SRCCOPY ? source : ApplyRop(rop, pattern, source, destination.Pixel(x, top + y));
      destination.SetPixel(x, top + y, result);
    }
  }
}

uint8_t Blend(uint32_t source, uint32_t destination, uint32_t sourceAlpha, uint32_t constant) {
  // source * constant + destination * (1 - sourceAlpha * constant), in 0..255.
  const uint32_t weight = (sourceAlpha * constant + 127) / 255;
  const uint32_t value = (source * constant + destination * (255 - weight) + 127) / 255;
  return static_cast<uint8_t>(std::min<uint32_t>(value, 255));
}

}  // namespace

bool IsSupportedRop(uint32_t rop) {
  return std::find(std::begin(kSupported), std::end(kSupported), rop) != std::end(kSupported);
}

bool RopUsesPattern(uint32_t rop) {
  const uint32_t table = TruthTable(rop);
  return ((table >> 4) ^ table) & 0x0F;
}

bool RopUsesSource(uint32_t rop) {
  const uint32_t table = TruthTable(rop);
  return ((table >> 2) ^ table) & 0x33;
}

bool RopUsesDestination(uint32_t rop) {
  const uint32_t table = TruthTable(rop);
  return ((table >> 1) ^ table) & 0x55;
}

bool RopKeepsDestination(uint32_t rop) { return TruthTable(rop) == 0xAA; }

// A binary code's truth table is its value less one, indexed by pattern
// (bit 1) and destination (bit 0); the ternary table is indexed by pattern
// (bit 2), source (bit 1) and destination (bit 0), and ignores the source.
uint32_t RopOfRop2(uint32_t rop2) {
  if (rop2 < 1 || rop2 > 16) return 0;
  const uint32_t binary = rop2 - 1;
  uint32_t table = 0;
  for (uint32_t index = 0; index < 8; ++index) {
    const uint32_t from = ((index >> 2) & 1) << 1 | (index & 1);
    table |= ((binary >> from) & 1) << index;
  }
  return table << 16;
}

TColor ApplyRop(uint32_t rop, TColor pattern, TColor source, TColor destination) {
  const uint32_t table = TruthTable(rop);
  uint32_t result = 0;
  for (uint32_t index = 0; index < 8; ++index) {
    if (!((table >> index) & 1)) continue;
    const uint32_t p = (index & 4) ? pattern : ~pattern;
    const uint32_t s = (index & 2) ? source : ~source;
    const uint32_t d = (index & 1) ? destination : ~destination;
    result |= p & s & d;
  }
  return result & 0xFFFFFF;
}

void CopyPixels(TBitmap& destination, const TDibPixels& source, uint32_t rop, TColor pattern,
                int top) {
  CopyWith(destination, source.width, source.height, top, rop, pattern,
           [&](int x, int y, TColor& color) {
             const size_t at = source.IndexOf(x, y);
             if (!source.present[at]) return false;
             color = source.colors[at];
             return true;
           });
}

void CopyBitmap(TBitmap& destination, const TBitmap& source, uint32_t rop, TColor pattern) {
  CopyWith(destination, source.Width(), source.Height(), 0, rop, pattern,
           [&](int x, int y, TColor& color) {
             color = source.Pixel(x, y);
             return true;
           });
}

void AlphaBlendPixels(TBitmap& destination, const TDibPixels& source, uint32_t blendFunction,
                      int top) {
  const uint32_t constant = (blendFunction >> 16) & 0xFF;
  const bool perPixel = ((blendFunction >> 24) & kAcSrcAlpha) && !source.alpha.empty();
  const int width = std::min(source.width, destination.Width());
  const int height = std::min(source.height, destination.Height() - top);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const size_t at = source.IndexOf(x, y);
      if (!source.present[at]) continue;
      const TColor s = source.colors[at];
      const TColor d = destination.Pixel(x, top + y);
      // Per-pixel sources are premultiplied; without per-pixel alpha the
      // whole pixel is covered.
      const uint32_t alpha = perPixel ? source.alpha[at] : 255;
      destination.SetPixel(x, top + y,
                           MakeColor(Blend(ColorRed(s), ColorRed(d), alpha, constant),
                                     Blend(ColorGreen(s), ColorGreen(d), alpha, constant),
                                     Blend(ColorBlue(s), ColorBlue(d), alpha, constant)));
    }
  }
}

}  // namespace platform
