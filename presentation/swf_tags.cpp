#include "presentation/swf_tags.h"

#include <stdexcept>

#include "pdf/deflate.h"
#include "presentation/swf_bits.h"

namespace presentation {

namespace {

constexpr uint8_t kFillClippedBitmap = 0x41;
constexpr uint8_t kFillSolid = 0x00;

void CheckBitmapSize(int width, int height) {
  if (width < 1 || height < 1 || width > 0xFFFF || height > 0xFFFF)
    throw std::runtime_error("A slide of " + std::to_string(width) + " x " +
                             std::to_string(height) + " pixels does not fit in a movie");
}

// A straight edge by (dx, dy) twips, one of them 0.
void StraightEdge(SwfBits& bits, int32_t dx, int32_t dy) {
  const int n = std::max(2, SignedBitsFor({dx, dy}));
  bits.Bits(1, 1);  // edge record
  bits.Bits(1, 1);  // straight
  bits.Bits(static_cast<uint32_t>(n - 2), 4);
  bits.Bits(0, 1);  // vertical or horizontal line
  bits.Bits(dx == 0 ? 1 : 0, 1);
  bits.SignedBits(dx == 0 ? dy : dx, n);
}

}  // namespace

SwfActions& SwfActions::Add(SwfAction action) {
  bytes_.push_back(static_cast<char>(action));
  return *this;
}

SwfActions& SwfActions::GotoFrame(uint16_t frameIndex) {
  bytes_.push_back(static_cast<char>(kActionGotoFrame));
  bytes_ += {2, 0, static_cast<char>(frameIndex & 0xFF), static_cast<char>(frameIndex >> 8)};
  return *this;
}

std::string SwfTagBytes(uint16_t code, const std::string& body) {
  SwfBits bits;
  if (body.size() < 63) {
    bits.U16(static_cast<uint16_t>((code << 6) | body.size()));
  } else {
    if (body.size() > 0x7FFFFFFF) throw std::runtime_error("A movie tag is too large");
    bits.U16(static_cast<uint16_t>((code << 6) | 0x3F));
    bits.U32(static_cast<uint32_t>(body.size()));
  }
  bits.Append(body);
  return bits.Take();
}

std::string DefineBitsLossless2(uint16_t id, const platform::TBitmap& bitmap) {
  const platform::TBitmap rgb = bitmap.IsMonochrome() ? bitmap.To24Bit() : platform::TBitmap();
  const platform::TBitmap& source = bitmap.IsMonochrome() ? rgb : bitmap;
  std::string argb;
  argb.reserve(static_cast<size_t>(source.Width()) * source.Height() * 4);
  for (int y = 0; y < source.Height(); ++y) {
    const uint8_t* row = source.Row(y);
    for (int x = 0; x < source.Width(); ++x, row += 3) {
      argb +=
          {'\xFF', static_cast<char>(row[2]), static_cast<char>(row[1]), static_cast<char>(row[0])};
    }
  }
  return DefineBitsLossless2(id, source.Width(), source.Height(), argb);
}

std::string DefineBitsLossless2(uint16_t id, int width, int height, const std::string& argb) {
  CheckBitmapSize(width, height);
  SwfBits bits;
  bits.U16(id);
  bits.U8(5);  // 32-bit ARGB
  bits.U16(static_cast<uint16_t>(width));
  bits.U16(static_cast<uint16_t>(height));
  bits.Append(pdf::Deflate(argb));
  return SwfTagBytes(kDefineBitsLossless2, bits.Take());
}

std::string DefineBitsJpeg2(uint16_t id, const std::string& jpeg) {
  SwfBits bits;
  bits.U16(id);
  bits.Append(jpeg);
  return SwfTagBytes(kDefineBitsJpeg2, bits.Take());
}

std::string DefineRectangleShape(uint16_t id, int32_t width, int32_t height, uint16_t bitmapId,
                                 double scale, platform::TColor color) {
  SwfBits bits;
  bits.U16(id);
  bits.Rect(0, width, 0, height);
  bits.U8(1);  // one fill style
  if (bitmapId != 0) {
    bits.U8(kFillClippedBitmap);
    bits.U16(bitmapId);
    bits.Matrix(scale, scale, 0, 0);
  } else {
    bits.U8(kFillSolid);
    bits.U8(platform::ColorRed(color));
    bits.U8(platform::ColorGreen(color));
    bits.U8(platform::ColorBlue(color));
  }
  bits.U8(0);       // no line styles
  bits.Bits(1, 4);  // fill style index bits
  bits.Bits(0, 4);  // line style index bits
  // Move to the origin with fill style 1 on the right-hand side, then go round.
  bits.Bits(0, 1);
  bits.Bits(0b00101, 5);  // new fill style 1 and a move
  bits.Bits(1, 5);        // a move of (0, 0)
  bits.SignedBits(0, 1);
  bits.SignedBits(0, 1);
  bits.Bits(1, 1);  // fill style 1
  StraightEdge(bits, width, 0);
  StraightEdge(bits, 0, height);
  StraightEdge(bits, -width, 0);
  StraightEdge(bits, 0, -height);
  bits.Bits(0, 6);  // end of shape
  return SwfTagBytes(kDefineShape, bits.Take());
}

std::string PlaceObject2(uint16_t depth, uint16_t characterId, int32_t x, int32_t y, bool replace) {
  SwfBits bits;
  bits.U8(replace ? 0x07 : 0x06);  // matrix, character, and move when replacing
  bits.U16(depth);
  bits.U16(characterId);
  bits.Matrix(1, 1, x, y);
  return SwfTagBytes(kPlaceObject2, bits.Take());
}

std::string DefineButton2(uint16_t id, uint16_t faceId, uint16_t hitId, int32_t x, int32_t y,
                          const std::vector<SwfButtonAction>& conditions) {
  SwfBits records;
  const auto record = [&](uint8_t states, uint16_t character, uint16_t depth) {
    records.U8(states);
    records.U16(character);
    records.U16(depth);
    records.Matrix(1, 1, x, y);
    records.U8(0);  // colour transform without terms
  };
  if (faceId != 0) record(0x07, faceId, 1);  // up, over and down
  record(0x08, hitId, 2);                    // hit area
  records.U8(0);

  SwfBits body;
  body.U16(id);
  body.U8(0);  // push button
  const std::string characters = records.Take();
  body.U16(conditions.empty() ? 0 : static_cast<uint16_t>(2 + characters.size()));
  body.Append(characters);
  for (size_t i = 0; i < conditions.size(); ++i) {
    const SwfButtonAction& condition = conditions[i];
    const std::string actions = condition.actions.Bytes();
    const bool last = i + 1 == conditions.size();
    body.U16(last ? 0 : static_cast<uint16_t>(4 + actions.size()));
    body.U8(condition.onRelease ? 0x08 : 0x00);  // over-down to over-up
    body.U8(static_cast<uint8_t>(condition.key << 1));
    body.Append(actions);
  }
  return SwfTagBytes(kDefineButton2, body.Take());
}

}  // namespace presentation
