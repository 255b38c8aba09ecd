#include "presentation/swf_movie.h"

#include <stdexcept>
#include <utility>

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
// The length field of the header, written last.
constexpr uint64_t kLengthOffset = 4;
constexpr uint64_t kMaxLength = 0xFFFFFFFF;

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

std::string LengthField(uint64_t length) {
  SwfBits bits;
  bits.U32(static_cast<uint32_t>(length));
  return bits.Take();
}

}  // namespace

void CheckSlideCount(size_t slides) {
  if (slides > static_cast<size_t>(kMaxSlides))
    throw std::runtime_error("Too many slides for one movie: the job has " +
                             std::to_string(slides) + " pages and a movie holds at most " +
                             std::to_string(kMaxSlides));
}

SwfMovieWriter::SwfMovieWriter(SwfSink& sink, int stageWidth, int stageHeight, int slideCount,
                               const SwfOptions& options, std::vector<NavigationTemplate> buttons)
    : sink_(sink),
      start_(sink.Size()),
      stageWidth_(stageWidth),
      stageHeight_(stageHeight),
      slideCount_(slideCount),
      options_(options),
      buttons_(std::move(buttons)) {
  if (stageWidth < 1 || stageHeight < 1 || stageWidth > 0xFFFF || stageHeight > 0xFFFF)
    throw std::runtime_error("A stage of " + std::to_string(stageWidth) + " x " +
                             std::to_string(stageHeight) + " pixels does not fit in a movie");
  if (slideCount < 1) throw std::runtime_error("A movie needs at least one slide");
  CheckSlideCount(static_cast<size_t>(slideCount));
  if (!options_.navigationButtons) buttons_.clear();

  SwfBits header;
  header.Append("FWS");
  header.U8(kSwfVersion);
  header.U32(0);  // the length, once known
  header.Rect(0, stageWidth_ * kTwipsPerPixel, 0, stageHeight_ * kTwipsPerPixel);
  header.U16(kFrameRate);
  header.U16(static_cast<uint16_t>(slideCount_));
  Append(header.Take());
  Append(SwfTagBytes(kFileAttributes, std::string(4, '\0')));  // AVM1, no network access
  Append(SwfTagBytes(kSetBackgroundColor, std::string(3, '\xFF')));
  Append(Navigation());
}

void SwfMovieWriter::Append(const std::string& bytes) {
  if (sink_.Size() - start_ + bytes.size() > kMaxLength)
    throw std::runtime_error("The movie is larger than 4 GiB");
  sink_.Append(bytes);
}

// Each slide takes two identifiers, its bitmap's and its shape's, in order.
SwfMovieWriter::SlidePicture SwfMovieWriter::EncodeSlide(const platform::TBitmap& picture,
                                                         int slide, const SwfOptions& options) {
  const auto bitmapId = static_cast<uint16_t>(1 + kIdsPerSlide * slide);
  return {slide, picture.Width(), picture.Height(),
          options.losslessSlides
              ? DefineBitsLossless2(bitmapId, picture)
              : DefineBitsJpeg2(bitmapId, pdf::EncodeJpeg(picture, options.imageQuality))};
}

void SwfMovieWriter::AddSlide(const platform::TBitmap& slide) {
  AddSlide(EncodeSlide(slide, frames_, options_));
}

void SwfMovieWriter::AddSlide(const SlidePicture& picture) {
  if (picture.width > stageWidth_ || picture.height > stageHeight_)
    throw std::runtime_error("A slide is larger than the movie's stage");
  if (frames_ >= slideCount_) throw std::runtime_error("More slides than the movie announced");
  if (picture.slide != frames_) throw std::logic_error("Slides added out of order");
  const auto shapeId = static_cast<uint16_t>(2 + kIdsPerSlide * frames_);
  const auto bitmapId = static_cast<uint16_t>(shapeId - 1);
  Append(picture.tag);
  Append(DefineRectangleShape(shapeId, picture.width * kTwipsPerPixel,
                              picture.height * kTwipsPerPixel, bitmapId, kTwipsPerPixel));
  const int32_t x = (stageWidth_ - picture.width) / 2 * kTwipsPerPixel;
  const int32_t y = (stageHeight_ - picture.height) / 2 * kTwipsPerPixel;
  Append(PlaceObject2(kSlideDepth, shapeId, x, y, frames_ > 0));
  Append(SwfTagBytes(kDoAction, SwfActions().Add(kActionStop).Bytes()));
  Append(SwfTagBytes(kShowFrame, {}));
  ++frames_;
}

// Buttons placed in the first frame stay for the whole movie. The two
// invisible click areas cover the stage; the keys belong to one of them only,
// so that a key press pages once.
std::string SwfMovieWriter::Navigation() const {
  std::string tags;
  uint16_t nextId = kNavigationIds;
  uint16_t depth = kFirstNavigationDepth;
  const int frames = slideCount_;
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
  area(0, backWidth, {{0, true, Go(NavigationRole::kPrevious, frames)}});
  area(backWidth, width - backWidth,
       {{0, true, Go(NavigationRole::kNext, frames)},
        OnKey(kKeyRight, NavigationRole::kNext, frames),
        OnKey(kKeyDown, NavigationRole::kNext, frames),
        OnKey(kKeyPageDown, NavigationRole::kNext, frames),
        OnKey(kKeySpace, NavigationRole::kNext, frames),
        OnKey(kKeyLeft, NavigationRole::kPrevious, frames),
        OnKey(kKeyUp, NavigationRole::kPrevious, frames),
        OnKey(kKeyPageUp, NavigationRole::kPrevious, frames),
        OnKey(kKeyHome, NavigationRole::kFirst, frames),
        OnKey(kKeyEnd, NavigationRole::kLast, frames)});

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
    tags += DefineButton2(buttonId, faceId, faceId, 0, 0, {{0, true, Go(it->role, frames)}});
    tags += PlaceObject2(depth++, buttonId, x, y, false);
    right = x - kButtonMargin * kTwipsPerPixel;
  }
  return tags;
}

void SwfMovieWriter::Finish() {
  if (frames_ != slideCount_)
    throw std::runtime_error("The movie has " + std::to_string(frames_) + " of its " +
                             std::to_string(slideCount_) + " slides");
  Append(SwfTagBytes(kEnd, {}));
  sink_.Overwrite(start_ + kLengthOffset, LengthField(sink_.Size() - start_));
}

}  // namespace presentation
