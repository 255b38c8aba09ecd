#include <ft2build.h>
#include FT_FREETYPE_H

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <stdexcept>

#include "pdf/to_unicode_cmap.h"
#include "pdf/truetype_reader.h"
#include "pdf/truetype_subset.h"
#include "pdf/truetype_tables.h"
#include "platform/font_catalog.h"
#include "platform/font_face.h"
#include "support/temp_folder.h"

namespace pdf {
namespace {

using ttf::U16;
using ttf::U32;

std::unique_ptr<platform::FontFace> OpenFamily(const std::string& family) {
  for (const auto& face : platform::EnumerateFaces(family, 0))
    if (face.trueType && face.weight < 600 && !face.italic)
      return platform::FontFace::Open(face.file, face.index);
  return nullptr;
}

// The tables of an installed face, some of them replaced or taken away.
class EditedTables : public platform::FontTableSource {
 public:
  explicit EditedTables(const platform::FontFace& face) : face_(face) {}
  std::optional<std::string_view> Table(std::string_view tag) const override {
    auto it = edits_.find(std::string(tag));
    if (it == edits_.end()) return face_.Table(tag);
    if (!it->second) return std::nullopt;
    return *it->second;
  }
  std::optional<std::string> WholeFile() const override { return face_.WholeFile(); }
  void Set(const std::string& tag, std::optional<std::string> bytes) { edits_[tag] = bytes; }
  std::string Get(const std::string& tag) const {
    return std::string(Table(tag).value_or(std::string_view()));
  }

 private:
  const platform::FontFace& face_;
  std::map<std::string, std::optional<std::string>> edits_;
};

// A font program loaded back with FreeType.
class LoadedFont {
 public:
  explicit LoadedFont(const std::string& bytes) : bytes_(bytes) {
    FT_Init_FreeType(&library_);
    ok_ = FT_New_Memory_Face(library_, reinterpret_cast<const FT_Byte*>(bytes_.data()),
                             static_cast<FT_Long>(bytes_.size()), 0, &face_) == 0;
  }
  ~LoadedFont() {
    if (ok_) FT_Done_Face(face_);
    FT_Done_FreeType(library_);
  }
  bool ok() const { return ok_; }
  long glyphs() const { return face_->num_glyphs; }
  unsigned glyphOf(unsigned long cp) const { return FT_Get_Char_Index(face_, cp); }
  int points(unsigned glyph) const {
    if (FT_Load_Glyph(face_, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) != 0) return -1;
    return face_->glyph->outline.n_points;
  }

 private:
  std::string bytes_;
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
  bool ok_ = false;
};

class TrueTypeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    face_ = OpenFamily("Liberation Sans");
    if (!face_) GTEST_SKIP() << "Liberation Sans (fonts-liberation2) not installed";
  }
  std::unique_ptr<platform::FontFace> face_;
};

TEST_F(TrueTypeTest, glyphTable_givesGlyphsAndWidthsOfTheFace) {
  TTTFData data(*face_, true, false);
  EXPECT_EQ(data.GlyphFor(u'A'), face_->GlyphOf('A'));
  EXPECT_EQ(data.WidthFor(u'A'), 666);  // 1366 / 2048 em, truncated
  EXPECT_EQ(data.WidthFor(u' '), 277);  // 569 / 2048 em, truncated
  // A code point the face does not map answers with the first row.
  EXPECT_EQ(data.GlyphFor(0x4E00), data.GlyphTable().front().glyph);
}

TEST_F(TrueTypeTest, widthArrayAndToUnicode_listTheUsedRows) {
  TTTFData data(*face_, true, false);
  const uint16_t a = data.GlyphFor(u'A');
  const uint16_t b = data.GlyphFor(u'b');
  EXPECT_EQ(data.WidthArray(), "[" + std::to_string(a) + "[666]" + std::to_string(b) + "[556]]");
  const std::string cmap = data.ToUnicode("TT1");
  EXPECT_NE(cmap.find("/Registry (TT1+0) /Ordering (T42UV) /Supplement 0 >> def\r"),
            std::string::npos);
  EXPECT_NE(cmap.find("2 beginbfchar\r<0024> <0041>\r<0045> <0062>\rendbfchar\r"),
            std::string::npos)
      << cmap;
  EXPECT_NE(cmap.find("1 begincodespacerange <0024> <0045> endcodespacerange\r"),
            std::string::npos);
}

