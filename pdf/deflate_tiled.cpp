#include <libdeflate.h>

#include <algorithm>
#include <cstdint>
#include <stdexcept>

#include "pdf/deflate.h"

namespace pdf {

namespace {

// RFC 1951 with its fixed Huffman codes: a tiled image is literals for one
// tile row and copies for everything else, so nothing is worth searching
// for and no code table is worth sending.
class FixedHuffmanWriter {
 public:
  explicit FixedHuffmanWriter(std::string& out) : out_(out) {}

  void Literal(uint8_t byte) {
    if (byte < 144)
      Code(0x30 + byte, 8);
    else
      Code(0x190 + byte - 144, 9);
  }

  // Copies `length` bytes from `distance` back (1 to 32768), in pieces of
  // at most 258; a rest below 3 bytes is left to the caller as literals.
  size_t Copy(size_t length, size_t distance) {
    size_t written = 0;
    while (length - written >= 3) {
      size_t piece = std::min<size_t>(length - written, 258);
      if (const size_t rest = length - written - piece; rest > 0 && rest < 3) piece -= 3 - rest;
      Length(piece);
      Distance(distance);
      written += piece;
    }
    return written;
  }

  void Begin() { Bits(0b011, 3); }  // the final block, fixed codes
  void End() {
    Code(0, 7);  // end of block
    if (used_ > 0) out_ += static_cast<char>(pending_);
    pending_ = used_ = 0;
  }

 private:
  void Length(size_t length) {
    static constexpr uint16_t kBase[] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                         15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                         67, 83, 99, 115, 131, 163, 195, 227, 258};
    static constexpr uint8_t kExtra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                         2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
    const size_t i = std::upper_bound(std::begin(kBase), std::end(kBase), length) - kBase - 1;
    const uint32_t symbol = 257 + static_cast<uint32_t>(i);
    if (symbol < 280)
      Code(symbol - 256, 7);
    else
      Code(0xC0 + symbol - 280, 8);
    Bits(static_cast<uint32_t>(length - kBase[i]), kExtra[i]);
  }

  void Distance(size_t distance) {
    static constexpr uint16_t kBase[] = {
        1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
        193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
    const size_t i = std::upper_bound(std::begin(kBase), std::end(kBase), distance) - kBase - 1;
    Code(static_cast<uint32_t>(i), 5);
    Bits(static_cast<uint32_t>(distance - kBase[i]), static_cast<int>(i < 4 ? 0 : i / 2 - 1));
  }

  // Huffman codes go most significant bit first, everything else least.
  void Code(uint32_t code, int length) {
    uint32_t reversed = 0;
    for (int bit = 0; bit < length; ++bit) reversed |= ((code >> bit) & 1) << (length - 1 - bit);
    Bits(reversed, length);
  }

  void Bits(uint32_t value, int count) {
    pending_ |= value << used_;
    used_ += count;
    while (used_ >= 8) {
      out_ += static_cast<char>(pending_ & 0xFF);
      pending_ >>= 8;
      used_ -= 8;
    }
  }

  std::string& out_;
  uint32_t pending_ = 0;
  int used_ = 0;
};

constexpr size_t kWindow = 32768;

// The Adler-32 of data X then Y from theirs: Y's sum A starts at X's A
// instead of 1, which adds X's A - 1 to Y's sum B once for each of its bytes.
uint32_t ChainAdler32(uint32_t x, uint32_t y, size_t yBytes) {
  constexpr uint64_t kModulus = 65521;
  const uint64_t xa = x & 0xFFFF, xb = x >> 16, ya = y & 0xFFFF, yb = y >> 16;
  const uint64_t a = (xa + ya + kModulus - 1) % kModulus;
  const uint64_t b = (xb + yb + (yBytes % kModulus) * ((xa + kModulus - 1) % kModulus)) % kModulus;
  return static_cast<uint32_t>(b << 16 | a);
}

}  // namespace

std::string DeflateTiled(std::string_view tile, size_t rowBytes, size_t across, size_t down) {
  if (rowBytes == 0 || tile.size() % rowBytes != 0 || across == 0 || down == 0)
    throw std::invalid_argument("DeflateTiled: tile rows do not fit");
  const size_t bandBytes = tile.size() * across;
  if (bandBytes > kWindow || rowBytes > kWindow) {
    std::string image;
    image.reserve(bandBytes * down);
    for (size_t copy = 0; copy < down; ++copy)
      for (size_t row = 0; row < tile.size(); row += rowBytes)
        for (size_t i = 0; i < across; ++i) image.append(tile.substr(row, rowBytes));
    return Deflate(image);
  }
  // Byte k of the band, the tile's rows each repeated across.
  const auto bandByte = [&](size_t k) {
    const size_t row = k / (rowBytes * across);
    return static_cast<uint8_t>(tile[row * rowBytes + k % rowBytes]);
  };
  std::string out = {'\x78', '\x01'};  // zlib header: deflate, 32 KiB window
  FixedHuffmanWriter writer(out);
  writer.Begin();
  for (size_t row = 0; row < tile.size(); row += rowBytes) {
    const size_t start = row * across;  // in the band
    for (size_t i = 0; i < rowBytes; ++i) writer.Literal(bandByte(start + i));
    const size_t rest = rowBytes * (across - 1);
    // A rest too short for a copy goes as literals.
    for (size_t i = writer.Copy(rest, rowBytes); i < rest; ++i)
      writer.Literal(bandByte(start + rowBytes + i));
  }
  const size_t rest = bandBytes * (down - 1);
  for (size_t i = writer.Copy(rest, bandBytes); i < rest; ++i)
    writer.Literal(bandByte(i % bandBytes));
  writer.End();
  std::string band;
  band.reserve(bandBytes);
  for (size_t k = 0; k < bandBytes; ++k) band += static_cast<char>(bandByte(k));
  const uint32_t bandAdler = libdeflate_adler32(1, band.data(), band.size());
  uint32_t adler = 1;
  for (size_t i = 0; i < down; ++i) adler = ChainAdler32(adler, bandAdler, bandBytes);
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>(adler >> shift);
  return out;
}

}  // namespace pdf
