#include "platform/bitmap.h"

#include <algorithm>
#include <stdexcept>

namespace platform {

TBitmap::TBitmap(int width, int height, TPixelFormat format) : format_(format) {
  if (!SizeAllowed(width, height)) throw std::length_error("Bitmap size not allowed");
  width_ = width;
  height_ = height;
  stride_ = format == TPixelFormat::pf1bit ? (static_cast<size_t>(width) + 7) / 8
                                           : static_cast<size_t>(width) * 3;
  bits_.assign(stride_ * static_cast<size_t>(height), 0);
}

bool TBitmap::SizeAllowed(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kMaxPixels && height <= kMaxPixels &&
         width * height <= kMaxPixels;
}

TColor TBitmap::Pixel(int x, int y) const {
  if (format_ == TPixelFormat::pf1bit) return palette_[Bit(x, y) ? 1 : 0];
  const uint8_t* p = Row(y) + static_cast<size_t>(x) * 3;
  return MakeColor(p[0], p[1], p[2]);
}

void TBitmap::SetPixel(int x, int y, TColor color) {
  if (format_ == TPixelFormat::pf1bit) {
    // Nearest palette entry; with the usual black and white palette that is
    // the light/dark split.
    const bool light = IsLightColor(color);
    const bool entry1Light = IsLightColor(palette_[1]);
    SetBit(x, y, palette_[1] == color || (palette_[0] != color && light == entry1Light));
    return;
  }
  uint8_t* p = Row(y) + static_cast<size_t>(x) * 3;
  p[0] = ColorRed(color);
  p[1] = ColorGreen(color);
  p[2] = ColorBlue(color);
}

void TBitmap::SetBit(int x, int y, bool value) {
  uint8_t& byte = Row(y)[x >> 3];
  const uint8_t mask = static_cast<uint8_t>(0x80 >> (x & 7));
  byte = value ? static_cast<uint8_t>(byte | mask) : static_cast<uint8_t>(byte & ~mask);
}

void TBitmap::Fill(TColor color) {
  if (Empty()) return;
  if (format_ == TPixelFormat::pf1bit) {
    SetPixel(0, 0, color);
    std::fill(bits_.begin(), bits_.end(), Bit(0, 0) ? 0xFF : 0x00);
    return;
  }
  for (int x = 0; x < width_; ++x) SetPixel(x, 0, color);
  for (int y = 1; y < height_; ++y) std::copy(Row(0), Row(0) + stride_, Row(y));
}

void TBitmap::MirrorHorizontal() {
  for (int y = 0; y < height_; ++y) {
    for (int left = 0, right = width_ - 1; left < right; ++left, --right) {
      if (format_ == TPixelFormat::pf1bit) {
        const bool a = Bit(left, y);
        SetBit(left, y, Bit(right, y));
        SetBit(right, y, a);
      } else {
        uint8_t* row = Row(y);
        std::swap_ranges(row + left * 3, row + left * 3 + 3, row + right * 3);
      }
    }
  }
}

void TBitmap::MirrorVertical() {
  for (int top = 0, bottom = height_ - 1; top < bottom; ++top, --bottom)
    std::swap_ranges(Row(top), Row(top) + stride_, Row(bottom));
}

TBitmap TBitmap::To24Bit() const {
  if (format_ == TPixelFormat::pf24bit || Empty()) return *this;
  TBitmap copy(width_, height_, TPixelFormat::pf24bit);
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) copy.SetPixel(x, y, Pixel(x, y));
  return copy;
}

bool IsLightColor(TColor color) {
  // Rec. 601 weights in integers.
  const int luma = 299 * ColorRed(color) + 587 * ColorGreen(color) + 114 * ColorBlue(color);
  return luma >= 128 * 1000;
}

}  // namespace platform