TEST(ToUnicodeCMapTest, blocksAndEmptyRange_followTheCMapForm) {
  std::vector<TToUnicodeEntry> entries;
  for (uint16_t i = 0; i < 101; ++i) entries.push_back({static_cast<uint16_t>(i + 3), i});
  const std::string cmap = MakeToUnicodeCMap("TT2", entries);
  EXPECT_NE(cmap.find("100 beginbfchar\r<0003> <0000>\r"), std::string::npos);
  EXPECT_NE(cmap.find("endbfchar\r1 beginbfchar\r<0067> <0064>\rendbfchar\rendcmap"),
            std::string::npos);
  EXPECT_TRUE(cmap.ends_with("endcmap CMapName currentdict /CMap defineresource pop end end"));
  // Without rows the code space must still be a valid range.
  EXPECT_NE(MakeToUnicodeCMap("TT2", {}).find("<0000> <FFFF> endcodespacerange"),
            std::string::npos);
}

// A table of a font file; nullopt when it has none.
std::optional<std::string_view> TableOf(const std::string& font, std::string_view tag) {
  for (size_t i = 0; i < U16(font, 4); ++i)
    if (std::string_view(font).substr(12 + i * 16, 4) == tag)
      return std::string_view(font).substr(U32(font, 12 + i * 16 + 8), U32(font, 12 + i * 16 + 12));
  return std::nullopt;
}

long TableLength(const std::string& font, std::string_view tag) {
  const auto table = TableOf(font, tag);
  return table ? static_cast<long>(table->size()) : -1;
}

TEST_F(TrueTypeTest, fontProgram_keepsNumberingAndOnlyShownOutlines) {
  TTTFData data(*face_, true, false);
  data.GlyphFor(u'A');
  data.GlyphFor(u'b');
  const std::string program = data.FontProgram();
  EXPECT_EQ(U16(program, 4), 8);          // tables: no 'cvt ' or 'fpgm', a small 'prep'
  EXPECT_EQ(U32(program, 12 + 8), 140u);  // the first table starts after the directory
  LoadedFont font(program);
  ASSERT_TRUE(font.ok());
  EXPECT_EQ(font.glyphs(), LoadedFont(*face_->WholeFile()).glyphs());
  EXPECT_EQ(font.glyphOf('A'), face_->GlyphOf('A'));
  EXPECT_GT(font.points(font.glyphOf('A')), 0);
  EXPECT_GT(font.points(font.glyphOf('b')), 0);
  EXPECT_EQ(font.points(font.glyphOf('Z')), 0);
}

// What a single-byte font of the face shows is kept too, and only what was
// shown is mapped and measured.
TEST_F(TrueTypeTest, fontProgram_alsoKeepsWhatOtherFontsShow) {
  TTTFData data(*face_, true, false);
  data.GlyphFor(u'A');
  data.GlyphFor(u'b');
  const std::string program = data.FontProgram({{u'H', u'i'}, {}});
  LoadedFont font(program);
  ASSERT_TRUE(font.ok());
  for (char c : {'A', 'b', 'H', 'i'}) {
    EXPECT_EQ(font.glyphOf(c), face_->GlyphOf(c)) << c;
    EXPECT_GT(font.points(font.glyphOf(c)), 0) << c;
  }
  EXPECT_EQ(font.glyphOf('Z'), 0u);
  const std::string_view hmtx = TableOf(program, "hmtx").value_or("");
  EXPECT_EQ(U32(hmtx, face_->GlyphOf('Z') * 4), 0u);  // Liberation Sans: all long metrics
  EXPECT_EQ(U16(hmtx, face_->GlyphOf('H') * 4), 1479);
}

