#include "pdf/fonts.h"

#include <gtest/gtest.h>

#include "pdf/document.h"
#include "pdf/page.h"
#include "support/temp_folder.h"

namespace pdf {
namespace {

using testing_support::ReadFile;

class FontsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = folder_.file("f.pdf");
    doc_.SetFileName(path_);
  }
  void TearDown() override {
    if (doc_.Active()) doc_.Abort();
  }
  TPDFFonts& fonts() { return doc_.Fonts(); }
  // The font dictionary whose base font is `name` (fonts are gone after EndDoc).
  static std::string FontObject(const std::string& pdf, const std::string& name) {
    const size_t at = pdf.find("/Type /Font\r\n/Subtype /TrueType\r\n/BaseFont /" + name + "\r\n");
    if (at == std::string::npos) return {};
    return pdf.substr(at, pdf.find("endobj", at) - at);
  }

  testing_support::TempFolder folder_;
  std::string path_;
  TPDFDocument doc_;
};

TEST_F(FontsTest, standardRequests_shareOneResourcePerIndex) {
  doc_.BeginDoc();
  const struct {
    const char* name;
    uint8_t style;
    const char* resource;
  } cases[] = {
      {"helvetica", kStyleBold, "Fnt1"}, {"HELVETICA", kStyleBold | kStyleUnderline, "Fnt1"},
      {"Times", kStyleItalic, "Fnt6"},   {"Courier", kStyleBold | kStyleItalic, "Fnt11"},
      {"Symbol", kStyleBold, "Fnt12"},   {"ZapfDingbats", 0, "Fnt13"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(fonts().ObtainFont(c.name, c.style, false).ResourceName, c.resource) << c.name;
  EXPECT_EQ(fonts().Count(), 5);
}

TEST_F(FontsTest, emulation_mapsOnlySingleByteRequestsToStandardFonts) {
  doc_.SetEmulateStandardFont(true);
  doc_.BeginDoc();
  EXPECT_EQ(fonts().ObtainFont("Arial", kStyleItalic, false).ResourceName, "Fnt2");
  EXPECT_EQ(fonts().ObtainFont("Times New Roman", 0, false).ResourceName, "Fnt4");
  const TPDFFont& unicode = fonts().ObtainFont("Arial", 0, true);
  EXPECT_FALSE(unicode.IsStandard);
  EXPECT_EQ(unicode.ResourceName, "TT1");
}

TEST_F(FontsTest, trueTypeRequests_areNumberedAndReused) {
  doc_.BeginDoc();
  TPDFFont& arial = fonts().ObtainFont("Arial", 0, false);
  EXPECT_EQ(arial.ResourceName, "TT1");
  EXPECT_EQ(arial.FaceName, "Liberation Sans");  // the metric-compatible face
  EXPECT_EQ(arial.CharWidths['A'], 667);
  EXPECT_EQ(&fonts().ObtainFont("ARIAL", 0, false), &arial);
  EXPECT_EQ(fonts().ObtainFont("Arial", 0, true).ResourceName, "TT2");
  EXPECT_EQ(fonts().ObtainFont("Helvetica", 0, false).ResourceName, "Fnt0");
  EXPECT_EQ(fonts().ObtainFont("Courier New", 0, false).ResourceName, "TT3");
}

TEST_F(FontsTest, missingFaces_fallBack) {
  doc_.BeginDoc();
  EXPECT_EQ(fonts().ObtainFont("No Such Face Here", kStyleBold, false).ResourceName, "Fnt1");
  const TPDFFont& unicode = fonts().ObtainFont("No Such Face Here", 0, true);
  EXPECT_TRUE(unicode.IsUnicode);
  EXPECT_EQ(unicode.FaceName, "Liberation Sans");
  // CFF-flavoured faces are not TrueType faces.
  EXPECT_TRUE(fonts().ObtainFont("Nimbus Sans", 0, false).IsStandard);
}

TEST_F(FontsTest, styleMissingFromTheFamily_resolvesToAnExistingCut) {
  doc_.BeginDoc();
  TPDFFont& regular = fonts().ObtainFont("DejaVu Math TeX Gyre", 0, false);
  if (regular.IsStandard) GTEST_SKIP() << "DejaVu Math TeX Gyre not installed";
  EXPECT_EQ(&fonts().ObtainFont("DejaVu Math TeX Gyre", kStyleBold | kStyleItalic, false),
            &regular);
}

TEST_F(FontsTest, singleByteFont_writesWidthsFromFirstToLastUsed) {
  doc_.BeginDoc();
  TPDFFont& arial = fonts().ObtainFont("Arial", 0, false);
  arial.IsUsed = true;
  for (int code = 32; code <= 40; ++code) arial.NoteChar(static_cast<uint8_t>(code));
  TPDFFont& empty = fonts().ObtainFont("Times New Roman", 0, false);
  empty.IsUsed = true;
  doc_.NonEmbeddedFont().push_back("times new roman");
  doc_.EndDoc();
  const std::string pdf = ReadFile(path_);
  const std::string object = FontObject(pdf, "Liberation#20Sans");
  EXPECT_NE(object.find("/FirstChar 32\r\n/LastChar 40\r\n/Encoding /WinAnsiEncoding\r\n"),
            std::string::npos)
      << object;
  EXPECT_NE(object.find("/Widths [278 \r\n278 355 556 556 889 667 191 333 ]\r\n"),
            std::string::npos)
      << object;
  EXPECT_NE(pdf.find("/FontName /Liberation#20Sans\r\n/ItalicAngle 0\r\n/StemV 87\r\n/FontFile2 "),
            std::string::npos);
  // Selected but showing nothing: still a valid range and widths array.
  const std::string unused = FontObject(pdf, "Liberation#20Serif");
  EXPECT_NE(unused.find("/FirstChar 32\r\n/LastChar 32\r\n"), std::string::npos) << unused;
  EXPECT_NE(unused.find("/Widths [250 \r\n]"), std::string::npos) << unused;
}

TEST_F(FontsTest, nonEmbeddedFont_hasNoFontFile) {
  doc_.NonEmbeddedFont().push_back("ARIAL");
  doc_.BeginDoc();
  TPDFFont& arial = fonts().ObtainFont("Arial", kStyleBold, false);
  arial.IsUsed = true;
  arial.NoteText("Hello");
  doc_.EndDoc();
  const std::string pdf = ReadFile(path_);
  EXPECT_EQ(pdf.find("/FontFile2"), std::string::npos);
  EXPECT_NE(pdf.find("/BaseFont /Liberation#20Sans#20Bold\r\n"), std::string::npos);
}

TEST_F(FontsTest, unicodeFont_writesDescendantToUnicodeAndType0InOrder) {
  doc_.BeginDoc();
  TPDFFont& font = fonts().ObtainFont("Arial", 0, true);
  font.IsUsed = true;
  font.GlyphTable->GlyphFor(u'A');
  font.GlyphTable->GlyphFor(u'B');
  doc_.EndDoc();
  const std::string pdf = ReadFile(path_);
  const size_t fontFile = pdf.find("/Length1 ");
  const size_t descendant = pdf.find("/Subtype /CIDFontType2");
  const size_t type0 = pdf.find("/Subtype /Type0");
  ASSERT_NE(fontFile, std::string::npos);
  EXPECT_LT(fontFile, descendant);
  EXPECT_LT(descendant, type0);
  EXPECT_NE(pdf.find("/W[36[666]37[666]]\r\n"), std::string::npos);
  EXPECT_NE(pdf.find("/CIDSystemInfo <</Ordering(Identity)/Registry(Adobe)/Supplement 0>>\r\n"
                     "/DW 1000\r\n"),
            std::string::npos);
  EXPECT_NE(pdf.find("/Subtype /Type0\r\n/BaseFont /Liberation#20Sans\r\n"
                     "/Encoding /Identity-H\r\n/DescendantFonts ["),
            std::string::npos);
}

// Single-byte and Unicode text in one face embed one program, which the
// descriptors of both fonts name; another face keeps its own.
TEST_F(FontsTest, oneFaceInBothEncodings_embedsOneProgram) {
  doc_.BeginDoc();
  TPDFFont& single = fonts().ObtainFont("Arial", 0, false);
  single.IsUsed = true;
  single.NoteText("Hi");
  TPDFFont& unicode = fonts().ObtainFont("Arial", 0, true);
  unicode.IsUsed = true;
  unicode.GlyphTable->GlyphFor(u'\u20AC');
  TPDFFont& other = fonts().ObtainFont("Courier New", 0, false);
  other.IsUsed = true;
  other.NoteText("x");
  doc_.EndDoc();
  const std::string pdf = ReadFile(path_);
  std::vector<std::string> files;
  for (size_t at = pdf.find("/FontFile2 "); at != std::string::npos;
       at = pdf.find("/FontFile2 ", at + 1))
    files.push_back(pdf.substr(at, pdf.find('\r', at) - at));
  ASSERT_EQ(files.size(), 3u);
  EXPECT_EQ(files[0], files[1]);
  EXPECT_NE(files[0], files[2]);
  size_t programs = 0;
  for (size_t at = pdf.find("/Length1 "); at != std::string::npos;
       at = pdf.find("/Length1 ", at + 1))
    ++programs;
  EXPECT_EQ(programs, 2u);
}

}  // namespace
}  // namespace pdf
