// Region combinations as GDI makes them, on two overlapping squares.
#include <gtest/gtest.h>

#include "emf2pdf/clip_region.h"

namespace {

using emf2pdf::ClipRect;
using emf2pdf::RectSet;
using emf2pdf::RegionMode;

double Area(const RectSet& set) {
  double area = 0;
  for (const ClipRect& r : set) area += (r.right - r.left) * (r.bottom - r.top);
  return area;
}

TEST(ClipRegion, combinations_coverTheirAreaWithDisjointRectangles) {
  const RectSet a{{0, 0, 10, 10}}, b{{5, 5, 15, 15}};
  const struct {
    RegionMode mode;
    double area;
    size_t rects;
  } kCases[] = {
      {RegionMode::kAnd, 25, 1},  {RegionMode::kOr, 175, 3},   {RegionMode::kXor, 150, 4},
      {RegionMode::kDiff, 75, 2}, {RegionMode::kCopy, 100, 1},
  };
  for (const auto& c : kCases) {
    const RectSet out = emf2pdf::Combine(a, b, c.mode);
    EXPECT_DOUBLE_EQ(Area(out), c.area) << static_cast<int>(c.mode);
    EXPECT_EQ(out.size(), c.rects) << static_cast<int>(c.mode);
  }
  EXPECT_TRUE(emf2pdf::Combine(a, {{10, 0, 20, 10}}, RegionMode::kAnd).empty());
}

TEST(ClipRegion, overlappingRecordRectangles_becomeOneSet) {
  const RectSet set = emf2pdf::Normalized({{0, 0, 10, 10}, {10, 10, 0, 0}, {5, 0, 20, 10}});
  EXPECT_DOUBLE_EQ(Area(set), 200);
  EXPECT_EQ(set.size(), 1u);
}

}  // namespace
