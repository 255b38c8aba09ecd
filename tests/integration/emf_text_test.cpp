// EMF text records played onto forms (content lines) and converted into
// whole PDFs (pdftotext, pdffonts, qpdf).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "emf2pdf/emf2pdf_converter.h"
#include "emf2pdf/emf_records.h"
#include "support/emf_builder.h"
#include "support/emf_convert_support.h"
#include "support/emw_play_support.h"
#include "support/pdf_inspect.h"
#include "support/temp_folder.h"

namespace {

using emfbuild::EmfBuilder;
using emfbuild::Point;
using emfbuild::PutI32;
using emfbuild::PutRect;
using emfbuild::PutU16;
using emfbuild::PutU32;
using emfbuild::Rect;
using emw_test::PlayText;
using testing_support::HaveTool;
using testing_support::RunCommand;

using namespace emf2pdf::emr;

struct Font {
  int32_t height = -16;
  int32_t width = 0;
  int32_t escapement = 0;
  int32_t weight = 400;
  uint8_t italic = 0, underline = 0, strikeOut = 0, charset = 0;
  std::u16string face = u"Arial";
};

void CreateFont(EmfBuilder& emf, uint32_t index, const Font& f) {
  std::vector<uint8_t> p;
  PutU32(p, index);
  for (int32_t v : {f.height, f.width, f.escapement, f.escapement, f.weight}) PutI32(p, v);
  for (uint8_t b : {f.italic, f.underline, f.strikeOut, f.charset, uint8_t(0), uint8_t(0),
                    uint8_t(0), uint8_t(0)})
    p.push_back(b);
  for (size_t i = 0; i < 32; ++i) PutU16(p, i < f.face.size() ? f.face[i] : 0);
  emf.record(EMR_EXTCREATEFONTINDIRECTW, p);
  emf.selectObject(index);
}

// EMR_EXTTEXTOUTW (or A with one byte per unit) with optional advances.
void TextOut(EmfBuilder& emf, Point at, const std::u16string& text, uint32_t options = 0,
             Rect rcl = {}, const std::vector<int32_t>& dx = {}, bool wide = true) {
  std::vector<uint8_t> p;
  PutRect(p, {0, 0, -1, -1});
  PutU32(p, 1);
  PutU32(p, 0);
  PutU32(p, 0);
  PutI32(p, at.x);
  PutI32(p, at.y);
  PutU32(p, static_cast<uint32_t>(text.size()));
  const uint32_t offString = 76;
  const size_t stringBytes = (text.size() * (wide ? 2 : 1) + 3) & ~size_t{3};
  PutU32(p, offString);
  PutU32(p, options);
  PutRect(p, rcl);
  PutU32(p, dx.empty() ? 0 : static_cast<uint32_t>(offString + stringBytes));
  std::vector<uint8_t> chars;
  for (char16_t u : text) {
    if (wide)
      PutU16(chars, u);
    else
      chars.push_back(static_cast<uint8_t>(u));
  }
  chars.resize(stringBytes, 0);
  p.insert(p.end(), chars.begin(), chars.end());
  for (int32_t d : dx) PutI32(p, d);
  emf.record(wide ? EMR_EXTTEXTOUTW : EMR_EXTTEXTOUTA, p);
}

void SmallTextOut(EmfBuilder& emf, Point at, const std::string& text, uint32_t options) {
  std::vector<uint8_t> p;
  PutI32(p, at.x);
  PutI32(p, at.y);
  PutU32(p, static_cast<uint32_t>(text.size()));
  PutU32(p, options | ETO_SMALL_CHARS);
  PutU32(p, 1);
  PutU32(p, 0);
  PutU32(p, 0);
  if (!(options & ETO_NO_RECT)) PutRect(p, {0, 0, 50, 50});
  for (char c : text) p.push_back(static_cast<uint8_t>(c));
  while (p.size() % 4) p.push_back(0);
  emf.record(EMR_SMALLTEXTOUT, p);
}

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(EmwText, logfontHeight_givesPointsAndTheMatrix) {
  EmfBuilder emf;
  CreateFont(emf, 1, {});
  TextOut(emf, {40, 20}, u"Hi");
  const std::string text = PlayText(emf.bytes());
  // -16 pixels on the 96 dpi reference device: 12 points.
  EXPECT_NE(text.find("12 0 0 12 30 "), std::string::npos) << text;
  EXPECT_NE(text.find("/TT1 1 Tf\n(Hi) Tj"), std::string::npos) << text;
}

TEST(EmwText, weight600_isBoldAnd599IsNot) {
  EmfBuilder emf;
  Font regular;
  regular.weight = 599;
  Font bold;
  bold.weight = 600;
  CreateFont(emf, 1, regular);
  TextOut(emf, {0, 0}, u"a");
  CreateFont(emf, 2, bold);
  TextOut(emf, {0, 20}, u"b");
  const std::string text = PlayText(emf.bytes());
  EXPECT_NE(text.find("/TT1 1 Tf\n(a) Tj"), std::string::npos) << text;
  EXPECT_NE(text.find("/TT2 1 Tf\n(b) Tj"), std::string::npos) << text;
}

TEST(EmwText, twoRecordsWithOneFont_selectItOnce) {
  EmfBuilder emf;
  CreateFont(emf, 1, {});
  TextOut(emf, {0, 0}, u"a");
  TextOut(emf, {0, 20}, u"b");
  EXPECT_EQ(Count(PlayText(emf.bytes()), " Tf"), 1);
}

// rcl is filled with ETO_OPAQUE; the opaque mode fills the character cells.
TEST(EmwText, backgrounds_followOptionsAndMode) {
  const struct {
    const char* name;
    uint32_t bkMode;
    uint32_t options;
    bool rectFilled;
    bool cellsFilled;
  } cases[] = {
      {"opaque option without characters", 1, ETO_OPAQUE, true, false},
      {"transparent mode, no option", 1, 0, false, false},
      {"opaque mode", 2, 0, false, true},
  };
  for (const auto& c : cases) {
    EmfBuilder emf;
    emf.setBkMode(c.bkMode).setBkColor(emfbuild::Rgb(255, 0, 0));
    CreateFont(emf, 1, {});
    TextOut(emf, {0, 0}, c.options == ETO_OPAQUE ? u"" : u"x", c.options, {10, 10, 50, 30});
    const std::string text = PlayText(emf.bytes());
    EXPECT_EQ(text.find("1 0 0 rg") != std::string::npos, c.rectFilled || c.cellsFilled)
        << c.name << "\n"
        << text;
    EXPECT_EQ(text.find(" re\nf") != std::string::npos, c.rectFilled) << c.name << "\n" << text;
    EXPECT_EQ(text.find("h\nf") != std::string::npos, c.cellsFilled) << c.name << "\n" << text;
  }
}

// Cells of absurd advances would put absurd numbers in the PDF: the record
// is dropped instead.
TEST(EmwText, opaqueCellsOfAbsurdAdvances_dropTheRecord) {
  EmfBuilder emf;
  CreateFont(emf, 1, {});
  TextOut(emf, {0, 0}, u"xy", 0, {}, {2000000000, 2000000000});
  int dropped = 0;
  emw_test::PlayLines(emf.bytes(), 72, &dropped);
  EXPECT_EQ(dropped, 1);
}

TEST(EmwText, clippedText_isDrawnInsideItsOwnSavedLevel) {
  EmfBuilder emf;
  emf.setBkMode(1);
  CreateFont(emf, 1, {});
  TextOut(emf, {0, 0}, u"x", ETO_CLIPPED, {0, 0, 40, 20});
  const std::string text = PlayText(emf.bytes()) + "\n";
  EXPECT_NE(text.find("q\n0 60 30 15 re\nW\nn\n"), std::string::npos) << text;
  EXPECT_EQ(Count(text, "q\n"), Count(text, "Q\n")) << text;
}

TEST(EmwText, updateCp_movesByTheWidthOnlyForLeftAlignment) {
  const uint32_t TA_UPDATECP = 1, TA_CENTER = 6;
  EmfBuilder left;
  left.setTextAlign(TA_UPDATECP).moveTo(10, 10);
  CreateFont(left, 1, {});
  TextOut(left, {0, 0}, u"ab", 0, {}, {20, 20});
  TextOut(left, {0, 0}, u"c", 0, {}, {20});
  const std::string moved = PlayText(left.bytes());
  EXPECT_NE(moved.find(" 7.5 "), std::string::npos) << moved;   // x 10
  EXPECT_NE(moved.find(" 37.5 "), std::string::npos) << moved;  // x 50
  EmfBuilder centre;
  centre.setTextAlign(TA_UPDATECP | TA_CENTER).moveTo(100, 10);
  CreateFont(centre, 1, {});
  TextOut(centre, {0, 0}, u"ab", 0, {}, {20, 20});
  TextOut(centre, {0, 0}, u"ab", 0, {}, {20, 20});
  const std::string stayed = PlayText(centre.bytes());
  EXPECT_EQ(Count(stayed, "12 0 0 12 60 "), 2) << stayed;  // (100 - 20) * 0.75, twice
}

// The advances and the reference point are both logical units: centring
// moves by half the advances before the mapping scales them.
TEST(EmwText, centredTextInAScaledMapping_isCentredOnItsReference) {
  const uint32_t TA_CENTER = 6;
  EmfBuilder emf;
  emf.setMapMode(8).setWindowExtEx(100, 100).setViewportExtEx(200, 200).setTextAlign(TA_CENTER);
  CreateFont(emf, 1, {});
  TextOut(emf, {100, 10}, u"ab", 0, {}, {20, 20});
  const std::string text = PlayText(emf.bytes());
  EXPECT_NE(text.find("24 0 0 24 120 "), std::string::npos) << text;  // (100 - 20) * 2 * 0.75
}

// ETO_PDY records carry an x and a y advance per character; the x advances
// place the characters as a plain advance array would.
TEST(EmwText, pdyAdvances_placeCharactersByTheirXAdvances) {
  EmfBuilder pairs, plain;
  CreateFont(pairs, 1, {});
  CreateFont(plain, 1, {});
  TextOut(pairs, {10, 10}, u"abc", ETO_PDY, {}, {20, 0, 35, 0, 12, 0});
  TextOut(plain, {10, 10}, u"abc", 0, {}, {20, 35, 12});
  const std::string text = PlayText(pairs.bytes());
  EXPECT_EQ(text, PlayText(plain.bytes()));
  EXPECT_NE(text.find("Td"), std::string::npos) << text;
}

TEST(EmwText, substitutedTimes_becomesTimesNewRomanWithItsCharset) {
  EmfBuilder emf;
  Font times;
  times.face = u"Times";
  times.charset = 204;
  CreateFont(emf, 1, times);
  TextOut(emf, {0, 0}, u"\u0416x");
  const std::string text = PlayText(emf.bytes());
  EXPECT_NE(text.find("/TT1 1 Tf\n<"), std::string::npos) << text;
}

TEST(EmwText, smallTextAndEscapement_reachThePage) {
  EmfBuilder emf;
  Font rotated;
  rotated.escapement = 900;
  CreateFont(emf, 1, rotated);
  SmallTextOut(emf, {20, 80}, "Up", ETO_NO_RECT);
  SmallTextOut(emf, {20, 20}, "Clip", 0);
  const std::string text = PlayText(emf.bytes()) + "\n";
  EXPECT_NE(text.find("0 12 -12 0 "), std::string::npos) << text;
  EXPECT_NE(text.find("(Up) Tj"), std::string::npos) << text;
  EXPECT_NE(text.find("(Clip) Tj"), std::string::npos) << text;
  EXPECT_EQ(Count(text, "q\n"), Count(text, "Q\n")) << text;
}

TEST(EmwText, zeroSizeAndHugeAdvances_writeNoNonFiniteNumbers) {
  EmfBuilder emf;
  emf.setWorldTransform({1, 0, 0, 0, 0, 0});
  CreateFont(emf, 1, {});
  TextOut(emf, {0, 0}, u"ab", 0, {}, {2000000000, -2000000000});
  emf.setWorldTransform({1, 0, 0, 1, 0, 0});
  TextOut(emf, {0, 0}, u"ab", 0, {}, {2000000000, -2000000000});
  const std::string text = PlayText(emf.bytes());
  EXPECT_EQ(text.find("nan"), std::string::npos) << text;
  EXPECT_EQ(text.find("inf"), std::string::npos) << text;
}

TEST(EmfTextPdf, convertedPage_givesBackItsText) {
  if (!HaveTool("pdftotext") || !HaveTool("pdffonts") || !HaveTool("qpdf"))
    GTEST_SKIP() << "poppler-utils or qpdf not installed";
  testing_support::TempFolder folder;
  EmfBuilder emf(800, 400);
  CreateFont(emf, 1, {});
  TextOut(
      emf, {20, 20},
      u"Total 12\u20AC \u041F\u0440\u0438\u0432\u0435\u0442 \u0395\u03BB\u03BB\u03AC\u03B4\u03B1");
  Font serif;
  serif.face = u"Times New Roman";
  serif.height = -20;
  CreateFont(emf, 2, serif);
  TextOut(emf, {20, 80}, u"Spaced words", 0, {}, {12, 12, 12, 12, 12, 12, 20, 12, 12, 12, 12, 12});
  TextOut(emf, {20, 140}, u"Ansi text \x80", 0, {}, {}, false);
  CreateFont(emf, 3, Font{-16, 0, 0, 400, 0, 0, 0, 0, u"Courier New"});
  TextOut(emf, {20, 200}, u"cafe\u0301 combining");
  const std::string page = folder.file("p.emf");
  emf.writeFile(page);
  const std::string pdf = folder.file("p.pdf");
  std::string error;
  ASSERT_TRUE(emw_test::ConvertPages({page}, pdf, &error)) << error;
  bool ok = false;
  const std::string check = testing_support::QpdfCheck(pdf, &ok);
  EXPECT_TRUE(ok) << check;
  std::string text, fonts;
  RunCommand("pdftotext -enc UTF-8 '" + pdf + "' -", &text);
  for (const char* expected :
       {"Total 12\u20AC \u041F\u0440\u0438\u0432\u0435\u0442 \u0395\u03BB\u03BB\u03AC\u03B4\u03B1",
        "Ansi text \u20AC", "combining"})
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
  EXPECT_NE(text.find("Spaced"), std::string::npos) << text;
  RunCommand("pdffonts '" + pdf + "'", &fonts);
  EXPECT_NE(
      fonts.find("Liberation Sans                      TrueType          WinAnsi          yes"),
      std::string::npos)
      << fonts;
  EXPECT_NE(
      fonts.find("Liberation Serif                     TrueType          WinAnsi          yes"),
      std::string::npos)
      << fonts;
  EXPECT_NE(fonts.find("CID TrueType      Identity-H       yes"), std::string::npos) << fonts;
}

}  // namespace

