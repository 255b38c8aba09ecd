#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/bitmap.h"

namespace presentation {

// Tag codes of the SWF format.
enum SwfTag : uint16_t {
  kEnd = 0,
  kShowFrame = 1,
  kDefineShape = 2,
  kSetBackgroundColor = 9,
  kDoAction = 12,
  kDefineBitsJpeg2 = 21,
  kPlaceObject2 = 26,
  kDefineButton2 = 34,
  kDefineBitsLossless2 = 36,
  kFileAttributes = 69,
};

// AVM1 action codes.
enum SwfAction : uint8_t {
  kActionNextFrame = 0x04,
  kActionPreviousFrame = 0x05,
  kActionStop = 0x07,
  kActionGotoFrame = 0x81,
};

// A sequence of AVM1 actions, ended by the end-of-actions byte on Bytes().
class SwfActions {
 public:
  SwfActions& Add(SwfAction action);
  SwfActions& GotoFrame(uint16_t frameIndex);
  std::string Bytes() const { return bytes_ + '\0'; }

 private:
  std::string bytes_;
};

// Key codes of button key-press conditions.
enum SwfKey : uint8_t {
  kKeyLeft = 1,
  kKeyRight = 2,
  kKeyHome = 3,
  kKeyEnd = 4,
  kKeyUp = 14,
  kKeyDown = 15,
  kKeyPageUp = 16,
  kKeyPageDown = 17,
  kKeySpace = 32,
};

// One condition of a button: a key (0 for none), or the release of the mouse
// over the button, with the actions that follow.
struct SwfButtonAction {
  uint8_t key = 0;
  bool onRelease = false;
  SwfActions actions;
};

// A tag with its header (short form below 63 bytes of body).
std::string SwfTagBytes(uint16_t code, const std::string& body);

// A 24-bit bitmap as an opaque DefineBitsLossless2 (32-bit ARGB, zlib).
std::string DefineBitsLossless2(uint16_t id, const platform::TBitmap& bitmap);
// Premultiplied ARGB pixels, four bytes each, top-down.
std::string DefineBitsLossless2(uint16_t id, int width, int height, const std::string& argb);
// JPEG data as DefineBitsJPEG2.
std::string DefineBitsJpeg2(uint16_t id, const std::string& jpeg);

// A rectangle of `width` x `height` twips at the origin, filled with a
// bitmap scaled by `scale` twips per pixel, or with a solid colour when
// `bitmapId` is 0.
std::string DefineRectangleShape(uint16_t id, int32_t width, int32_t height, uint16_t bitmapId,
                                 double scale, platform::TColor color = 0);

// PlaceObject2 of a character at a depth and position; `replace` swaps the
// character already at that depth.
std::string PlaceObject2(uint16_t depth, uint16_t characterId, int32_t x, int32_t y, bool replace);

// DefineButton2 whose up and over states show `faceId` (0: an invisible
// button) and whose hit area is `hitId`, both placed at `x`, `y`.
std::string DefineButton2(uint16_t id, uint16_t faceId, uint16_t hitId, int32_t x, int32_t y,
                          const std::vector<SwfButtonAction>& conditions);

}  // namespace presentation
