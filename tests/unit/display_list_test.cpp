// The page so far as a display list, and the pre-scan that tells which
// pictures need the raster compositor.
#include "emf2pdf/display_list.h"

#include <gtest/gtest.h>

#include "emf2pdf/emf_reader.h"
#include "emf2pdf/raster_prescan.h"
#include "support/emf_builder.h"
#include "support/recording_device.h"
#include "support/temp_folder.h"

namespace {

using emfbuild::EmfBuilder;
using emfbuild::Rgb;
using emw_test::RecordingDevice;

constexpr uint32_t kNullPen = 0x80000008;

void SetRop2(EmfBuilder& b, uint32_t mode) {
  std::vector<uint8_t> p;
  emfbuild::PutU32(p, mode);
  b.record(20, p);
}

// A clip, a hatched fill, a line and a bitmap in the upper left corner.
EmfBuilder Drawing() {
  EmfBuilder b(200, 200);
  b.intersectClipRect({0, 0, 150, 150});
  b.createBrushIndirect(1, 2, Rgb(0, 0, 255), 3).selectObject(1).rectangle({10, 10, 60, 60});
  b.createPen(2, 0, 4, Rgb(200, 0, 0)).selectObject(2).polyline({{5, 70}, {60, 70}});
  const emfbuild::Dib dib = emfbuild::Dib24(2, 1, {Rgb(255, 0, 0), Rgb(0, 0, 255)});
  b.stretchDIBits({10, 80, 49, 99}, {10, 80}, 40, 20, {0, 0}, 2, 1, 0x00CC0020, dib);
  return b;
}

TEST(DisplayList, replaysWhatItHandedOn_andLeavesOutDrawingsFarFromTheArea) {
  RecordingDevice direct;
  emf2pdf::DisplayListDevice list(direct);
  emw_test::PlayOnDevice(Drawing().bytes(), list);

  RecordingDevice replayed;
  list.Replay(replayed);
  EXPECT_EQ(replayed.calls, direct.calls);
  ASSERT_EQ(replayed.images.size(), 1u);
  EXPECT_EQ(replayed.images[0].pixels->Pixel(1, 0), direct.images[0].pixels->Pixel(1, 0));
  ASSERT_EQ(replayed.patterns.size(), direct.patterns.size());

  // Page pixels are 3/4 of the picture's: the line lies near y 52.
  const emf2pdf::PageBox nearLine{0, 50, 50, 54};
  RecordingDevice culled;
  list.Replay(culled, {&nearLine, 1});
  EXPECT_LT(culled.calls.size(), direct.calls.size());
  EXPECT_EQ(culled.images.size(), 0u);
  EXPECT_EQ(culled.patterns.size(), 0u);
  EXPECT_EQ(std::count(culled.calls.begin(), culled.calls.end(), "begin"), 1);
  EXPECT_EQ(std::count(culled.calls.begin(), culled.calls.end(), "end"), 1);
  EXPECT_GE(culled.calls.size(), 3u);  // the line is kept
}

bool NeedsCompositor(const EmfBuilder& picture) {
  testing_support::TempFolder folder;
  picture.writeFile(folder.file("p.emf"));
  return emf2pdf::PagesNeedRasterCompositor({folder.file("p.emf")});
}

// Only operations that blend modes cannot draw exactly send a page to the
// compositor: XOR of a pure colour is the Difference mode, of a mixed one
// it is not; a copy of a source never needs it, AND with a source does.
TEST(RasterPrescan, onlyWhatBlendModesCannotDrawNeedsTheCompositor) {
  EmfBuilder plain = Drawing();
  EXPECT_FALSE(NeedsCompositor(plain));

  auto xorFill = [](uint32_t color) {
    EmfBuilder b(200, 200);
    b.selectObject(kNullPen).createBrushIndirect(1, 0, color).selectObject(1);
    SetRop2(b, 7);
    b.rectangle({10, 10, 100, 100});
    return b;
  };
  EXPECT_FALSE(NeedsCompositor(xorFill(Rgb(255, 0, 255))));
  EXPECT_TRUE(NeedsCompositor(xorFill(Rgb(64, 160, 224))));

  EmfBuilder masked(200, 200);
  const emfbuild::Dib dib = emfbuild::Dib24(2, 1, {Rgb(255, 255, 255), Rgb(0, 0, 255)});
  masked.stretchDIBits({10, 10, 49, 29}, {10, 10}, 40, 20, {0, 0}, 2, 1, 0x008800C6, dib);
  EXPECT_TRUE(NeedsCompositor(masked));

  // A blt whose result is the destination, with a source or without, draws
  // nothing (a chart program ends its pages with one over the whole page).
  EmfBuilder keeps(200, 200);
  keeps.bitBlt({0, 0, 199, 199}, {0, 0}, 200, 200, 0x00AA0029, {0, 0}, nullptr);
  keeps.stretchDIBits({10, 10, 49, 29}, {10, 10}, 40, 20, {0, 0}, 2, 1, 0x00AA0029, dib);
  EXPECT_FALSE(NeedsCompositor(keeps));

  EXPECT_FALSE(NeedsCompositor(EmfBuilder(200, 200)));
  EXPECT_FALSE(emf2pdf::PagesNeedRasterCompositor({emf2pdf::PageSource("/nonexistent/page.emf")}));
}

}  // namespace