TEST_F(TrueTypeTest, fontProgram_ofOneCharacter_addsTwoRows) {
  TTTFData data(*face_, true, false);
  data.GlyphFor(u'A');
  LoadedFont font(data.FontProgram());
  ASSERT_TRUE(font.ok());
  int used = 0;
  for (const auto& row : data.GlyphTable()) used += row.used;
  EXPECT_EQ(used, 3);
  EXPECT_EQ(data.GlyphTable()[1].codePoint, 34);
}

TEST_F(TrueTypeTest, fontProgram_withoutInstructionTables_isStillBuilt) {
  EditedTables tables(*face_);
  for (const char* tag : {"cvt ", "fpgm", "prep"}) tables.Set(tag, std::nullopt);
  TTTFData data(tables, true, false);
  data.GlyphFor(u'A');
  const std::string program = data.FontProgram();
  EXPECT_EQ(U16(program, 4), 7);
  EXPECT_TRUE(LoadedFont(program).ok());
}

TEST_F(TrueTypeTest, glyphOutsideTheCmap_isKeptAndListed) {
  TTTFData data(*face_, true, false);
  // The last glyph of the face is reached by no cmap row in Liberation Sans.
  const auto last = static_cast<uint16_t>(data.GlyphCount() - 1);
  bool mapped = false;
  for (const auto& row : data.GlyphTable()) mapped |= row.glyph == last;
  if (mapped) GTEST_SKIP() << "the face maps its last glyph";
  EXPECT_EQ(data.UseGlyph(last), data.GlyphWidth(last));
  EXPECT_NE(data.WidthArray().find(std::to_string(last) + "["), std::string::npos);
  LoadedFont font(data.FontProgram());
  ASSERT_TRUE(font.ok());
  EXPECT_EQ(data.UseGlyph(60000), 0);  // past the face: no width, nothing kept
}

TEST_F(TrueTypeTest, subsetOfA_holdsQuoteAndAAfterThreeEmptyGlyphs) {
  const std::string program = TAnsiFontSubset::MakeSubset(*face_, "Arial", {65});
  EXPECT_EQ(U16(program, 4), 10);
  EXPECT_EQ(U16(program, 10), 10 * 16 - 128);
  LoadedFont font(program);
  ASSERT_TRUE(font.ok());
  EXPECT_EQ(font.glyphs(), 5);
  EXPECT_EQ(font.glyphOf('"'), 3u);
  EXPECT_EQ(font.glyphOf('A'), 4u);
  EXPECT_EQ(font.glyphOf(' '), 2u);
  EXPECT_EQ(font.points(2), 0);
  EXPECT_GT(font.points(4), 0);
}

