#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

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
// Outlines at an em of 1000: O is two closed contours of curves inside the
// font box; blanks and glyph ids past the face have none.
TEST(FontFaceTest, glyphOutlines_areClosedContoursWithinTheFontBox) {
  const FontFaceEntry sans = RegularFace("Liberation Sans");
  const auto face = FontFace::Shared(sans.file, sans.index);
  ASSERT_NE(face, nullptr);
  const GlyphOutline o = face->OutlineOfGlyph(face->GlyphOf('O'));
  int moves = 0, closes = 0, curves = 0;
  for (size_t i = 0; i < o.segments.size(); ++i) {
    const auto& segment = o.segments[i];
    if (segment.op == GlyphOutline::Op::kMove) {
      ++moves;
      EXPECT_TRUE(i == 0 || o.segments[i - 1].op == GlyphOutline::Op::kClose) << i;
    }
    if (segment.op == GlyphOutline::Op::kClose) ++closes;
    if (segment.op != GlyphOutline::Op::kCubic) continue;
    ++curves;
    for (int k = 0; k < 6; k += 2) {
      EXPECT_GE(segment.v[k], face->Metrics().boxLeft);
      EXPECT_LE(segment.v[k], face->Metrics().boxRight);
      EXPECT_GE(segment.v[k + 1], -30);  // O sits on the baseline, overshooting a little
      EXPECT_LE(segment.v[k + 1], 760);  // and reaches its cap height
    }
  }
  EXPECT_EQ(moves, 2);
  EXPECT_EQ(closes, 2);
  EXPECT_GE(curves, 8);
  EXPECT_EQ(o.segments.back().op, GlyphOutline::Op::kClose);
  EXPECT_TRUE(face->OutlineOfGlyph(face->GlyphOf(' ')).segments.empty());
  EXPECT_TRUE(face->OutlineOfGlyph(1u << 20).segments.empty());
}

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

// A font collection of whole font files: each face's table offsets are
// moved to where its file lands.
std::string Collection(const std::vector<std::string>& fonts) {
  auto put32 = [](std::string& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(v >> shift));
  };
  auto u16 = [](const std::string& b, size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(b[at]) << 8 |
                                 static_cast<uint8_t>(b[at + 1]));
  };
  std::string header = "ttcf", body;
  put32(header, 0x00010000);
  put32(header, static_cast<uint32_t>(fonts.size()));
  const size_t start = 12 + 4 * fonts.size();
  for (std::string font : fonts) {
    const auto base = static_cast<uint32_t>(start + body.size());
    put32(header, base);
    for (uint32_t i = 0; i < u16(font, 4); ++i) {
      const size_t at = 12 + 16 * i + 8;
      const uint32_t offset = u16(font, at) << 16 | u16(font, at + 2);
      std::string moved;
      put32(moved, offset + base);
      font.replace(at, 4, moved);
    }
    body += font;
    body.append((4 - body.size() % 4) % 4, '\0');
  }
  return header + body;
}

TEST(FontFaceTest, faceOfACollection_givesItsOwnTables) {
  const std::string serif = testing_support::ReadFile(RegularFace("Liberation Serif").file);
  const auto sans = FontFace::Open(RegularFace("Liberation Sans").file, 0);
  ASSERT_NE(sans, nullptr);
  testing_support::TempFolder folder;
  const std::string file = folder.file("both.ttc");
  testing_support::WriteFile(file, Collection({serif, std::string(*sans->WholeFile())}));
  const auto second = FontFace::Open(file, 1);
  ASSERT_NE(second, nullptr);
  for (const char* tag : {"cmap", "glyf", "hmtx", "name"})
    EXPECT_EQ(second->Table(tag), sans->Table(tag)) << tag;
  EXPECT_EQ(second->AdvanceOfCodePoint('W'), sans->AdvanceOfCodePoint('W'));
  EXPECT_EQ(second->Table("none"), std::nullopt);
  EXPECT_EQ(FontFace::Open(file, 2), nullptr);
}

// Damaged font files: whatever FreeType accepts, no table reaches past the
// file and nothing is read out of bounds.
TEST(FontFaceTest, damagedFiles_giveOnlyTablesInsideTheFile) {
  const std::string bytes = testing_support::ReadFile(RegularFace("Liberation Sans").file);
  ASSERT_GT(bytes.size(), 5000u);
  std::string manyTables = bytes;
  manyTables[4] = manyTables[5] = '\xFF';
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"cut inside the tables", bytes.substr(0, bytes.size() / 2)},
      {"cut inside the directory", bytes.substr(0, 40)},
      {"65535 tables claimed", manyTables},
      {"collection of faces past the end", std::string("ttcf\0\1\0\0\0\0\0\2\x7F\0\0\0", 16)},
      {"empty", ""},
  };
  testing_support::TempFolder folder;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = folder.file("damaged.ttf");
    testing_support::WriteFile(file, c.bytes);
    for (int index : {0, 1}) {
      const auto face = FontFace::Open(file, index);
      if (!face) continue;
      for (const char* tag : {"cmap", "glyf", "hmtx", "loca", "head"})
        if (const auto table = face->Table(tag)) {
          EXPECT_LE(table->size(), c.bytes.size());
          size_t sum = 0;  // every byte of the table is readable
          for (char b : *table) sum += static_cast<uint8_t>(b);
          EXPECT_LE(sum, 255 * table->size());
        }
      face->HasGlyfTable();
    }
  }
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

// Two packages of one family installed side by side (an old and a new
// Liberation): the newer revision of each cut comes first, as fontconfig's
// matching picks it, and the order of the cuts is kept.
TEST(FontFaceTest, newerRevisionOfTheSameCut_isListedFirst) {
  const auto face = [](const char* file, int weight, int version) {
    return ListedFace{{"Liberation Sans", file, 0, weight, false, 100, true}, version};
  };
  std::vector<ListedFace> faces{
      face("/a/liberation/B.ttf", 700, 0x11000), face("/a/liberation/R.ttf", 400, 0x11000),
      face("/a/liberation2/R.ttf", 400, 0x20000), face("/a/liberation2/B.ttf", 700, 0x20000)};
  std::sort(faces.begin(), faces.end(), ListedBefore);
  std::vector<std::string> files;
  for (const auto& listed : faces) files.push_back(listed.face.file);
  EXPECT_EQ(files, (std::vector<std::string>{"/a/liberation2/R.ttf", "/a/liberation/R.ttf",
                                             "/a/liberation2/B.ttf", "/a/liberation/B.ttf"}));
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
