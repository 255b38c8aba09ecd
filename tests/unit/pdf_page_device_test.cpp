// The PDF page device: state written only where the page does not have it
// in force at that q level, clip levels opened when something is drawn.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "emf2pdf/pdf_page_device.h"
#include "pdf/document.h"
#include "pdf/page.h"
#include "support/graphics_test_support.h"

namespace emf2pdf {
namespace {

using Lines = std::vector<std::string>;

DevicePath Box(double left, double top) {
  DevicePath path;
  path.Rectangle(left, top, left + 10, top + 10);
  return path;
}

ClipState ClipTo(double left, double top, uint64_t serial) {
  ClipState clip;
  clip.whole = false;
  clip.hasRegion = true;
  clip.region = {{left, top, left + 20, top + 20}};
  clip.serial = serial;
  return clip;
}

// Content lines at resolution 72 (a device unit is a point; y = 842 - y)
// after the device's opening cap, join and width.
Lines Draw(const std::function<void(PdfPageDevice&)>& draw) {
  graphics_test::TempPdf file("pdf_page_device");
  pdf::TPDFDocument document;
  document.SetFileName(file.Path());
  document.SetResolution(72);
  document.BeginDoc();
  pdf::TPDFPage& page = document.CurrentPage();
  PdfPageDevice device(page);
  StrokeStyle pen;
  device.Begin(pen);
  draw(device);
  device.End();
  Lines lines = graphics_test::ContentLines(page);
  document.Abort();
  const auto begun = std::find(lines.begin(), lines.end(), "1 w");
  if (begun != lines.end()) lines.erase(lines.begin(), begun + 1);
  return lines;
}

TEST(PdfPageDevice, stateIsWrittenOnlyWhereItChanges) {
  const StrokeStyle red{0x0000FF, 2, {3, 1}, 1, 0};
  FillStyle green;
  green.color = 0x00FF00;
  const struct {
    const char* name;
    std::function<void(PdfPageDevice&)> draw;
    Lines expected;
  } kCases[] = {
      {"defaults need nothing",
       [](PdfPageDevice& d) {
         const FillStyle black;
         const StrokeStyle pen;
         d.DrawPath(Box(0, 0), &black, &pen);
       },
       {"0 832 10 10 re", "B"}},
      {"a repeated stroke writes its state once",
       [&](PdfPageDevice& d) {
         d.DrawPath(Box(0, 0), nullptr, &red);
         d.DrawPath(Box(20, 0), nullptr, &red);
       },
       {"1 0 0 RG", "2 w", "[3 1] 0 d", "1 J", "0 832 10 10 re", "S", "20 832 10 10 re", "S"}},
      {"nothing to paint writes nothing",
       [](PdfPageDevice& d) { d.DrawPath(Box(0, 0), nullptr, nullptr); },
       {}},
      {"state outlives the clip level opened after it",
       [&](PdfPageDevice& d) {
         d.SetClip(ClipTo(0, 0, 1));
         d.DrawPath(Box(0, 0), &green, nullptr);
         d.SetClip(ClipState());
         d.DrawPath(Box(20, 0), &green, nullptr);
       },
       {"0 1 0 rg", "q", "0 822 20 20 re", "W", "n", "0 832 10 10 re", "f", "Q", "20 832 10 10 re",
        "f"}},
      {"a clip changed twice before drawing is shown once",
       [&](PdfPageDevice& d) {
         d.SetClip(ClipTo(0, 0, 1));
         d.SetClip(ClipTo(5, 5, 2));
         d.DrawPath(Box(5, 5), &green, nullptr);
       },
       {"0 1 0 rg", "q", "5 817 20 20 re", "W", "n", "5 827 10 10 re", "f", "Q"}},
      {"what a pushed clip's level set is written again after it",
       [&](PdfPageDevice& d) {
         d.PushClip(Box(0, 0), &green);
         d.PopClip();
         d.DrawPath(Box(20, 0), &green, nullptr);
       },
       {"q", "0 1 0 rg", "0 832 10 10 re", "W", "f", "Q", "0 1 0 rg", "20 832 10 10 re", "f"}},
  };
  for (const auto& c : kCases) EXPECT_EQ(Draw(c.draw), c.expected) << c.name;
}

// The device encodes the pixels it is handed as the document allows: an
// equal bitmap is one image, a stencil a mask, opacity a soft mask from PDF
// 1.4 and blended onto paper before; colour images as JPEG when asked.
TEST(PdfPageDevice, imagesAreEncodedAsTheDocumentAllows) {
  platform::TBitmap colours(2, 1, platform::TPixelFormat::pf24bit);
  colours.SetPixel(0, 0, platform::MakeColor(128, 0, 0));
  platform::TBitmap stencil(2, 1, platform::TPixelFormat::pf1bit);
  platform::TDibPixels translucent;
  translucent.width = 2;
  translucent.height = 1;
  translucent.colors = {platform::MakeColor(128, 0, 0), 0};
  translucent.present = {1, 1};
  translucent.alpha = {128, 0};
  for (const pdf::TPDFVersion version : {pdf::v13, pdf::v14}) {
    SCOPED_TRACE(version);
    graphics_test::TempPdf file("pdf_page_device_images");
    pdf::TPDFDocument document;
    document.SetFileName(file.Path());
    document.SetVersion(version);
    document.EMFOptions().ColorImagesAsJPEG = version == pdf::v14;
    document.BeginDoc();
    PdfPageDevice device(document.CurrentPage());
    device.Begin(StrokeStyle());
    DeviceImage image;
    image.pixels = &colours;
    device.DrawImage(image, {});
    device.DrawImage(image, {});
    image.stencil = &stencil;
    device.DrawImage(image, {});
    image = DeviceImage();
    image.translucent = &translucent;
    image.perPixelAlpha = true;
    device.DrawImage(image, {});
    device.End();
    const pdf::TPDFImages& images = document.Images();
    ASSERT_EQ(images.Count(), 4);
    EXPECT_EQ(images.Items(0).Compression(), version == pdf::v14 ? pdf::icJPEG : pdf::icFlate);
    EXPECT_TRUE(images.Items(1).IsMask());
    EXPECT_EQ(images.Items(2).MaskIndex(), 1);
    EXPECT_EQ(images.Items(3).SoftMask().empty(), version < pdf::v14);
    document.Abort();
  }
}

}  // namespace
}  // namespace emf2pdf
