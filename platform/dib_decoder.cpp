#include "platform/dib_decoder.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace platform {

namespace {

// The 20 static colours of the default palette, which DIB_PAL_COLORS tables
// index when no other palette is selected.
constexpr TColor kDefaultPalette[20] = {
    MakeColor(0, 0, 0),       MakeColor(128, 0, 0),     MakeColor(0, 128, 0),
    MakeColor(128, 128, 0),   MakeColor(0, 0, 128),     MakeColor(128, 0, 128),
    MakeColor(0, 128, 128),   MakeColor(192, 192, 192), MakeColor(192, 220, 192),
    MakeColor(166, 202, 240), MakeColor(255, 251, 240), MakeColor(160, 160, 164),
    MakeColor(128, 128, 128), MakeColor(255, 0, 0),     MakeColor(0, 255, 0),
    MakeColor(255, 255, 0),   MakeColor(0, 0, 255),     MakeColor(255, 0, 255),
    MakeColor(0, 255, 255),   MakeColor(255, 255, 255)};

uint16_t U16(std::span<const uint8_t> bytes, size_t at) {
  return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

uint32_t U32(std::span<const uint8_t> bytes, size_t at) {
  return static_cast<uint32_t>(bytes[at]) | (static_cast<uint32_t>(bytes[at + 1]) << 8) |
         (static_cast<uint32_t>(bytes[at + 2]) << 16) |
         (static_cast<uint32_t>(bytes[at + 3]) << 24);
}

constexpr size_t kCoreHeaderSize = 12;
constexpr size_t kInfoHeaderSize = 40;
constexpr size_t kMasksInHeaderSize = 52;  // BITMAPV2INFOHEADER and later

bool ValidUncompressedBitCount(int bitCount) {
  return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 ||
         bitCount == 32;
}

}  // namespace

bool TDibDecoder::Load(std::span<const uint8_t> info, std::span<const uint8_t> bits, uint32_t usage,
                       int64_t firstScan, int64_t scanCount) {
  bits_ = bits;
  palette_.clear();
  if (usage != DIB_RGB_COLORS && usage != DIB_PAL_COLORS) return false;
  usage_ = usage;
  if (!ParseHeader(info)) return false;
  if (compression_ == BI_RLE4 || compression_ == BI_RLE8) {
    firstScan_ = 0;
    scanCount_ = height_;
    return !bits.empty();
  }
  if (firstScan < 0) return false;
  firstScan_ = firstScan;
  scanCount_ = scanCount < 0 ? height_ : std::min<int64_t>(scanCount, height_);
  const uint64_t strideBits = static_cast<uint64_t>(width_) * static_cast<uint64_t>(bitCount_);
  stride_ = static_cast<size_t>((strideBits + 31) / 32 * 4);
  // Every scan line the DIB says it has must be in the bits.
  return static_cast<uint64_t>(scanCount_) <= bits.size() / stride_;
}

bool TDibDecoder::ParseHeader(std::span<const uint8_t> info) {
  if (info.size() < 4) return false;
  const uint32_t headerSize = U32(info, 0);
  if (headerSize > info.size()) return false;
  const bool core = headerSize == kCoreHeaderSize;
  if (!core && headerSize < kInfoHeaderSize) return false;

  int64_t width, height;
  uint32_t colorsUsed = 0;
  if (core) {
    width = U16(info, 4);
    height = U16(info, 6);
    bitCount_ = U16(info, 10);
    compression_ = BI_RGB;
  } else {
    width = static_cast<int32_t>(U32(info, 4));
    height = static_cast<int32_t>(U32(info, 8));
    bitCount_ = U16(info, 14);
    compression_ = U32(info, 16);
    colorsUsed = U32(info, 32);
  }
  if (width <= 0 || height == 0 || height == std::numeric_limits<int32_t>::min()) return false;
  topDown_ = height < 0;
  width_ = static_cast<int>(width);
  height_ = static_cast<int>(topDown_ ? -height : height);

  size_t tableOffset = headerSize;
  hasAlpha_ = false;
  switch (compression_) {
    case BI_RGB:
      if (!ValidUncompressedBitCount(bitCount_)) return false;
      if (bitCount_ == 16) {
        channels_[0].mask = 0x7C00;
        channels_[1].mask = 0x03E0;
        channels_[2].mask = 0x001F;
      } else if (bitCount_ == 32) {
        channels_[0].mask = 0xFF0000;
        channels_[1].mask = 0x00FF00;
        channels_[2].mask = 0x0000FF;
        hasAlpha_ = true;
      }
      break;
    case BI_RLE8:
    case BI_RLE4:
      // Run-length DIBs are always bottom-up.
      if (topDown_ || bitCount_ != (compression_ == BI_RLE8 ? 8 : 4)) return false;
      break;
    case BI_BITFIELDS: {
      if (bitCount_ != 16 && bitCount_ != 32) return false;
      size_t masksAt = kInfoHeaderSize;
      if (headerSize < kMasksInHeaderSize) {
        masksAt = headerSize;
        tableOffset = headerSize + 12;
      }
      if (masksAt + 12 > info.size()) return false;
      for (int i = 0; i < 3; ++i)
        channels_[i].mask = U32(info, masksAt + 4 * static_cast<size_t>(i));
      // A 32-bit DIB whose colours leave the top byte free keeps its alpha
      // there, as it does without masks.
      const uint32_t colours = channels_[0].mask | channels_[1].mask | channels_[2].mask;
      hasAlpha_ = bitCount_ == 32 && (colours & 0xFF000000u) == 0;
      break;
    }
    default:
      // BI_JPEG, BI_PNG and the CMYK kinds need codecs that are not at hand.
      return false;
  }
  for (Channel& channel : channels_) {
    channel.shift = channel.mask ? std::countr_zero(channel.mask) : 0;
    channel.bits = std::popcount(channel.mask >> channel.shift);
  }
  if (bitCount_ <= 8) ParseColorTable(info, tableOffset, core, colorsUsed);
  return true;
}

void TDibDecoder::ParseColorTable(std::span<const uint8_t> info, size_t tableOffset, bool core,
                                  uint32_t colorsUsed) {
  const uint32_t maxColors = 1u << bitCount_;
  uint32_t count = colorsUsed == 0 ? maxColors : std::min(colorsUsed, maxColors);
  const bool indices = usage_ == DIB_PAL_COLORS;
  const size_t entrySize = indices ? 2 : core ? 3 : 4;
  const size_t available = tableOffset < info.size() ? (info.size() - tableOffset) / entrySize : 0;
  // A short table is used as far as it goes; missing entries are black.
  count = static_cast<uint32_t>(std::min<size_t>(count, available));
  palette_.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    const size_t at = tableOffset + i * entrySize;
    if (indices) {
      const uint16_t index = U16(info, at);
      palette_.push_back(index < 20 ? kDefaultPalette[index] : kBlack);
    } else {
      palette_.push_back(MakeColor(info[at + 2], info[at + 1], info[at]));
    }
  }
}

