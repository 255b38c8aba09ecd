#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/bitmap.h"
#include "presentation/navigation_templates.h"
#include "presentation/swf_options.h"

namespace presentation {

// Character ids from this one up are the navigation's; each slide takes two
// below it (its bitmap and its shape).
inline constexpr uint16_t kNavigationIds = 0xF000;
inline constexpr int kIdsPerSlide = 2;
// The most slides one movie holds: the ids below the navigation's, and the
// 16-bit frame count of the header.
inline constexpr int kMaxSlides = std::min((kNavigationIds - 1) / kIdsPerSlide, 0xFFFF);

// Throws "Too many slides for one movie" with the count and the limit when
// `slides` is above it.
void CheckSlideCount(size_t slides);

// Where a movie goes while it is made: bytes are appended, and the header's
// length is written over its placeholder once the end is known.
class SwfSink {
 public:
  virtual ~SwfSink() = default;
  virtual void Append(std::string_view bytes) = 0;
  virtual void Overwrite(uint64_t offset, std::string_view bytes) = 0;
  // Bytes appended so far.
  virtual uint64_t Size() const = 0;
};

// The movie in memory, for small ones.
class StringSwfSink : public SwfSink {
 public:
  void Append(std::string_view bytes) override { bytes_ += bytes; }
  void Overwrite(uint64_t offset, std::string_view bytes) override {
    bytes_.replace(offset, bytes.size(), bytes);
  }
  uint64_t Size() const override { return bytes_.size(); }
  const std::string& Bytes() const { return bytes_; }
  std::string Take() { return std::move(bytes_); }

 private:
  std::string bytes_;
};

// Writes a movie of slides as they come, holding none of them: the stage has
// the first slide's size, every frame shows one slide centred on a white
// stage and stops there. Paging: a click goes to the next slide (a click on
// the left quarter of the stage to the previous one), Right, Down, Page Down
// and Space go forward, Left, Up and Page Up back, Home and End to the first
// and last slide; the navigation buttons, when given, sit in the bottom right
// corner. The number of slides is fixed up front because the header and the
// "last slide" actions, written first, hold it.
class SwfMovieWriter {
 public:
  // Writes the header and the navigation.
  SwfMovieWriter(SwfSink& sink, int stageWidth, int stageHeight, int slideCount,
                 const SwfOptions& options, std::vector<NavigationTemplate> buttons);

  // A slide's picture as its tag, made apart from the movie (on the work
  // pool) for the slide of index `slide` (from 0), to be added in order.
  struct SlidePicture {
    int slide = 0;
    int width = 0, height = 0;
    std::string tag;
  };
  static SlidePicture EncodeSlide(const platform::TBitmap& picture, int slide,
                                  const SwfOptions& options);

  // Slides larger than the stage are refused; smaller ones are centred.
  void AddSlide(const platform::TBitmap& slide);
  void AddSlide(const SlidePicture& picture);

  // Ends the movie and writes its length into the header; throws unless
  // every slide announced was added.
  void Finish();

  static constexpr int kTwipsPerPixel = 20;

 private:
  void Append(const std::string& bytes);
  std::string Navigation() const;

  SwfSink& sink_;
  uint64_t start_;
  int stageWidth_;
  int stageHeight_;
  int slideCount_;
  SwfOptions options_;
  std::vector<NavigationTemplate> buttons_;
  int frames_ = 0;
};

}  // namespace presentation
