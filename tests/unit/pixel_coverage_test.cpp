// Pixels found without the rasterizer: a blt's rectangle under a clip of
// rectangles lights the pixels whose centres it holds, each once.
#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

#include "emf2pdf/pixel_coverage.h"

namespace {

using emf2pdf::PixelRun;

// A closed figure through `corners`.
emf2pdf::DevicePath Figure(std::initializer_list<std::pair<double, double>> corners) {
  emf2pdf::DevicePath path;
  for (const auto& [x, y] : corners) {
    if (path.Elements().empty())
      path.MoveTo(x, y);
    else
      path.LineTo(x, y);
  }
  path.Close();
  return path;
}

TEST(PixelCoverage, rectanglesLightTheCentresTheyHoldUnderRectangleClips) {
  const emf2pdf::RasterArea area{0, 0, 8, 4};
  emf2pdf::DevicePath rectangle;
  rectangle.Rectangle(1.2, 0, 3.7, 2);
  emf2pdf::ClipState clip;
  const auto whole = emf2pdf::RectanglePixels(rectangle, clip, 1, area);
  ASSERT_TRUE(whole);
  EXPECT_EQ(*whole, (std::vector<PixelRun>{{0, 1, 4}, {1, 1, 4}}));

  // Two touching clip rectangles: row 0 in one run, row 1 only left of x 2.
  clip.whole = false;
  clip.hasRegion = true;
  clip.region = {{0, 0, 2, 4}, {2, 0, 8, 1}};
  const auto clipped = emf2pdf::RectanglePixels(rectangle, clip, 1, area);
  ASSERT_TRUE(clipped);
  EXPECT_EQ(*clipped, (std::vector<PixelRun>{{0, 1, 4}, {1, 1, 2}}));

  // The same corners as a figure; at twice the raster's resolution.
  const emf2pdf::DevicePath figure = Figure({{3.7, 2}, {1.2, 2}, {1.2, 0}, {3.7, 0}});
  const auto doubled = emf2pdf::RectanglePixels(figure, emf2pdf::ClipState(), 2, area);
  ASSERT_TRUE(doubled);
  EXPECT_EQ(doubled->size(), 4u);  // rows 0-3, within the area's 4
  EXPECT_EQ(doubled->front(), (PixelRun{0, 2, 7}));

  // A turned figure is left to the rasterizer, and so is a path clip.
  const emf2pdf::DevicePath turned = Figure({{2, 0}, {4, 2}, {2, 4}, {0, 2}});
  EXPECT_FALSE(emf2pdf::RectanglePixels(turned, emf2pdf::ClipState(), 1, area));
  clip.paths.push_back({});
  EXPECT_FALSE(emf2pdf::RectanglePixels(rectangle, clip, 1, area));
}

}  // namespace
