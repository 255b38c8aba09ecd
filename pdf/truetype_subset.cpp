#include "pdf/truetype_subset.h"

#include <algorithm>
#include <map>
#include <optional>
#include <utility>

#include "pdf/pdf_strings.h"
#include "pdf/truetype_tables.h"

namespace pdf {

using ttf::PutU16;
using ttf::PutU32;
using ttf::U16;

namespace {

constexpr uint16_t kFirstKeptGlyph = 3;

// The code points that go into the subset, with the two-entry padding that
// keeps the cmap from holding a single character.
std::vector<uint16_t> KeptCodePoints(const ttf::CmapFormat4& cmap,
                                     const std::vector<uint16_t>& requested) {
  std::vector<uint16_t> kept;
  for (uint16_t cp : requested)
    if (cmap.Covers(cp)) kept.push_back(cp);
  if (kept.size() == 1) {
    if (kept[0] > 33)
      kept.insert(kept.begin(), 34);
    else if (kept[0] != 34)
      kept.push_back(34);
  } else if (kept.size() == 2 && kept[1] == 160) {
    kept.insert(kept.begin() + 1, 34);
  }
  return kept;
}

// A glyph of the subset: its number in the face, outline and the byte by
// which code page 1252 text reaches it (0 when none).
struct KeptGlyph {
  uint16_t faceGlyph = 0;
  std::string outline;
  uint8_t winAnsiByte = 0;
};

std::string MacCmap(const std::vector<KeptGlyph>& glyphs) {
  std::string table;
  PutU16(table, 0);    // format
  PutU16(table, 262);  // length
  PutU16(table, 0);    // language
  std::string map(256, '\0');
  map[32] = 2;
  for (size_t k = 0; k < glyphs.size(); ++k)
    if (glyphs[k].winAnsiByte >= 32 && k + kFirstKeptGlyph < 256)
      map[glyphs[k].winAnsiByte] = static_cast<char>(k + kFirstKeptGlyph);
  return table + map;
}

// Code point 32 maps to the empty glyph 2 in a segment of its own.
std::string WindowsSubtable(const std::vector<std::pair<uint16_t, uint16_t>>& mappings) {
  std::vector<ttf::CmapSegment> segments = {{32, 32, static_cast<uint16_t>(-30)}};
  for (const auto& [cp, glyph] : mappings) {
    if (cp <= 32) continue;
    if (segments.size() == 1)
      segments.push_back({cp, cp, static_cast<uint16_t>(glyph - cp)});
    else
      ttf::AddMapping(segments, cp, glyph);
  }
  return ttf::Format4Subtable(std::move(segments));
}

std::string CmapTable(const std::vector<KeptGlyph>& glyphs,
                      const std::vector<std::pair<uint16_t, uint16_t>>& mappings) {
  std::string table;
  PutU16(table, 0);
  PutU16(table, 2);
  PutU16(table, 1);
  PutU16(table, 0);
  PutU32(table, 20);
  PutU16(table, 3);
  PutU16(table, 1);
  PutU32(table, 282);
  return table + MacCmap(glyphs) + WindowsSubtable(mappings);
}

std::string NameTable() {
  static const char* const kTexts[5] = {"Arial", "Regular", "Arial", "ArialMT", "Tallowcr: Arial"};
  static const uint16_t kIds[5] = {1, 2, 4, 6, 3};
  std::string records, macStrings, winStrings;
  for (int i = 0; i < 5; ++i) macStrings += kTexts[i];
  for (char c : macStrings) PutU16(winStrings, static_cast<uint8_t>(c));
  uint16_t macOffset = 0, winOffset = static_cast<uint16_t>(macStrings.size());
  for (int platformRow = 0; platformRow < 2; ++platformRow)
    for (int i = 0; i < 5; ++i) {
      const auto length = static_cast<uint16_t>(std::char_traits<char>::length(kTexts[i]));
      const bool windows = platformRow == 1;
      PutU16(records, windows ? 3 : 1);
      PutU16(records, windows ? 1 : 0);
      PutU16(records, windows ? 0x409 : 0);
      PutU16(records, kIds[i]);
      PutU16(records, static_cast<uint16_t>(windows ? length * 2 : length));
      uint16_t& offset = windows ? winOffset : macOffset;
      PutU16(records, offset);
      offset = static_cast<uint16_t>(offset + (windows ? length * 2 : length));
    }
  std::string table;
  PutU16(table, 0);
  PutU16(table, 10);
  PutU16(table, 6 + 10 * 12);
  table += records + macStrings + winStrings;
  table.resize(260, '\0');
  return table;
}

std::string PostTable() {
  std::string table;
  PutU32(table, 0x00020000);
  PutU32(table, 0);  // italic angle
  PutU16(table, static_cast<uint16_t>(-217));
  PutU16(table, 150);
  PutU32(table, 0);  // not fixed pitch
  table.append(16, '\0');
  PutU16(table, 4);
  for (uint16_t index : {0, 0, 258, 68}) PutU16(table, index);
  table += '\x09';
  table += "afii10065";
  return table;
}

}  // namespace

std::string TAnsiFontSubset::MakeSubset(const platform::FontTableSource& source,
                                        const std::string& faceName,
                                        std::vector<uint16_t> codePoints, bool spaceMetricOfFace) {
  if (UpperCase(faceName) == "MARLETT") {
    auto whole = source.WholeFile();
    if (!whole) throw std::runtime_error(ttf::kCannotReceive);
    return *whole;
  }
  const ttf::CmapFormat4 cmap = ttf::ReadCmap(ttf::RequireTable(source, "cmap"));
  // 'head', 'hhea' and 'maxp' are written with a few fields changed.
  std::string head(ttf::RequireTable(source, "head"));
  std::string hhea(ttf::RequireTable(source, "hhea"));
  const std::string_view hmtx = ttf::RequireTable(source, "hmtx");
  const std::string_view loca = ttf::RequireTable(source, "loca");
  std::string maxp(ttf::RequireTable(source, "maxp"));
  ttf::RequireTable(source, "name");
  ttf::RequireTable(source, "post");
  const std::string_view glyf = ttf::RequireTable(source, "glyf");

  const uint16_t glyphCount = U16(maxp, 4);
  const auto glyphs = ttf::SplitGlyphs(loca, glyf, U16(head, 50) != 0, glyphCount);
  const std::vector<uint16_t> kept = KeptCodePoints(cmap, codePoints);

  std::vector<bool> keep(glyphs.size(), false);
  for (uint16_t cp : kept) {
    const uint16_t glyph = cmap.GlyphOf(cp);
    if (cp > 32 && glyph < keep.size()) keep[glyph] = true;
  }
  ttf::KeepComponents(glyphs, keep);

  // New numbers in face order (0 for glyphs left out), and the lowest code
  // point of each kept glyph.
  std::vector<uint16_t> newNumber(keep.size(), 0);
  auto numberOf = [&newNumber](uint32_t glyph) -> uint16_t {
    return glyph < newNumber.size() ? newNumber[glyph] : 0;
  };
  std::vector<KeptGlyph> subset;
  bool hinted = false;
  for (uint32_t g = 0; g < keep.size(); ++g)
    if (keep[g]) {
      newNumber[g] = static_cast<uint16_t>(subset.size() + kFirstKeptGlyph);
      subset.push_back({static_cast<uint16_t>(g), ttf::WithoutInstructions(glyphs[g]), 0});
      hinted = hinted || ttf::KeepsInstructions(subset.back().outline);
    }
  std::vector<int32_t> lowestCodePoint(keep.size(), -1);
  cmap.ForEachMapping([&](uint16_t cp, uint16_t glyph) {
    if (numberOf(glyph) != 0 && lowestCodePoint[glyph] < 0) lowestCodePoint[glyph] = cp;
  });
  for (KeptGlyph& glyph : subset) {
    if (lowestCodePoint[glyph.faceGlyph] >= 0)
      glyph.winAnsiByte = UnicodeToWinAnsi(static_cast<uint16_t>(lowestCodePoint[glyph.faceGlyph]));
    for (size_t offset : ttf::ComponentIndexOffsets(glyph.outline))
      ttf::SetU16(glyph.outline, offset, numberOf(U16(glyph.outline, offset)));
  }
  std::vector<std::pair<uint16_t, uint16_t>> mappings;
  for (uint16_t cp : kept)
    if (const uint16_t number = numberOf(cmap.GlyphOf(cp)); number != 0)
      mappings.emplace_back(cp, number);

  const auto total = static_cast<uint16_t>(subset.size() + kFirstKeptGlyph);
  std::string newGlyf, newLoca;
  for (int i = 0; i < 4; ++i) PutU16(newLoca, 0);
  for (const KeptGlyph& glyph : subset) {
    newGlyf += glyph.outline;
    if (newGlyf.size() % 2) newGlyf.push_back('\0');
    PutU16(newLoca, static_cast<uint16_t>(std::min<size_t>(newGlyf.size() / 2, 0xFFFF)));
  }
  const ttf::HorizontalMetrics metrics{hmtx, U16(hhea, 34)};
  std::string newHmtx(8, '\0');
  const uint16_t space = spaceMetricOfFace ? cmap.GlyphOf(32) : 1;
  PutU16(newHmtx, metrics.Advance(space));
  PutU16(newHmtx, static_cast<uint16_t>(metrics.SideBearing(space)));
  for (const KeptGlyph& glyph : subset) {
    PutU16(newHmtx, metrics.Advance(glyph.faceGlyph));
    PutU16(newHmtx, static_cast<uint16_t>(metrics.SideBearing(glyph.faceGlyph)));
  }
  head.resize(54, '\0');
  ttf::SetU16(head, 50, 0);
  maxp.resize(32, '\0');
  ttf::SetU16(maxp, 4, total);
  hhea.resize(36, '\0');
  ttf::SetU16(hhea, 34, total);

  const auto [cvt, fpgm, prep] = ttf::HintingFor(source, hinted);
  const std::string cmapTable = CmapTable(subset, mappings);
  const std::string name = NameTable(), post = PostTable();
  std::vector<ttf::FontTable> tables = {{"cmap", cmapTable}};
  if (cvt) tables.push_back({"cvt ", *cvt});
  if (fpgm) tables.push_back({"fpgm", *fpgm});
  for (const ttf::FontTable& table : {ttf::FontTable{"glyf", newGlyf},
                                      {"head", head},
                                      {"hhea", hhea},
                                      {"hmtx", newHmtx},
                                      {"loca", newLoca},
                                      {"maxp", maxp},
                                      {"name", name},
                                      {"post", post}})
    tables.push_back(table);
  if (prep) tables.push_back({"prep", *prep});
  return ttf::AssembleFont(tables);
}

}  // namespace pdf
