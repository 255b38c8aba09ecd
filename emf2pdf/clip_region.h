#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "emf2pdf/device_path.h"

namespace emf2pdf {

// A rectangle in page pixels, left < right and top < bottom.
struct ClipRect {
  double left = 0, top = 0, right = 0, bottom = 0;
};

// GDI's region combinations (RGN_AND ... RGN_COPY).
enum class RegionMode : uint32_t { kAnd = 1, kOr = 2, kXor = 3, kDiff = 4, kCopy = 5 };

// A set of page pixels as disjoint rectangles in bands, the way GDI keeps
// its regions; combined exactly.
using RectSet = std::vector<ClipRect>;
RectSet Combine(const RectSet& a, const RectSet& b, RegionMode mode);
// Rectangles as the record gives them (any order, overlapping or not) as a set.
RectSet Normalized(const std::vector<ClipRect>& rects);

// The clip of a device context: everything, or a region intersected with
// clip paths. Saved and restored with the context; `serial` tells whether
// the device shows this very clip.
struct ClipState {
  struct PathClip {
    std::shared_ptr<const DevicePath> path;
    bool evenOdd = false;
    bool outside = false;  // keeps what lies outside the path
  };
  bool whole = true;  // no clip at all
  bool hasRegion = false;
  RectSet region;  // when hasRegion
  std::vector<PathClip> paths;
  uint64_t serial = 0;
};

}  // namespace emf2pdf
