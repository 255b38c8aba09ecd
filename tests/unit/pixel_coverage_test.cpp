// Pixels found without the rasterizer: a blt's rectangle under a clip of
// rectangles lights the pixels whose centres it holds, each once.
#include <gtest/gtest.h>

#include "emf2pdf/pixel_coverage.h"

namespace {

using emf2pdf::PixelRun;

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
  emf2pdf::DevicePath figure;
  figure.MoveTo(3.7, 2);
  figure.LineTo(1.2, 2);
  figure.LineTo(1.2, 0);
  figure.LineTo(3.7, 0);
  figure.Close();
  const auto doubled = emf2pdf::RectanglePixels(figure, emf2pdf::ClipState(), 2, area);
  ASSERT_TRUE(doubled);
  EXPECT_EQ(doubled->size(), 4u);  // rows 0-3, within the area's 4
  EXPECT_EQ(doubled->front(), (PixelRun{0, 2, 7}));

  // A turned figure is left to the rasterizer, and so is a path clip.
  emf2pdf::DevicePath turned;
  turned.MoveTo(2, 0);
  turned.LineTo(4, 2);
  turned.LineTo(2, 4);
  turned.LineTo(0, 2);
  turned.Close();
  EXPECT_FALSE(emf2pdf::RectanglePixels(turned, emf2pdf::ClipState(), 1, area));
  clip.paths.push_back({});
  EXPECT_FALSE(emf2pdf::RectanglePixels(rectangle, clip, 1, area));
}

}  // namespace