namespace {

TEST(EmfWatermark, watermarkText_appearsThreeTimesInBlueBoldArial) {
  if (!HaveTool("pdftotext")) GTEST_SKIP() << "pdftotext (poppler-utils) not installed";
  testing_support::TempFolder folder;
  const std::string page = folder.file("w.emf");
  EmfBuilder().writeFile(page);
  emf2pdf::TEMF2PDFConverter converter;
  converter.SetFileName(folder.file("w.pdf"));
  converter.SetAddWatermarks(true);
  converter.SetWaterMarkText("DRAFT copy");
  converter.SetGenerateBookmarks(false);
  converter.SetCompression(pdf::ctNone);
  converter.BeginDoc();
  converter.AddDocument({page});
  ASSERT_TRUE(converter.Convert()) << converter.LastError();
  converter.EndDoc();
  std::string text;
  RunCommand("pdftotext '" + folder.file("w.pdf") + "' -", &text);
  EXPECT_EQ(Count(text, "DRAFT copy"), 3) << text;
  const std::string pdf = testing_support::ReadFile(folder.file("w.pdf"));
  EXPECT_NE(pdf.find("0 0 1 rg\r\n0 0 1 RG\r\nBT\r\n0 Tr\r\n"), std::string::npos);
  EXPECT_NE(pdf.find("/BaseFont /Liberation#20Sans#20Bold"), std::string::npos);
}

}  // namespace
