// Text as glyph outlines inside path brackets, text on glyph axes of its
// own under mirroring and stretching transforms in the advanced graphics
// mode, and the strings of PolyTextOut (content lines at resolution 72: x
// becomes 0.75 x, y 75 - 0.75 y).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/emf_builder.h"
#include "support/emf_convert_support.h"
#include "support/emw_play_support.h"
#include "support/temp_folder.h"

namespace {

using emfbuild::EmfBuilder;
using Lines = std::vector<std::string>;

constexpr uint32_t kCompatible = 1, kAdvanced = 2;

// EMR_EXTTEXTOUTW without advances, or EMR_EXTTEXTOUTA of the same
// (ASCII) text.
std::vector<uint8_t> TextRecord(const std::u16string& text, uint32_t graphicsMode, bool wide = true,
                                emfbuild::Point at = {20, 20}) {
  std::vector<uint8_t> p;
  emfbuild::PutRect(p, {0, 0, -1, -1});
  for (uint32_t v : {graphicsMode, 0u, 0u}) emfbuild::PutU32(p, v);
  emfbuild::PutI32(p, at.x);
  emfbuild::PutI32(p, at.y);
  for (uint32_t v : {static_cast<uint32_t>(text.size()), 76u, 0u}) emfbuild::PutU32(p, v);
  emfbuild::PutRect(p, {0, 0, -1, -1});
  emfbuild::PutU32(p, 0);  // offDx
  for (char16_t u : text) {
    if (wide)
      emfbuild::PutU16(p, u);
    else
      p.push_back(static_cast<uint8_t>(u));
  }
  while (p.size() % 4 != 0) p.push_back(0);
  return p;
}

EmfBuilder WithFont(int32_t height) {
  EmfBuilder b;
  b.extCreateFontIndirectW(1, height, u"Arial", 700).selectObject(1);
  return b;
}

size_t Count(const Lines& lines, const std::string& op) {
  return std::count_if(lines.begin(), lines.end(),
                       [&](const std::string& l) { return l == op || l.ends_with(" " + op); });
}

std::string LineEndingWith(const Lines& lines, const std::string& op) {
  const auto it = std::find_if(lines.begin(), lines.end(),
                               [&](const std::string& l) { return l.ends_with(" " + op); });
  return it == lines.end() ? std::string() : *it;
}

TEST(EmfTextOutline, textInABracket_addsItsGlyphsToThePathAndShowsNothing) {
  for (bool wide : {true, false}) {
    EmfBuilder b = WithFont(-40);
    b.beginPath().record(wide ? 84 : 83, TextRecord(u"Oi", kCompatible, wide)).endPath();
    const Lines lines = emw_test::PlayLines(b.fillPath().bytes());
    EXPECT_EQ(Count(lines, "Tj") + Count(lines, "TJ") + Count(lines, "BT"), 0u);
    // The bracket's opening move, two contours of O, two of i (stem and dot).
    EXPECT_EQ(Count(lines, "m"), 5u) << wide;
    EXPECT_GE(Count(lines, "c"), 8u);
    EXPECT_EQ(Count(lines, "h"), 4u);
    EXPECT_EQ(Count(lines, "f"), 1u);
    // O (Arial Bold: 0.778 em wide) lies right of and below (20, 20): the
    // points stay within its cell.
    for (const std::string& line : lines) {
      if (!line.ends_with(" c")) continue;
      const double x = std::stod(line), y = std::stod(line.substr(line.find(' ') + 1));
      EXPECT_GE(x, 15.0) << line;
      EXPECT_LE(x, 15.0 + 0.75 * 40 * 1.1) << line;
      EXPECT_LE(y, 75 - 0.75 * 20) << line;
      EXPECT_GE(y, 75 - 0.75 * 60) << line;
    }
  }
  // As a clip, the glyphs cut what follows.
  EmfBuilder b = WithFont(-40);
  b.beginPath().record(84, TextRecord(u"O", kCompatible)).endPath().selectClipPath(5);
  const Lines clip = emw_test::PlayLines(b.rectangle({0, 0, 200, 100}).bytes());
  EXPECT_EQ(Count(clip, "W") + Count(clip, "W*"), 1u);
}

// A face too large for the page and a string whose outline grows past the
// bound each cost only their record, with the reason in the trace.
TEST(EmfTextOutline, hugeOrEndlessText_isDroppedAlone) {
  const std::u16string endless(6000, u'@');
  for (const auto& [height, text] :
       {std::pair<int32_t, std::u16string>{-2000000000, u"WW"}, {-20, endless}}) {
    SCOPED_TRACE(height);
    EmfBuilder b = WithFont(height);
    b.beginPath().record(84, TextRecord(text, kAdvanced)).endPath().fillPath();
    const Lines trace = emw_test::RecordTrace(b.bytes());
    const auto text_record = std::find_if(trace.begin(), trace.end(), [](const std::string& l) {
      return l.find("EMR_EXTTEXTOUTW") != std::string::npos;
    });
    ASSERT_NE(text_record, trace.end());
    EXPECT_NE(text_record->find("dropped, malformed: the text's outline"), std::string::npos)
        << *text_record;
    int dropped = 0;
    const Lines lines = emw_test::PlayLines(b.bytes(), 72, &dropped);
    EXPECT_EQ(dropped, 1);
    EXPECT_EQ(Count(lines, "c"), 0u);
  }
}

// EMR_SMALLTEXTOUT of single-byte characters without a rectangle.
std::vector<uint8_t> SmallTextRecord(const std::string& text, uint32_t graphicsMode) {
  std::vector<uint8_t> p;
  emfbuild::PutI32(p, 20);
  emfbuild::PutI32(p, 20);
  for (uint32_t v : {static_cast<uint32_t>(text.size()), 0x300u, graphicsMode, 0u, 0u})
    emfbuild::PutU32(p, v);
  p.insert(p.end(), text.begin(), text.end());
  while (p.size() % 4 != 0) p.push_back(0);
  return p;
}

// The text matrix of one "A" of 12 points under `world`.
std::string TextMatrix(const emfbuild::Xform& world, uint32_t graphicsMode, bool small = false) {
  EmfBuilder b = WithFont(-16);
  b.setWorldTransform(world);
  if (small)
    b.record(108, SmallTextRecord("A", graphicsMode));
  else
    b.record(84, TextRecord(u"A", graphicsMode));
  const std::string tm = LineEndingWith(emw_test::PlayLines(b.bytes()), "Tm");
  size_t end = 0;
  for (int i = 0; i < 4; ++i) end = tm.find(' ', end + 1);
  return tm.substr(0, end);  // the four factors
}

TEST(EmfTextOutline, advancedText_isMirroredAndStretchedWithTheTransform) {
  EXPECT_EQ(TextMatrix({-1, 0, 0, 1, 200, 0}, kAdvanced), "-12 0 0 12");
  EXPECT_EQ(TextMatrix({1, 0, 0, -1, 0, 100}, kAdvanced), "12 0 0 -12");
  EXPECT_EQ(TextMatrix({0.8f, 0, 0, 1.6f, 0, 0}, kAdvanced), "9.6 0 0 19.2");
  EXPECT_EQ(TextMatrix({0.8f, 0, 0, 1.6f, 0, 0}, kAdvanced, true), "9.6 0 0 19.2");
  // Compatible-mode text stands upright under the same mirror; even scales
  // keep the size-and-angle matrix.
  EXPECT_EQ(TextMatrix({1, 0, 0, -1, 0, 100}, kCompatible), "12 0 0 12");
  EXPECT_EQ(TextMatrix({2, 0, 0, 2, 0, 0}, kAdvanced), "24 0 0 24");
}

// Mirrored and stretched text stays text, read in its own order.
TEST(EmfTextOutline, mirroredText_isExtractedInReadingOrder) {
  if (!testing_support::HaveTool("pdftotext") || !testing_support::HaveTool("qpdf"))
    GTEST_SKIP() << "poppler-utils or qpdf not installed";
  testing_support::TempFolder folder;
  EmfBuilder b(400, 300);
  b.extCreateFontIndirectW(1, -24, u"Arial").selectObject(1);
  b.setWorldTransform({-1, 0, 0, 1, 400, 0}).record(84, TextRecord(u"Backwards", kAdvanced));
  b.setWorldTransform({1, 0, 0, -1, 0, 300}).record(84, TextRecord(u"Headstand", kAdvanced));
  b.setWorldTransform({0.8f, 0, 0, 1.6f, 0, 0})
      .record(84, TextRecord(u"Stretched", kAdvanced, true, {20, 120}));
  b.writeFile(folder.file("p.emf"));
  ASSERT_TRUE(emw_test::ConvertPages({folder.file("p.emf")}, folder.file("p.pdf")));
  std::string text;
  testing_support::RunCommand("pdftotext -raw '" + folder.file("p.pdf") + "' -", &text);
  EXPECT_NE(text.find("Backwards"), std::string::npos) << text;
  EXPECT_NE(text.find("Headstand"), std::string::npos) << text;
  EXPECT_NE(text.find("Stretched"), std::string::npos) << text;
  // The backwards runs are drawn mirrored, their characters kept beside.
  std::string content;
  testing_support::RunCommand(
      "qpdf --qdf --object-streams=disable '" + folder.file("p.pdf") + "' -", &content);
  EXPECT_NE(content.find("-18 0 0 18 "), std::string::npos);
  EXPECT_NE(content.find("/ActualText"), std::string::npos);
}

}  // namespace

