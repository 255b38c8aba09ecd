// The bounds device against pictures whose ink is known, and the frame it
// gives a picture whose header has none.
#include <gtest/gtest.h>

#include "emf2pdf/bounds_device.h"
#include "pdf/document.h"
#include "support/emf_builder.h"
#include "support/emf_convert_support.h"

namespace {

using emfbuild::EmfBuilder;

constexpr uint32_t kNullPen = 0x80000008;
constexpr uint32_t kBlue = emfbuild::Rgb(0, 0, 255);

// At 96 dpi a page pixel is a pixel of the builder's reference device.
std::optional<emf2pdf::RectL> Ink(const EmfBuilder& picture) {
  pdf::TPDFDocument like;
  like.SetResolution(96);
  return emf2pdf::MeasureInk(emf2pdf::EmfReader::FromBytes(picture.bytes()), like);
}

void ExpectBox(const std::optional<emf2pdf::RectL>& box, int left, int top, int right, int bottom) {
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->left, left);
  EXPECT_EQ(box->top, top);
  EXPECT_EQ(box->right, right);
  EXPECT_EQ(box->bottom, bottom);
}

// A text record of two characters 20 pixels apart, from the top left.
void TwoCharacters(EmfBuilder& picture, emfbuild::Point at) {
  std::vector<uint8_t> p;
  emfbuild::PutRect(p, {0, 0, -1, -1});
  for (uint32_t v : {1u, 0u, 0u}) emfbuild::PutU32(p, v);
  emfbuild::PutI32(p, at.x);
  emfbuild::PutI32(p, at.y);
  emfbuild::PutU32(p, 2);   // characters
  emfbuild::PutU32(p, 76);  // offString
  emfbuild::PutU32(p, 0);   // options
  emfbuild::PutRect(p, {});
  emfbuild::PutU32(p, 80);  // offDx
  for (uint16_t c : {u'A', u'B'}) emfbuild::PutU16(p, c);
  for (int32_t dx : {20, 20}) emfbuild::PutI32(p, dx);
  picture.record(84, p);
}

TEST(BoundsDevice, measuresWhatEachKindOfCallMarks) {
  // A filled rectangle without a pen covers the pixels up to its right and
  // bottom coordinates.
  ExpectBox(Ink(EmfBuilder(400, 300)
                    .selectObject(kNullPen)
                    .createBrushIndirect(1, 0, kBlue)
                    .selectObject(1)
                    .rectangle({10, 20, 60, 50})),
            10, 20, 59, 49);
  // A line with a 20-pixel pen reaches 10 pixels around its ends and sides.
  ExpectBox(Ink(EmfBuilder(400, 300)
                    .createPen(1, 0, 20, kBlue)
                    .selectObject(1)
                    .moveTo(50, 50)
                    .lineTo(150, 50)),
            40, 40, 159, 59);
  // Text without its background: the advances across, the font's size
  // down from the top.
  EmfBuilder text(400, 300);
  text.setBkMode(1).extCreateFontIndirectW(1, -20, u"Arial").selectObject(1);
  TwoCharacters(text, {100, 100});
  ExpectBox(Ink(text), 100, 100, 139, 119);
  // A shape cut by the clip in force.
  ExpectBox(Ink(EmfBuilder(400, 300)
                    .selectObject(kNullPen)
                    .intersectClipRect({0, 0, 30, 40})
                    .rectangle({10, 10, 100, 100})),
            10, 10, 29, 39);
  // Drawn only outside the clip, or nothing at all.
  EXPECT_FALSE(
      Ink(EmfBuilder(400, 300).intersectClipRect({0, 0, 30, 40}).rectangle({100, 100, 200, 200})));
  EXPECT_FALSE(Ink(EmfBuilder(400, 300).setBkColor(kBlue)));
}

TEST(BoundsDevice, boxesOfTurnedTextAndFramedImages) {
  emf2pdf::FontRequest font;
  font.size = 10;
  emf2pdf::TextRun run;
  run.font = &font;
  const double advances[] = {10, 10};
  run.advances = advances;
  run.x = 100;
  run.y = 100;
  run.angle = 90;  // upwards
  const emf2pdf::InkBox turned = emf2pdf::TextBox(run);
  EXPECT_NEAR(turned.left, 100, 1e-9);
  EXPECT_NEAR(turned.right, 110, 1e-9);
  EXPECT_NEAR(turned.top, 80, 1e-9);
  EXPECT_NEAR(turned.bottom, 100, 1e-9);

  emf2pdf::ImagePlacement at;
  at.framed = true;
  at.topLeft = {10, 0};
  at.topRight = {20, 10};
  at.bottomLeft = {0, 10};
  const emf2pdf::InkBox image = emf2pdf::ImageBox(at);
  EXPECT_EQ(image.left, 0);
  EXPECT_EQ(image.top, 0);
  EXPECT_EQ(image.right, 20);
  EXPECT_EQ(image.bottom, 20);
}

// Neither bounds nor frame: the page takes its frame from the ink, so the
// rectangle is drawn (stretched over the page) instead of a blank page.
TEST(BoundsDevice, pictureWithoutBoundsOrFrame_isPlayedByItsInk) {
  EmfBuilder picture(400, 400);
  picture.bounds({0, 0, -1, -1})
      .frame({0, 0, 0, 0})
      .selectObject(kNullPen)
      .createBrushIndirect(1, 0, kBlue)
      .selectObject(1)
      .rectangle({100, 100, 201, 201});
  pdf::TPDFDocument like;
  const auto framed =
      emf2pdf::WithMeasuredFrame(emf2pdf::EmfReader::FromBytes(picture.bytes()), like);
  ASSERT_TRUE(framed.has_value());
  EXPECT_EQ(emf2pdf::FramePixels(framed->Header().rclFrame.left, framed->Header().szlDevice.cx,
                                 framed->Header().szlMillimeters.cx),
            100);
  EXPECT_EQ(emf2pdf::FramePixels(framed->Header().rclFrame.right, framed->Header().szlDevice.cx,
                                 framed->Header().szlMillimeters.cx),
            201);

  const auto result = emw_test::ConvertPicture(picture);
  ASSERT_TRUE(result->ok);
  EXPECT_EQ(emw_test::PictureColorAt(result->pdf, 5, 5, 101, 101), kBlue);
  EXPECT_EQ(emw_test::PictureColorAt(result->pdf, 96, 96, 101, 101), kBlue);
  // A usable frame is left as it is.
  EXPECT_FALSE(emf2pdf::WithMeasuredFrame(
      emf2pdf::EmfReader::FromBytes(EmfBuilder().rectangle({0, 0, 5, 5}).bytes()), like));
}

}  // namespace
