// The seam between the interpreter and its drawing device: what a device is
// handed (drawing, not PDF), and the clip nesting every device is held to.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emf2pdf/emf_records.h"
#include "support/emf_builder.h"
#include "support/recording_device.h"

namespace {

using emfbuild::Dib;
using emfbuild::EmfBuilder;
using emw_test::RecordingDevice;
using Calls = std::vector<std::string>;

constexpr uint32_t kRed = emfbuild::Rgb(255, 0, 0);
constexpr uint32_t kBlue = emfbuild::Rgb(0, 0, 255);
constexpr uint32_t kWhite = emfbuild::Rgb(255, 255, 255);
constexpr uint32_t kBlack = 0;
constexpr uint32_t kSrcCopy = 0x00CC0020;
constexpr uint32_t kSrcAnd = 0x008800C6;
constexpr uint32_t kSrcPaint = 0x00EE0086;

emf2pdf::DevicePath Box() {
  emf2pdf::DevicePath path;
  path.Rectangle(0, 0, 10, 10);
  return path;
}

TEST(DrawingDevice, endPopsWhatIsPushed_andAStrayPopIsRefused) {
  RecordingDevice device;
  device.Begin({});
  device.PushClip(Box());
  device.PushClip(Box());
  device.PopClip();
  device.PushClip(Box());
  device.End();
  EXPECT_EQ(device.calls, (Calls{"begin", "push", "push", "pop", "push", "pop", "pop", "end"}));
  EXPECT_EQ(device.PushedClips(), 0);
  EXPECT_DEBUG_DEATH(device.PopClip(), "PopClip without PushClip");
  EXPECT_EQ(device.calls.back(), "end");
#ifdef NDEBUG
  EXPECT_EQ(device.StrayPops(), 1);
#endif
}

// Clips a text record pushes are popped again, and a picture leaves its
// device balanced: as many pops as pushes, all before End.
TEST(EmwDevice, aPictureLeavesItsDeviceBalanced) {
  EmfBuilder page(100, 100);
  page.createBrushIndirect(1, 0, kRed).selectObject(1).rectangle({0, 0, 50, 50});
  // A gradient over a rectangle pushes the rectangle as its clip.
  std::vector<uint8_t> gradient;
  emfbuild::PutRect(gradient, {0, 0, 20, 20});
  for (uint32_t v : {2u, 1u, 0u})
    emfbuild::PutU32(gradient, v);  // nVer, nTri, GRADIENT_FILL_RECT_H
  for (int32_t corner : {0, 20}) {
    emfbuild::PutI32(gradient, corner);
    emfbuild::PutI32(gradient, corner);
    for (int i = 0; i < 4; ++i) emfbuild::PutU16(gradient, corner ? 0xFF00 : 0);
  }
  emfbuild::PutU32(gradient, 0);
  emfbuild::PutU32(gradient, 1);
  page.record(emf2pdf::emr::EMR_GRADIENTFILL, gradient);
  RecordingDevice device;
  emw_test::PlayOnDevice(page.bytes(), device);
  const auto count = [&](const char* call) {
    return std::count(device.calls.begin(), device.calls.end(), call);
  };
  EXPECT_GE(count("push"), 1);
  EXPECT_EQ(count("push"), count("pop"));
  EXPECT_EQ(device.calls.front(), "begin");
  EXPECT_EQ(device.calls.back(), "end");
  EXPECT_EQ(device.PushedClips(), 0);
  EXPECT_EQ(device.StrayPops(), 0);
}

// Bitmaps reach the device as their pixels: a mask and its picture as the
// picture with the mask as its stencil, a translucent source with its alpha.
TEST(EmwDevice, bitmapsReachTheDeviceAsPixels) {
  const Dib mask = emfbuild::Dib1(2, 1, {false, true}, kBlack, kWhite);
  const Dib picture = emfbuild::Dib24(2, 1, {kRed, kBlack});
  const Dib translucent = emfbuild::Dib32(2, 1, {emfbuild::Rgb(128, 0, 0), kBlue}, {128, 255});
  EmfBuilder page(100, 100);
  page.stretchDIBits({0, 0, 19, 9}, {0, 0}, 20, 10, {0, 0}, 2, 1, kSrcAnd, mask)
      .stretchDIBits({0, 0, 19, 9}, {0, 0}, 20, 10, {0, 0}, 2, 1, kSrcPaint, picture)
      .alphaBlend({0, 20, 19, 29}, {0, 20}, 20, 10, 0x01800000, {0, 0}, 2, 1, &translucent);
  RecordingDevice device;
  emw_test::PlayOnDevice(page.bytes(), device);
  ASSERT_EQ(device.images.size(), 2u);
  const RecordingDevice::Image& masked = device.images[0];
  ASSERT_TRUE(masked.pixels.has_value());
  EXPECT_EQ(masked.pixels->Pixel(0, 0), platform::MakeColor(255, 0, 0));
  ASSERT_TRUE(masked.stencil.has_value());
  EXPECT_TRUE(masked.stencil->IsMonochrome());
  EXPECT_EQ(masked.stencilHides, kWhite);  // SRCAND leaves its white pixels alone
  EXPECT_FALSE(masked.translucent.has_value());
  const RecordingDevice::Image& blended = device.images[1];
  EXPECT_FALSE(blended.pixels.has_value());
  ASSERT_TRUE(blended.translucent.has_value());
  EXPECT_EQ(blended.translucent->alpha, (std::vector<uint8_t>{128, 255}));
  EXPECT_EQ(blended.translucent->colors[0], platform::MakeColor(128, 0, 0));  // premultiplied
  EXPECT_TRUE(blended.perPixelAlpha);
  EXPECT_EQ(blended.constantAlpha, 0x80);
}

// Hatched and pattern brushes reach the device as their style or bits and
// colours, not as anything already encoded.
TEST(EmwDevice, patternBrushesReachTheDeviceAsHatchOrTileBits) {
  const Dib tile = emfbuild::Dib24(2, 2, {kRed, kBlue, kBlue, kRed});
  std::vector<uint8_t> brush;
  const uint32_t offBmi = 32;
  const auto bmiSize = static_cast<uint32_t>(tile.info.size());
  for (uint32_t v :
       {2u, 0u, offBmi, bmiSize, offBmi + bmiSize, static_cast<uint32_t>(tile.bits.size())})
    emfbuild::PutU32(brush, v);
  brush.insert(brush.end(), tile.info.begin(), tile.info.end());
  brush.insert(brush.end(), tile.bits.begin(), tile.bits.end());
  EmfBuilder page(100, 100);
  page.setBkColor(kBlue)
      .createBrushIndirect(1, emf2pdf::emr::BS_HATCHED, kRed, emf2pdf::emr::HS_CROSS)
      .selectObject(1)
      .rectangle({0, 0, 50, 50})
      .record(emf2pdf::emr::EMR_CREATEDIBPATTERNBRUSHPT, brush)
      .selectObject(2)
      .rectangle({0, 0, 50, 50});
  RecordingDevice device;
  emw_test::PlayOnDevice(page.bytes(), device);
  ASSERT_EQ(device.patterns.size(), 2u);
  const emf2pdf::FillPattern& hatch = device.patterns[0];
  EXPECT_EQ(hatch.hatch, emf2pdf::emr::HS_CROSS);
  EXPECT_EQ(hatch.color, kRed);
  EXPECT_EQ(hatch.background, kBlue);
  const emf2pdf::FillPattern& bits = device.patterns[1];
  EXPECT_EQ(bits.hatch, -1);
  ASSERT_NE(bits.tile, nullptr);
  EXPECT_EQ(bits.tile->width, 2);
  EXPECT_EQ(bits.tile->pixels, (std::vector<uint32_t>{kRed, kBlue, kBlue, kRed}));
}

}  // namespace
