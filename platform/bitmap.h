#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace platform {

// A colour as Windows passes it around (COLORREF): red in the low byte.
using TColor = uint32_t;

constexpr TColor MakeColor(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<TColor>(r) | (static_cast<TColor>(g) << 8) | (static_cast<TColor>(b) << 16);
}
constexpr uint8_t ColorRed(TColor c) { return static_cast<uint8_t>(c); }
constexpr uint8_t ColorGreen(TColor c) { return static_cast<uint8_t>(c >> 8); }
constexpr uint8_t ColorBlue(TColor c) { return static_cast<uint8_t>(c >> 16); }

inline constexpr TColor kBlack = 0x000000;
inline constexpr TColor kWhite = 0xFFFFFF;

enum class TPixelFormat { pf1bit, pf24bit };

// The stand-in for a GDI bitmap: 24-bit rows stored red, green, blue (the
// order of PDF's DeviceRGB samples and of the JPEG coder, so an image is
// compressed straight from the bitmap), or 1-bit rows (most significant bit
// leftmost) with a two-colour palette. Rows are top-down and not padded. A
// new bitmap is black, as a freshly created device bitmap is.
class TBitmap {
 public:
  // Bitmaps larger than this are refused: no page of any printer needs more,
  // and a corrupt record must not make us allocate gigabytes.
  static constexpr int64_t kMaxPixels = int64_t{1} << 27;

  TBitmap() = default;
  // Throws std::length_error when the size is not allowed (see SizeAllowed).
  TBitmap(int width, int height, TPixelFormat format);

  static bool SizeAllowed(int64_t width, int64_t height);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ <= 0 || height_ <= 0; }
  TPixelFormat Format() const { return format_; }
  bool IsMonochrome() const { return format_ == TPixelFormat::pf1bit; }
  size_t Stride() const { return stride_; }

  // All rows, one after the other.
  std::string_view Bytes() const {
    return {reinterpret_cast<const char*>(bits_.data()), bits_.size()};
  }
  uint8_t* Row(int y) { return bits_.data() + static_cast<size_t>(y) * stride_; }
  const uint8_t* Row(int y) const { return bits_.data() + static_cast<size_t>(y) * stride_; }

  // Palette of a 1-bit bitmap: entry 0 for 0 bits, entry 1 for 1 bits.
  std::array<TColor, 2>& Palette() { return palette_; }
  const std::array<TColor, 2>& Palette() const { return palette_; }

  // Coordinates must lie inside the bitmap.
  TColor Pixel(int x, int y) const;
  void SetPixel(int x, int y, TColor color);
  // The 1-bit value of a monochrome bitmap's pixel.
  bool Bit(int x, int y) const { return (Row(y)[x >> 3] >> (7 - (x & 7))) & 1; }
  void SetBit(int x, int y, bool value);

  void Fill(TColor color);
  void MirrorHorizontal();
  void MirrorVertical();

  // A 24-bit copy (a copy of this bitmap when it is 24-bit already).
  TBitmap To24Bit() const;

 private:
  int width_ = 0;
  int height_ = 0;
  TPixelFormat format_ = TPixelFormat::pf24bit;
  size_t stride_ = 0;
  std::array<TColor, 2> palette_{kBlack, kWhite};
  std::vector<uint8_t> bits_;
};

// Which of the two colours of a monochrome bitmap a colour becomes: white for
// light colours, as GDI's colour-to-monochrome conversion does.
bool IsLightColor(TColor color);

}  // namespace platform