// The face's hinting tables go with outlines that still carry instructions:
// here only an outline too damaged to strip ('A' claiming 32767 contours).
// Otherwise a hinted face keeps just a 7-byte 'prep' for dropout control.
TEST_F(TrueTypeTest, hintingTables_onlyForOutlinesThatKeepInstructions) {
  const auto damageA = [this](EditedTables& t) {
    const uint16_t a = static_cast<uint16_t>(face_->GlyphOf('A'));
    const std::string loca = t.Get("loca");
    const bool longOffsets = U16(t.Get("head"), 50) != 0;
    std::string glyf = t.Get("glyf");
    ttf::SetU16(glyf, longOffsets ? U32(loca, a * 4u) : U16(loca, a * 2u) * 2u, 0x7FFF);
    t.Set("glyf", glyf);
  };
  const long facePrep = static_cast<long>(face_->Table("prep")->size());
  const struct {
    const char* name;
    bool damaged, withoutPrep;
    uint16_t subsetTables, programTables;
    long prep;
  } cases[] = {
      {"stripped outlines", false, false, 10, 8, 7},
      {"no prep, stripped outlines", false, true, 9, 7, -1},
      {"an outline keeping instructions", true, false, 12, 10, facePrep},
      {"no prep, an outline keeping instructions", true, true, 11, 9, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EditedTables tables(*face_);
    if (c.withoutPrep) tables.Set("prep", std::nullopt);
    if (c.damaged) damageA(tables);
    const std::string subset = TAnsiFontSubset::MakeSubset(tables, "Arial", {65, 66});
    EXPECT_EQ(U16(subset, 4), c.subsetTables);
    EXPECT_EQ(TableLength(subset, "prep"), c.prep);
    TTTFData data(tables, true, false);
    data.GlyphFor(u'A');
    data.GlyphFor(u'B');
    const std::string program = data.FontProgram();
    EXPECT_EQ(U16(program, 4), c.programTables);
    EXPECT_EQ(TableLength(program, "prep"), c.prep);
  }
}

TEST_F(TrueTypeTest, subsetOfAComposite_keepsItsComponents) {
  const uint16_t aacute = static_cast<uint16_t>(face_->GlyphOf(0xC1));
  const std::string_view glyf = *face_->Table("glyf");
  const std::string_view loca = *face_->Table("loca");
  const bool longOffsets = U16(*face_->Table("head"), 50) != 0;
  const auto glyphs = ttf::SplitGlyphs(loca, glyf, longOffsets, U16(*face_->Table("maxp"), 4));
  const size_t components = ttf::ComponentIndexOffsets(glyphs[aacute]).size();
  if (components == 0) GTEST_SKIP() << "Aacute is not a composite in this face";
  LoadedFont font(TAnsiFontSubset::MakeSubset(*face_, "Arial", {0xC1}));
  ASSERT_TRUE(font.ok());
  EXPECT_EQ(font.glyphs(), static_cast<long>(3 + 2 + components));
  EXPECT_GT(font.points(font.glyphOf(0xC1)), 0);  // components resolve in the subset
}

TEST(TrueTypeTables, withoutInstructions_keepsContoursAndComponents) {
  using namespace std::string_literals;
  const std::string box = "\0\0\0\0\0\0\0\0\0\0"s;  // contours (set below), bounding box
  // One contour ending at point 0, 3 instruction bytes, one flag and x, y.
  const std::string simple = "\0\1"s + box.substr(2) + "\0\0"s + "\0\3"s + "abc"s + "\1\5"s;
  const std::string simpleBare = "\0\1"s + box.substr(2) + "\0\0"s + "\0\0"s + "\1\5"s;
  // Two components (byte arguments), the last with WE_HAVE_INSTRUCTIONS.
  const std::string composite =
      "\xFF\xFF"s + box.substr(2) + "\0\x20\0\4\1\2"s + "\1\0\0\5\3\4"s + "\0\2xy"s;
  const std::string compositeBare =
      "\xFF\xFF"s + box.substr(2) + "\0\x20\0\4\1\2"s + "\0\0\0\5\3\4"s;
  const struct {
    const char* name;
    std::string outline, expected;
    bool keepsInstructions;  // once stripped
  } cases[] = {
      {"simple", simple, simpleBare, false},
      {"simple without instructions", simpleBare, simpleBare, false},
      {"composite", composite, compositeBare, false},
      {"empty", "", "", false},
      {"instructions past the end", simple.substr(0, 14), simple.substr(0, 14), true},
      {"composite cut short", composite.substr(0, 18), composite.substr(0, 18), true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ttf::WithoutInstructions(c.outline), c.expected) << c.name;
    EXPECT_EQ(ttf::KeepsInstructions(ttf::WithoutInstructions(c.outline)), c.keepsInstructions)
        << c.name;
  }
}

// Damaged copies of the face: every read stays in bounds and ends.
TEST_F(TrueTypeTest, damagedTables_neverCrashOrLoop) {
  struct Case {
    const char* name;
    std::function<void(EditedTables&)> damage;
  };
  const Case cases[] = {
      {"cmap cut short", [](EditedTables& t) { t.Set("cmap", t.Get("cmap").substr(0, 30)); }},
      {"cmap subtable offset past the end",
       [](EditedTables& t) {
         std::string cmap = t.Get("cmap");
         for (size_t r = 0; r < U16(cmap, 2); ++r) {
           cmap[4 + r * 8 + 4] = '\x7F';
         }
         t.Set("cmap", cmap);
       }},
      {"cmap range offsets pointing away",
       [](EditedTables& t) {
         std::string cmap = t.Get("cmap");
         for (size_t i = 0; i + 1 < cmap.size(); i += 2)
           if (i > 40) ttf::SetU16(cmap, i, static_cast<uint16_t>(cmap[i] ^ 0x5A));
         t.Set("cmap", cmap);
       }},
      {"hhea without long metrics",
       [](EditedTables& t) {
         std::string hhea = t.Get("hhea");
         ttf::SetU16(hhea, 34, 0);
         t.Set("hhea", hhea);
       }},
      {"short hhea and maxp",
       [](EditedTables& t) {
         t.Set("hhea", t.Get("hhea").substr(0, 10));
         t.Set("maxp", t.Get("maxp").substr(0, 3));
       }},
      {"units per em 0",
       [](EditedTables& t) {
         std::string head = t.Get("head");
         ttf::SetU16(head, 18, 0);
         t.Set("head", head);
       }},
      {"hmtx truncated", [](EditedTables& t) { t.Set("hmtx", t.Get("hmtx").substr(0, 5)); }},
      {"loca decreasing",
       [](EditedTables& t) {
         std::string loca = t.Get("loca");
         for (size_t i = 0; i + 4 <= loca.size() / 2; i += 4) std::swap(loca[i], loca[i + 2]);
         t.Set("loca", loca);
       }},
      {"loca past glyf", [](EditedTables& t) { t.Set("glyf", t.Get("glyf").substr(0, 100)); }},
      {"maxp glyph count huge",
       [](EditedTables& t) {
         std::string maxp = t.Get("maxp");
         ttf::SetU16(maxp, 4, 0xFFFF);
         t.Set("maxp", maxp);
       }},
      {"composite referring to itself",
       [this](EditedTables& t) {
         const uint16_t a = static_cast<uint16_t>(face_->GlyphOf('A'));
         const std::string loca = t.Get("loca");
         const bool longOffsets = U16(t.Get("head"), 50) != 0;
         const size_t at = longOffsets ? U32(loca, a * 4u) : U16(loca, a * 2u) * 2u;
         std::string glyf = t.Get("glyf");
         ttf::SetU16(glyf, at, 0xFFFF);
         ttf::SetU16(glyf, at + 10, 0x0020 | 0x0001);  // more components, word arguments
         ttf::SetU16(glyf, at + 12, a);
         ttf::SetU16(glyf, at + 18, 0);
         ttf::SetU16(glyf, at + 20, a);
         t.Set("glyf", glyf);
       }},
      {"glyf missing", [](EditedTables& t) { t.Set("glyf", std::nullopt); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EditedTables tables(*face_);
    c.damage(tables);
    try {
      TTTFData data(tables, true, false);
      for (char16_t cp : u"AbZ\u20AC\u4E00") {
        data.GlyphFor(cp);
        EXPECT_GE(data.WidthFor(cp), 0);
      }
      data.UseGlyph(0xFFFE);
      data.WidthArray();
      data.ToUnicode("TT1");
      data.FontProgram();
    } catch (const std::runtime_error&) {
      // A clear failure of the reader is fine; a crash or hang is not.
    }
    try {
      TAnsiFontSubset::MakeSubset(tables, "Arial", {65, 66, 0xC1});
    } catch (const std::runtime_error&) {
    }
  }
}

}  // namespace
}  // namespace pdf