namespace {

// EMR_POLYTEXTOUTW of `texts`, each at its point, without advances;
// `claimed` strings said to follow (the real count when 0).
std::vector<uint8_t> PolyTextRecord(
    const std::vector<std::pair<std::u16string, emfbuild::Point>>& texts, uint32_t claimed = 0) {
  std::vector<uint8_t> p;
  emfbuild::PutRect(p, {0, 0, -1, -1});
  for (uint32_t v : {kCompatible, 0u, 0u}) emfbuild::PutU32(p, v);
  emfbuild::PutU32(p, claimed != 0 ? claimed : static_cast<uint32_t>(texts.size()));
  uint32_t offString = 8 + 32 + 40 * static_cast<uint32_t>(texts.size());
  for (const auto& [text, at] : texts) {
    emfbuild::PutI32(p, at.x);
    emfbuild::PutI32(p, at.y);
    for (uint32_t v : {static_cast<uint32_t>(text.size()), offString, 0u}) emfbuild::PutU32(p, v);
    emfbuild::PutRect(p, {0, 0, -1, -1});
    emfbuild::PutU32(p, 0);  // offDx
    offString += (2 * static_cast<uint32_t>(text.size()) + 3) & ~3u;
  }
  for (const auto& entry : texts) {
    for (char16_t u : entry.first) emfbuild::PutU16(p, u);
    while (p.size() % 4 != 0) p.push_back(0);
  }
  return p;
}

// PolyTextOut draws each of its strings as ExtTextOut draws one, on the
// page and inside a path bracket; a count past the record draws nothing.
TEST(EmfPolyTextOut, drawsEachStringAsExtTextOutDoes) {
  for (bool bracket : {false, true}) {
    SCOPED_TRACE(bracket);
    EmfBuilder single = WithFont(-20), poly = WithFont(-20);
    if (bracket) {
      single.beginPath();
      poly.beginPath();
    }
    single.record(84, TextRecord(u"Left", kCompatible, true, {20, 20}))
        .record(84, TextRecord(u"Right", kCompatible, true, {200, 60}));
    poly.record(97, PolyTextRecord({{u"Left", {20, 20}}, {u"Right", {200, 60}}}));
    if (bracket) {
      single.endPath().fillPath();
      poly.endPath().fillPath();
    }
    const Lines expected = emw_test::PlayLines(single.bytes());
    EXPECT_GE(Count(expected, bracket ? "c" : "Tj") + Count(expected, "TJ"), 2u);
    EXPECT_EQ(emw_test::PlayLines(poly.bytes()), expected);
  }
  EmfBuilder overclaimed = WithFont(-20);
  overclaimed.record(97, PolyTextRecord({{u"Left", {20, 20}}}, 1000));
  int dropped = 0;
  const Lines lines = emw_test::PlayLines(overclaimed.bytes(), 72, &dropped);
  EXPECT_EQ(dropped, 1);
  EXPECT_EQ(Count(lines, "Tj") + Count(lines, "TJ"), 0u);
}

}  // namespace
