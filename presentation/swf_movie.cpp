#include "presentation/swf_movie.h"

#include <stdexcept>

#include "pdf/jpeg_codec.h"
#include "presentation/swf_bits.h"
#include "presentation/swf_tags.h"

namespace presentation {

namespace {

constexpr int kSwfVersion = 8;
constexpr uint16_t kFrameRate = 12 << 8;  // 8.8 fixed; the movie stops on every frame anyway
constexpr uint16_t kSlideDepth = 1;
constexpr uint16_t kFirstNavigationDepth = 2;
constexpr int kButtonMargin = 8;  // pixels
// Ids above this are kept for the navigation, which is written last.
constexpr uint16_t kNavigationIds = 0xF000;

SwfActions Go(NavigationRole role, int frameCount) {
  SwfActions actions;
  switch (role) {
    case NavigationRole::kFirst:
      actions.GotoFrame(0);
      break;
    case NavigationRole::kPrevious:
      actions.Add(kActionPreviousFrame);
      break;
    case NavigationRole::kNext:
      actions.Add(kActionNextFrame);
      break;
    case NavigationRole::kLast:
      actions.GotoFrame(static_cast<uint16_t>(frameCount - 1));
      break;
  }
  return actions;
}

SwfButtonAction OnKey(uint8_t key, NavigationRole role, int frameCount) {
  return {key, false, Go(role, frameCount)};
}

}  // namespace

SwfMovieBuilder::SwfMovieBuilder(int stageWidth, int stageHeight, const SwfOptions& options,
                                 std::vector<NavigationTemplate> buttons)
    : stageWidth_(stageWidth),
      stageHeight_(stageHeight),
      options_(options),
      buttons_(std::move(buttons)) {
  if (stageWidth < 1 || stageHeight < 1 || stageWidth > 0xFFFF || stageHeight > 0xFFFF)
    throw std::runtime_error("A stage of " + std::to_string(stageWidth) + " x " +
                             std::to_string(stageHeight) + " pixels does not fit in a movie");
  if (!options_.navigationButtons) buttons_.clear();
}

uint16_t SwfMovieBuilder::NewId() {
  if (nextId_ >= kNavigationIds) throw std::runtime_error("Too many slides for one movie");
  return nextId_++;
}

void SwfMovieBuilder::AddSlide(const platform::TBitmap& slide) {
  if (slide.Width() > stageWidth_ || slide.Height() > stageHeight_)
    throw std::runtime_error("A slide is larger than the movie's stage");
  if (frames_ >= 0xFFFF) throw std::runtime_error("Too many slides for one movie");
  const uint16_t bitmapId = NewId();
  const uint16_t shapeId = NewId();
  if (options_.losslessSlides) {
    framesBytes_ += DefineBitsLossless2(bitmapId, slide);
  } else {
    framesBytes_ += DefineBitsJpeg2(bitmapId, pdf::EncodeJpeg(slide, options_.imageQuality));
  }
  framesBytes_ += DefineRectangleShape(shapeId, slide.Width() * kTwipsPerPixel,
                                        slide.Height() * kTwipsPerPixel, bitmapId, kTwipsPerPixel);
  const int32_t x = (stageWidth_ - slide.Width()) / 2 * kTwipsPerPixel;
  const int32_t y = (stageHeight_ - slide.Height()) / 2 * kTwipsPerPixel;
  framesBytes_ += PlaceObject2(kSlideDepth, shapeId, x, y, frames_ > 0);
  framesBytes_ += SwfTagBytes(kDoAction, SwfActions().Add(kActionStop).Bytes());
  framesBytes_ += SwfTagBytes(kShowFrame, {});
  ++frames_;
}

// Buttons placed in the first frame stay for the whole movie. The two
// invisible click areas cover the stage; the keys belong to one of them only,
// so that a key press pages once.
std::string SwfMovieBuilder::Navigation(uint16_t& nextId) const {
  std::string tags;
  uint16_t depth = kFirstNavigationDepth;
  const int32_t width = stageWidth_ * kTwipsPerPixel;
  const int32_t height = stageHeight_ * kTwipsPerPixel;
  const int32_t backWidth = width / 4;

  const auto area = [&](int32_t x, int32_t areaWidth, std::vector<SwfButtonAction> conditions) {
    const uint16_t hitId = nextId++;
    const uint16_t buttonId = nextId++;
    tags += DefineRectangleShape(hitId, areaWidth, height, 0, 1);
    tags += DefineButton2(buttonId, 0, hitId, 0, 0, conditions);
    tags += PlaceObject2(depth++, buttonId, x, 0, false);
  };
  area(0, backWidth, {{0, true, Go(NavigationRole::kPrevious, frames_)}});
  area(backWidth, width - backWidth,
       {{0, true, Go(NavigationRole::kNext, frames_)},
        OnKey(kKeyRight, NavigationRole::kNext, frames_),
        OnKey(kKeyDown, NavigationRole::kNext, frames_),
        OnKey(kKeyPageDown, NavigationRole::kNext, frames_),
        OnKey(kKeySpace, NavigationRole::kNext, frames_),
        OnKey(kKeyLeft, NavigationRole::kPrevious, frames_),
        OnKey(kKeyUp, NavigationRole::kPrevious, frames_),
        OnKey(kKeyPageUp, NavigationRole::kPrevious, frames_),
        OnKey(kKeyHome, NavigationRole::kFirst, frames_),
        OnKey(kKeyEnd, NavigationRole::kLast, frames_)});

  // The picture buttons, right to left from the bottom right corner.
  int32_t right = width - kButtonMargin * kTwipsPerPixel;
  for (auto it = buttons_.rbegin(); it != buttons_.rend(); ++it) {
    const int32_t w = it->width * kTwipsPerPixel;
    const int32_t h = it->height * kTwipsPerPixel;
    const int32_t x = right - w;
    const int32_t y = height - kButtonMargin * kTwipsPerPixel - h;
    if (x < 0 || y < 0) break;  // no room left on a small stage
    const uint16_t bitmapId = nextId++;
    const uint16_t faceId = nextId++;
    const uint16_t buttonId = nextId++;
    tags += DefineBitsLossless2(bitmapId, it->width, it->height, it->argb);
    tags += DefineRectangleShape(faceId, w, h, bitmapId, kTwipsPerPixel);
    tags += DefineButton2(buttonId, faceId, faceId, 0, 0, {{0, true, Go(it->role, frames_)}});
    tags += PlaceObject2(depth++, buttonId, x, y, false);
    right = x - kButtonMargin * kTwipsPerPixel;
  }
  return tags;
}

std::string SwfMovieBuilder::Finish() const {
  if (frames_ == 0) throw std::runtime_error("A movie needs at least one slide");
  uint16_t navigationId = kNavigationIds;
  std::string body;
  body += SwfTagBytes(kFileAttributes, std::string(4, '\0'));  // AVM1, no network access
  body += SwfTagBytes(kSetBackgroundColor, std::string(3, '\xFF'));
  body += Navigation(navigationId);
  body += framesBytes_;
  body += SwfTagBytes(kEnd, {});

  SwfBits header;
  header.Rect(0, stageWidth_ * kTwipsPerPixel, 0, stageHeight_ * kTwipsPerPixel);
  header.U16(kFrameRate);
  header.U16(static_cast<uint16_t>(frames_));
  const std::string rest = header.Take();

  SwfBits file;
  file.Append("FWS");
  file.U8(kSwfVersion);
  const uint64_t length = 8 + rest.size() + body.size();
  if (length > 0xFFFFFFFFu) throw std::runtime_error("The movie is larger than 4 GiB");
  file.U32(static_cast<uint32_t>(length));
  file.Append(rest);
  file.Append(body);
  return file.Take();
}

}  // namespace presentation