TColor TDibDecoder::PaletteColor(uint32_t index) const {
  // Indices past the table give black.
  return index < palette_.size() ? palette_[index] : kBlack;
}

TColor TDibDecoder::MaskedColor(uint32_t value) const {
  uint8_t component[3];
  for (int i = 0; i < 3; ++i) {
    const Channel& channel = channels_[i];
    const uint32_t raw = (value & channel.mask) >> channel.shift;
    if (channel.bits == 0) {
      component[i] = 0;
    } else if (channel.bits >= 8) {
      component[i] = static_cast<uint8_t>(raw >> (channel.bits - 8));
    } else {
      const uint32_t max = (1u << channel.bits) - 1;
      component[i] = static_cast<uint8_t>((raw * 255 + max / 2) / max);
    }
  }
  return MakeColor(component[0], component[1], component[2]);
}

TDibPixels TDibDecoder::ReadArea(int64_t x, int64_t y, int width, int height) const {
  TDibPixels out;
  if (!TBitmap::SizeAllowed(width, height)) return out;
  out.width = width;
  out.height = height;
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  out.colors.assign(count, kBlack);
  out.present.assign(count, 0);
  if (hasAlpha_) out.alpha.assign(count, 0);
  if (compression_ == BI_RLE4 || compression_ == BI_RLE8)
    ReadRunLength(x, y, out);
  else
    ReadUncompressed(x, y, out);
  return out;
}

namespace {

// Pixels of the DIB decoded at once: bands of this size keep the decoding's
// own memory small next to the picture.
constexpr int64_t kBandPixels = int64_t{1} << 22;

TDibPixels Sampled(const TDibPixels& source, int64_t firstSourceRow, int outTop, int outWidth,
                   int outRows, int64_t sourceHeight, int outHeight) {
  TDibPixels out;
  out.width = outWidth;
  out.height = outRows;
  const size_t count = static_cast<size_t>(outWidth) * static_cast<size_t>(outRows);
  out.colors.resize(count);
  out.present.resize(count);
  if (!source.alpha.empty()) out.alpha.resize(count);
  for (int oy = 0; oy < outRows; ++oy) {
    const int64_t sy = NearestSourceIndex(outTop + oy, sourceHeight, outHeight) - firstSourceRow;
    for (int ox = 0; ox < outWidth; ++ox) {
      const size_t from = source.IndexOf(
          static_cast<int>(NearestSourceIndex(ox, source.width, outWidth)), static_cast<int>(sy));
      const size_t to = out.IndexOf(ox, oy);
      out.colors[to] = source.colors[from];
      out.present[to] = source.present[from];
      if (!out.alpha.empty()) out.alpha[to] = source.alpha[from];
    }
  }
  return out;
}

}  // namespace

