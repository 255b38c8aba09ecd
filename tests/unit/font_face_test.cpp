#include <gtest/gtest.h>

#include <cstdio>

#include "platform/font_catalog.h"
#include "platform/font_face.h"
#include "platform/text_shaper.h"
#include "support/temp_folder.h"

namespace platform {
namespace {

FontFaceEntry RegularFace(const std::string& family) {
  for (const auto& face : EnumerateFaces(family, kAnsiCharset))
    if (face.trueType && face.weight < 600 && !face.italic) return face;
  return {};
}

TEST(FontFaceTest, sharedFaces_areOpenedOncePerFileAndIndex) {
  const FontFaceEntry sans = RegularFace("Liberation Sans");
  const FontFaceEntry serif = RegularFace("Liberation Serif");
  ASSERT_FALSE(sans.file.empty());
  ASSERT_FALSE(serif.file.empty());
  const auto first = FontFace::Shared(sans.file, sans.index);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(FontFace::Shared(sans.file, sans.index), first);
  EXPECT_NE(FontFace::Shared(serif.file, serif.index), first);
  EXPECT_EQ(FontFace::Shared(sans.file, sans.index + 7), nullptr);
  EXPECT_EQ(FontFace::Shared("/nonexistent/font.ttf", 0), nullptr);
}

// The face is read by FreeType straight from its file; the whole program is
// only read when it is embedded as it is.
TEST(FontFaceTest, wholeFile_isTheFileAsInstalledAndNoneOnceItIsGone) {
  testing_support::TempFolder folder;
  const std::string copy = folder.file("copy.ttf");
  const std::string bytes = testing_support::ReadFile(RegularFace("Liberation Sans").file);
  ASSERT_GT(bytes.size(), 1000u);
  testing_support::WriteFile(copy, bytes);
  const auto face = FontFace::Open(copy, 0);
  ASSERT_NE(face, nullptr);
  EXPECT_EQ(face->WholeFile(), bytes);
  EXPECT_GT(face->AdvanceOfCodePoint('W'), 0);
  std::remove(copy.c_str());
  EXPECT_EQ(face->WholeFile(), std::nullopt);
  EXPECT_GT(face->AdvanceOfCodePoint('W'), 0);
}

TEST(FontFaceTest, repeatedLookups_giveTheSameAnswers) {
  const auto faces = EnumerateFaces("Arial", kAnsiCharset);
  ASSERT_FALSE(faces.empty());
  EXPECT_EQ(faces.front().family, "Liberation Sans");
  const auto again = EnumerateFaces("Arial", kAnsiCharset);
  ASSERT_EQ(again.size(), faces.size());
  for (size_t i = 0; i < faces.size(); ++i) EXPECT_EQ(again[i].file, faces[i].file);
  EXPECT_EQ(FirstTrueTypeFamily(kAnsiCharset), FirstTrueTypeFamily(kAnsiCharset));
  EXPECT_FALSE(FirstTrueTypeFamily(kAnsiCharset).empty());
  EXPECT_TRUE(EnumerateFaces("", kAnsiCharset).empty());
}

// HarfBuzz composes a base letter and its combining mark into the face's
// precomposed glyph where there is one, and keeps its view of the face for
// later records.
TEST(TextShaperTest, combiningMark_becomesThePrecomposedGlyph) {
  const FontFaceEntry sans = RegularFace("Liberation Sans");
  const auto face = FontFace::Shared(sans.file, sans.index);
  ASSERT_NE(face, nullptr);
  for (int round = 0; round < 2; ++round) {
    const auto glyphs = ShapeText(*face, u"e\u0301x");
    ASSERT_EQ(glyphs.size(), 2u);
    EXPECT_EQ(glyphs[0].glyph, face->GlyphOf(0xE9));
    EXPECT_EQ(glyphs[0].advance, face->AdvanceOfCodePoint(0xE9));
    EXPECT_EQ(glyphs[1].glyph, face->GlyphOf('x'));
  }
  EXPECT_TRUE(ShapeText(*face, u"").empty());
}

TEST(TextShaperTest, unreadableFontFile_shapesNothing) {
  testing_support::TempFolder folder;
  const std::string copy = folder.file("gone.ttf");
  testing_support::WriteFile(copy, testing_support::ReadFile(RegularFace("Liberation Sans").file));
  const auto face = FontFace::Open(copy, 0);
  ASSERT_NE(face, nullptr);
  std::remove(copy.c_str());
  EXPECT_TRUE(ShapeText(*face, u"e\u0301").empty());
}

}  // namespace
}  // namespace platform
