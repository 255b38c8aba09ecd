#include "pdf/ccitt_encoder.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string_view>

namespace pdf {

namespace {

struct Code {
  uint16_t bits = 0;
  uint8_t length = 0;
};

// The code tables are kept as the bit strings the recommendations print, so
// they can be read against them; they are turned into numbers once.
constexpr std::string_view kWhiteTerminating[64] = {
    "00110101", "000111",   "0111",     "1000",     "1011",     "1100",     "1110",     "1111",
    "10011",    "10100",    "00111",    "01000",    "001000",   "000011",   "110100",   "110101",
    "101010",   "101011",   "0100111",  "0001100",  "0001000",  "0010111",  "0000011",  "0000100",
    "0101000",  "0101011",  "0010011",  "0100100",  "0011000",  "00000010", "00000011", "00011010",
    "00011011", "00010010", "00010011", "00010100", "00010101", "00010110", "00010111", "00101000",
    "00101001", "00101010", "00101011", "00101100", "00101101", "00000100", "00000101", "00001010",
    "00001011", "01010010", "01010011", "01010100", "01010101", "00100100", "00100101", "01011000",
    "01011001", "01011010", "01011011", "01001010", "01001011", "00110010", "00110011", "00110100"};

constexpr std::string_view kBlackTerminating[64] = {
    "0000110111",   "010",          "11",           "10",           "011",          "0011",
    "0010",         "00011",        "000101",       "000100",       "0000100",      "0000101",
    "0000111",      "00000100",     "00000111",     "000011000",    "0000010111",   "0000011000",
    "0000001000",   "00001100111",  "00001101000",  "00001101100",  "00000110111",  "00000101000",
    "00000010111",  "00000011000",  "000011001010", "000011001011", "000011001100", "000011001101",
    "000001101000", "000001101001", "000001101010", "000001101011", "000011010010", "000011010011",
    "000011010100", "000011010101", "000011010110", "000011010111", "000001101100", "000001101101",
    "000011011010", "000011011011", "000001010100", "000001010101", "000001010110", "000001010111",
    "000001100100", "000001100101", "000001010010", "000001010011", "000000100100", "000000110111",
    "000000111000", "000000100111", "000000101000", "000001011000", "000001011001", "000000101011",
    "000000101100", "000001011010", "000001100110", "000001100111"};

// Make-up codes for 64, 128, ... 1728.
constexpr std::string_view kWhiteMakeUp[27] = {
    "11011",     "10010",     "010111",    "0110111",   "00110110",  "00110111",  "01100100",
    "01100101",  "01101000",  "01100111",  "011001100", "011001101", "011010010", "011010011",
    "011010100", "011010101", "011010110", "011010111", "011011000", "011011001", "011011010",
    "011011011", "010011000", "010011001", "010011010", "011000",    "010011011"};

constexpr std::string_view kBlackMakeUp[27] = {
    "0000001111",    "000011001000",  "000011001001",  "000001011011",  "000000110011",
    "000000110100",  "000000110101",  "0000001101100", "0000001101101", "0000001001010",
    "0000001001011", "0000001001100", "0000001001101", "0000001110010", "0000001110011",
    "0000001110100", "0000001110101", "0000001110110", "0000001110111", "0000001010010",
    "0000001010011", "0000001010100", "0000001010101", "0000001011010", "0000001011011",
    "0000001100100", "0000001100101"};

// Make-up codes for 1792, 1856, ... 2560, the same for both colours.
constexpr std::string_view kExtendedMakeUp[13] = {
    "00000001000",  "00000001100",  "00000001101",  "000000010010", "000000010011",
    "000000010100", "000000010101", "000000010110", "000000010111", "000000011100",
    "000000011101", "000000011110", "000000011111"};

constexpr Code ParseCode(std::string_view text) {
  Code code;
  for (char c : text) code.bits = static_cast<uint16_t>((code.bits << 1) | (c == '1' ? 1 : 0));
  code.length = static_cast<uint8_t>(text.size());
  return code;
}

constexpr Code kPass = ParseCode("0001");
constexpr Code kHorizontal = ParseCode("001");
// Vertical codes indexed by a1 - b1 + 3: VL3, VL2, VL1, V0, VR1, VR2, VR3.
constexpr Code kVertical[7] = {ParseCode("0000010"), ParseCode("000010"), ParseCode("010"),
                               ParseCode("1"),       ParseCode("011"),    ParseCode("000011"),
                               ParseCode("0000011")};
constexpr Code kEndOfLine = ParseCode("000000000001");

struct RunTables {
  // Index 0..63 terminating, 64.. make-up for (index - 63) * 64.
  std::array<Code, 64 + 40> white{};
  std::array<Code, 64 + 40> black{};
};

constexpr RunTables MakeRunTables() {
  RunTables t;
  for (int i = 0; i < 64; ++i) {
    t.white[i] = ParseCode(kWhiteTerminating[i]);
    t.black[i] = ParseCode(kBlackTerminating[i]);
  }
  for (int i = 0; i < 27; ++i) {
    t.white[64 + i] = ParseCode(kWhiteMakeUp[i]);
    t.black[64 + i] = ParseCode(kBlackMakeUp[i]);
  }
  for (int i = 0; i < 13; ++i)
    t.white[64 + 27 + i] = t.black[64 + 27 + i] = ParseCode(kExtendedMakeUp[i]);
  return t;
}

constexpr RunTables kRuns = MakeRunTables();

const Code& MakeUpCode(int length, bool black) {
  const size_t index = 63 + static_cast<size_t>(length / 64);
  return black ? kRuns.black[index] : kRuns.white[index];
}

struct LeadingBits {
  std::array<uint8_t, 256> zeros{};
  std::array<uint8_t, 256> ones{};
};

constexpr LeadingBits MakeLeadingBits() {
  LeadingBits t;
  for (int value = 0; value < 256; ++value) {
    int zeros = 0;
    while (zeros < 8 && !(value & (0x80 >> zeros))) ++zeros;
    int ones = 0;
    while (ones < 8 && (value & (0x80 >> ones))) ++ones;
    t.zeros[value] = static_cast<uint8_t>(zeros);
    t.ones[value] = static_cast<uint8_t>(ones);
  }
  return t;
}

constexpr LeadingBits kLeading = MakeLeadingBits();

// The first position at or after `start` whose pixel is not `black`, or `end`.
int FindChange(const uint8_t* row, int start, int end, bool black) {
  if (start >= end) return end;
  size_t index = static_cast<size_t>(start) >> 3;
  const int skipped = start & 7;
  const uint8_t before = static_cast<uint8_t>(0xFF00 >> skipped);  // bits left of start
  uint8_t byte = black ? static_cast<uint8_t>(row[index] | before)
                       : static_cast<uint8_t>(row[index] & ~before);
  const uint8_t uniform = black ? 0xFF : 0x00;
  const size_t endByte = (static_cast<size_t>(end) + 7) >> 3;
  while (byte == uniform) {
    if (++index >= endByte) return end;
    byte = row[index];
  }
  const int position =
      static_cast<int>(index * 8) + (black ? kLeading.ones[byte] : kLeading.zeros[byte]);
  return std::min(position, end);
}

bool PixelAt(const uint8_t* row, int x) { return (row[x >> 3] >> (7 - (x & 7))) & 1; }

}  // namespace

TCCITTCompression::TCCITTCompression(std::string* stream, int width, int mode)
    : stream_(stream),
      bytesPerRow_((static_cast<size_t>(width) + 7) / 8),
      width_(width),
      mode_(mode),
      row_(bytesPerRow_) {
  if (mode_ != kGroup3OneDimensional) reference_.assign(bytesPerRow_, 0);
}

void TCCITTCompression::CompressRow(const uint8_t* row) {
  // The bitmap's 1 bits are white; the coder counts 1 bits as black.
  for (size_t i = 0; i < bytesPerRow_; ++i) row_[i] = static_cast<uint8_t>(~row[i]);
  switch (mode_) {
    case kGroup3OneDimensional:
      CodeOneDimensional();
      break;
    case kGroup3TwoDimensional:
      PutBits(kEndOfLine.bits, kEndOfLine.length);
      PutBits(0, 1);  // tag: the row is coded two-dimensionally
      CodeTwoDimensional();
      break;
    default:
      CodeTwoDimensional();
      break;
  }
  if (mode_ != kGroup3OneDimensional) row_.swap(reference_);
  FlushBytes();
}

void TCCITTCompression::Finish() {
  if (mode_ == kGroup4) {
    PutBits(kEndOfLine.bits, kEndOfLine.length);
    PutBits(kEndOfLine.bits, kEndOfLine.length);
  }
  FlushBytes();
  if (pendingCount_ > 0) {
    stream_->push_back(static_cast<char>(pending_ << (8 - pendingCount_)));
    pending_ = 0;
    pendingCount_ = 0;
  }
}

void TCCITTCompression::CodeOneDimensional() {
  const uint8_t* row = row_.data();
  bool black = false;
  for (int position = 0; position < width_;) {
    const int next = FindChange(row, position, width_, black);
    PutRun(next - position, black);
    position = next;
    black = !black;
  }
}

void TCCITTCompression::CodeTwoDimensional() {
  const uint8_t* cur = row_.data();
  const uint8_t* ref = reference_.data();
  const int width = width_;
  // a0 starts on an imaginary white pixel before the row.
  int a0 = -1;
  bool a0Black = false;
  int a1 = FindChange(cur, 0, width, false);
  int b1 = FindChange(ref, 0, width, false);
  for (;;) {
    const int b2 = b1 < width ? FindChange(ref, b1, width, PixelAt(ref, b1)) : width;
    if (b2 < a1) {
      PutBits(kPass.bits, kPass.length);
      a0 = b2;  // the colour at a0 stays as it was
    } else if (a1 - b1 >= -3 && a1 - b1 <= 3) {
      const Code& code = kVertical[a1 - b1 + 3];
      PutBits(code.bits, code.length);
      a0 = a1;
      a0Black = !a0Black;
    } else {
      const int a2 = a1 < width ? FindChange(cur, a1, width, PixelAt(cur, a1)) : width;
      const int start = std::max(a0, 0);
      PutBits(kHorizontal.bits, kHorizontal.length);
      PutRun(a1 - start, a0Black);
      PutRun(a2 - a1, !a0Black);
      a0 = a2;
    }
    if (a0 >= width) break;
    a1 = FindChange(cur, a0, width, a0Black);
    // b1: the first change on the reference row right of a0 to the colour
    // opposite a0's: past any run of that colour at a0, then past a0's colour.
    b1 = FindChange(ref, FindChange(ref, a0, width, !a0Black), width, a0Black);
  }
}

void TCCITTCompression::PutRun(int length, bool black) {
  while (length >= 2624) {
    const Code& code = MakeUpCode(2560, black);
    PutBits(code.bits, code.length);
    length -= 2560;
  }
  if (length >= 64) {
    const Code& code = MakeUpCode(length, black);
    PutBits(code.bits, code.length);
    length %= 64;
  }
  const Code& code =
      black ? kRuns.black[static_cast<size_t>(length)] : kRuns.white[static_cast<size_t>(length)];
  PutBits(code.bits, code.length);
}

void TCCITTCompression::PutBits(uint32_t code, int length) {
  pending_ = (pending_ << length) | code;
  pendingCount_ += length;
  if (pendingCount_ > 48) FlushBytes();
}

void TCCITTCompression::FlushBytes() {
  while (pendingCount_ >= 8) {
    pendingCount_ -= 8;
    stream_->push_back(static_cast<char>(pending_ >> pendingCount_));
  }
  pending_ &= (uint64_t{1} << pendingCount_) - 1;
}

void CompressBitmap(const platform::TBitmap& bitmap, std::string* stream, int mode) {
  if (stream == nullptr) throw std::runtime_error("Not set output stream.");
  if (!bitmap.IsMonochrome()) throw std::runtime_error("Not b/w image.");
  if (bitmap.Empty()) return;
  TCCITTCompression encoder(stream, bitmap.Width(), mode);
  for (int y = 0; y < bitmap.Height(); ++y) encoder.CompressRow(bitmap.Row(y));
  encoder.Finish();
}

}  // namespace pdf
