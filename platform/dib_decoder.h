#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "platform/bitmap.h"

namespace platform {

// iUsage values of the DIB functions.
inline constexpr uint32_t DIB_RGB_COLORS = 0;
inline constexpr uint32_t DIB_PAL_COLORS = 1;

// biCompression values.
inline constexpr uint32_t BI_RGB = 0;
inline constexpr uint32_t BI_RLE8 = 1;
inline constexpr uint32_t BI_RLE4 = 2;
inline constexpr uint32_t BI_BITFIELDS = 3;
inline constexpr uint32_t BI_JPEG = 4;
inline constexpr uint32_t BI_PNG = 5;

// A rectangle of a DIB's pixels, top-down. `present` is 0 where the DIB has
// no pixel (outside the DIB, past the scan lines given, or skipped by an RLE
// jump); such pixels leave a destination as it was.
struct TDibPixels {
  int width = 0;
  int height = 0;
  std::vector<TColor> colors;
  std::vector<uint8_t> present;
  std::vector<uint8_t> alpha;  // 32-bit DIBs only: the fourth byte of each pixel

  size_t IndexOf(int x, int y) const {
    return static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
  }
};

// The source line or column whose centre is nearest to the centre of output
// line `index` when `sourceSize` lines are sampled to `outSize`.
inline int64_t NearestSourceIndex(int64_t index, int64_t sourceSize, int64_t outSize) {
  return (2 * index + 1) * sourceSize / (2 * outSize);
}

// Reads device-independent bitmaps: 1, 4, 8, 16, 24 and 32 bits per pixel,
// BI_RGB, BI_BITFIELDS, BI_RLE4 and BI_RLE8, bottom-up and top-down, with
// colour tables of RGB values or of palette indices. The DIB is untrusted:
// every size, count and offset is checked against the bytes given, and
// nothing outside them is read.
class TDibDecoder {
 public:
  // Parses the BITMAPINFO in `info` with the pixel bits in `bits`. Returns
  // false for a DIB that cannot be read (nothing else may be called then).
  // For SetDIBitsToDevice, `firstScan` and `scanCount` say which scan lines
  // (counted from the bottom of a bottom-up DIB) the bits hold; a scan count
  // of -1 means all of them.
  bool Load(std::span<const uint8_t> info, std::span<const uint8_t> bits, uint32_t usage,
            int64_t firstScan = 0, int64_t scanCount = -1);

  int Width() const { return width_; }
  int Height() const { return height_; }
  int BitCount() const { return bitCount_; }
  uint32_t Compression() const { return compression_; }
  bool TopDown() const { return topDown_; }

  // The pixels of the area with its top-left corner at (x, y) in top-down DIB
  // coordinates. The area must be allowed as a bitmap size (TBitmap::SizeAllowed).
  TDibPixels ReadArea(int64_t x, int64_t y, int width, int height) const;

  // The same area sampled to outWidth x outHeight (nearest pixel), handed to
  // `band` a few rows at a time with the output row of its first line, so a
  // large picture is never held whole at the DIB's own size.
  void ReadAreaInBands(int64_t x, int64_t y, int width, int height, int outWidth, int outHeight,
                       const std::function<void(const TDibPixels&, int outTop)>& band) const;

 private:
  bool ParseHeader(std::span<const uint8_t> info);
  void ParseColorTable(std::span<const uint8_t> info, size_t tableOffset, bool core,
                       uint32_t colorsUsed);
  TColor PaletteColor(uint32_t index) const;
  void ReadUncompressed(int64_t x, int64_t y, TDibPixels& out) const;
  void ReadRunLength(int64_t x, int64_t y, TDibPixels& out) const;
  TColor MaskedColor(uint32_t value) const;

  struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
  };

  std::span<const uint8_t> bits_;
  uint32_t usage_ = DIB_RGB_COLORS;
  int width_ = 0;
  int height_ = 0;
  bool topDown_ = false;
  int bitCount_ = 0;
  uint32_t compression_ = BI_RGB;
  size_t stride_ = 0;
  int64_t firstScan_ = 0;
  int64_t scanCount_ = 0;
  std::vector<TColor> palette_;
  Channel channels_[3];  // red, green, blue
  bool hasAlpha_ = false;
};

}  // namespace platform