void TDibDecoder::ReadAreaInBands(
    int64_t x, int64_t y, int width, int height, int outWidth, int outHeight,
    const std::function<void(const TDibPixels&, int outTop)>& band) const {
  if (width <= 0 || height <= 0 || outWidth <= 0 || outHeight <= 0) return;
  const bool sameSize = width == outWidth && height == outHeight;
  int outTop = 0;
  while (outTop < outHeight) {
    const int64_t first = NearestSourceIndex(outTop, height, outHeight);
    int end = outTop + 1;  // one source row past the band size still makes a band
    while (end < outHeight &&
           (NearestSourceIndex(end, height, outHeight) - first + 1) * width <= kBandPixels)
      ++end;
    const int64_t rows = NearestSourceIndex(end - 1, height, outHeight) - first + 1;
    const TDibPixels source = ReadArea(x, y + first, width, static_cast<int>(rows));
    if (sameSize)
      band(source, outTop);
    else
      band(Sampled(source, first, outTop, outWidth, end - outTop, height, outHeight), outTop);
    outTop = end;
  }
}

void TDibDecoder::ReadUncompressed(int64_t x0, int64_t y0, TDibPixels& out) const {
  const int64_t left = std::max<int64_t>(x0, 0);
  const int64_t right = std::min<int64_t>(x0 + out.width, width_);
  for (int oy = 0; oy < out.height; ++oy) {
    const int64_t y = y0 + oy;
    if (y < 0 || y >= height_) continue;
    const int64_t scan = topDown_ ? y : height_ - 1 - y;
    const int64_t line = scan - firstScan_;
    if (line < 0 || line >= scanCount_) continue;
    const uint8_t* row = bits_.data() + static_cast<size_t>(line) * stride_;
    for (int64_t x = left; x < right; ++x) {
      const size_t at = out.IndexOf(static_cast<int>(x - x0), oy);
      const size_t ux = static_cast<size_t>(x);
      TColor color;
      switch (bitCount_) {
        case 1:
          color = PaletteColor((row[ux >> 3] >> (7 - (ux & 7))) & 1);
          break;
        case 4:
          color = PaletteColor((row[ux >> 1] >> ((ux & 1) ? 0 : 4)) & 0x0F);
          break;
        case 8:
          color = PaletteColor(row[ux]);
          break;
        case 16:
          color = MaskedColor(static_cast<uint32_t>(row[ux * 2] | (row[ux * 2 + 1] << 8)));
          break;
        case 24:
          color = MakeColor(row[ux * 3 + 2], row[ux * 3 + 1], row[ux * 3]);
          break;
        default: {
          const uint8_t* p = row + ux * 4;
          color = MaskedColor(U32(std::span<const uint8_t>(p, 4), 0));
          if (hasAlpha_) out.alpha[at] = p[3];
          break;
        }
      }
      out.colors[at] = color;
      out.present[at] = 1;
    }
  }
}

void TDibDecoder::ReadRunLength(int64_t x0, int64_t y0, TDibPixels& out) const {
  const bool fourBit = compression_ == BI_RLE4;
  const std::span<const uint8_t> data = bits_;
  int64_t px = 0;  // position in the DIB, scan lines counted from the bottom
  int64_t py = 0;
  auto put = [&](uint32_t index) {
    if (px >= 0 && px < width_ && py < height_) {
      const int64_t ox = px - x0;
      const int64_t oy = (height_ - 1 - py) - y0;
      if (ox >= 0 && ox < out.width && oy >= 0 && oy < out.height) {
        const size_t at = out.IndexOf(static_cast<int>(ox), static_cast<int>(oy));
        out.colors[at] = PaletteColor(index);
        out.present[at] = 1;
      }
    }
    ++px;
  };
  size_t at = 0;
  // Lines come bottom-up: past the area's top line nothing more lands in it.
  while (at + 2 <= data.size() && py < height_ && height_ - 1 - py >= y0) {
    const uint8_t count = data[at];
    const uint8_t value = data[at + 1];
    at += 2;
    if (count > 0) {
      // Output past the end of a line is clipped; it does not wrap. Lines
      // below the area are only counted through.
      if ((height_ - 1 - py) - y0 >= out.height) {
        px = std::min<int64_t>(px + count, width_);
        continue;
      }
      for (int i = 0; i < count && px < width_; ++i)
        put(fourBit ? ((i & 1) ? value & 0x0F : value >> 4) : value);
      continue;
    }
    if (value == 0) {  // end of line
      px = 0;
      ++py;
    } else if (value == 1) {  // end of bitmap
      break;
    } else if (value == 2) {  // jump
      if (at + 2 > data.size()) break;
      px += data[at];
      py += data[at + 1];
      at += 2;
    } else {  // absolute run of `value` pixels, padded to a 16-bit boundary
      const size_t bytes = fourBit ? (value + 1u) / 2 : value;
      if (at + bytes > data.size()) break;
      for (int i = 0; i < value; ++i) {
        const uint8_t byte = data[at + static_cast<size_t>(fourBit ? i / 2 : i)];
        put(fourBit ? ((i & 1) ? byte & 0x0F : byte >> 4) : byte);
      }
      at += (bytes + 1) & ~size_t{1};
    }
  }
}

}  // namespace platform
