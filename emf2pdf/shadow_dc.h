#pragma once

#include <cstdint>
#include <vector>

#include "emf2pdf/clip_region.h"
#include "emf2pdf/emf_types.h"
#include "emf2pdf/emw_objects.h"

namespace emf2pdf {

// The stand-in for a device context that records are also applied to: the
// values that a save keeps and a restore gives back, and its save stack.
class ShadowDC {
 public:
  struct Values {
    uint32_t mapMode = 1;  // MM_TEXT
    SizeL windowExt{1, 1};
    PointL windowOrg;
    SizeL viewportExt{1, 1};
    PointL viewportOrg;
    uint32_t bkMode = 2;  // OPAQUE
    uint32_t textColor = 0;
    uint32_t bkColor = 0xFFFFFF;
    uint32_t polyFillMode = 1;  // ALTERNATE
    uint32_t stretchBltMode = 1;
    uint32_t textAlign = 0;
    uint32_t arcDirection = 1;  // AD_COUNTERCLOCKWISE
    uint32_t rop2 = 13;         // R2_COPYPEN
    EmwObject pen;
    EmwObject brush;
    EmwObject font;
    ClipState clip;
  };

  // Deeper nesting than this is refused; no real picture comes near it, and
  // a file of nothing but saves must not grow without bound.
  static constexpr size_t kMaxDepth = 1024;

  ShadowDC();

  Values& Current() { return current_; }
  const Values& Current() const { return current_; }
  size_t Depth() const { return saved_.size(); }

  // False when the nesting limit is reached.
  bool Save();
  // As the platform restores: a negative number counts back from the
  // current depth, a positive one names a save (1 = the first); anything
  // else restores nothing and returns false.
  bool Restore(int32_t iRelative);

 private:
  Values current_;
  std::vector<Values> saved_;
};

}  // namespace emf2pdf
