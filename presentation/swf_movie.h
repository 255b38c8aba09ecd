#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/bitmap.h"
#include "presentation/navigation_templates.h"
#include "presentation/swf_options.h"

namespace presentation {

// Builds a movie of slides: the stage has the first slide's size, every
// frame shows one slide centred on a white stage and stops there. Paging:
// a click goes to the next slide (a click on the left quarter of the stage
// to the previous one), Right, Down, Page Down and Space go forward, Left,
// Up and Page Up back, Home and End to the first and last slide; the
// navigation buttons, when given, sit in the bottom right corner.
class SwfMovieBuilder {
 public:
  SwfMovieBuilder(int stageWidth, int stageHeight, const SwfOptions& options,
                  std::vector<NavigationTemplate> buttons);

  // Slides larger than the stage are refused; smaller ones are centred.
  void AddSlide(const platform::TBitmap& slide);
  int SlideCount() const { return frames_; }

  // The whole SWF file.
  std::string Finish() const;

  static constexpr int kTwipsPerPixel = 20;

 private:
  uint16_t NewId();
  std::string Navigation(uint16_t& nextId) const;

  int stageWidth_;
  int stageHeight_;
  SwfOptions options_;
  std::vector<NavigationTemplate> buttons_;
  std::string framesBytes_;
  int frames_ = 0;
  uint16_t nextId_ = 1;
};

}  // namespace presentation
