#include "pdf/truetype_reader.h"

#include <algorithm>

#include "pdf/number_format.h"
#include "pdf/to_unicode_cmap.h"

namespace pdf {

using ttf::U16;

TTTFData::TTTFData(const platform::FontTableSource& source, bool embed, bool fixedPitch)
    : source_(source), embed_(embed), fixedPitch_(fixedPitch) {
  const std::string_view cmap = ttf::RequireTable(source, "cmap");
  hmtx_ = ttf::RequireTable(source, "hmtx");
  maxp_ = ttf::RequireTable(source, "maxp");
  head_ = ttf::RequireTable(source, "head");
  hhea_ = ttf::RequireTable(source, "hhea");
  cmap_ = ttf::ReadCmap(cmap);
  glyphCount_ = U16(maxp_, 4);
  unitsPerEm_ = U16(head_, 18);
  longMetrics_ = U16(hhea_, 34);
  cmap_.ForEachMapping([this](uint16_t codePoint, uint16_t glyph) {
    rows_.push_back({codePoint, glyph, static_cast<int16_t>(GlyphWidth(glyph)), false});
  });
}

int TTTFData::GlyphWidth(uint16_t glyph) const {
  if (unitsPerEm_ == 0) return 0;
  const ttf::HorizontalMetrics metrics{hmtx_, longMetrics_};
  const uint16_t advance = metrics.Advance(fixedPitch_ ? 0 : glyph);
  return static_cast<int>(static_cast<int64_t>(advance) * 1000 / unitsPerEm_);
}

const TGlyphRow* TTTFData::FindRow(uint16_t codePoint) const {
  if (rows_.empty()) return nullptr;
  auto it = std::lower_bound(rows_.begin(), rows_.end(), codePoint,
                             [](const TGlyphRow& row, uint16_t cp) { return row.codePoint < cp; });
  if (it == rows_.end() || it->codePoint != codePoint) return &rows_.front();
  return &*it;
}

uint16_t TTTFData::GlyphFor(uint16_t codePoint) {
  const TGlyphRow* row = FindRow(codePoint);
  if (row == nullptr) return 0;
  const_cast<TGlyphRow*>(row)->used = true;
  if (archival_ && row->glyph == 0) standInsUsed_[0] = true;
  return row->glyph;
}

uint16_t TTTFData::GlyphOf(uint16_t codePoint) const {
  const TGlyphRow* row = FindRow(codePoint);
  return row == nullptr ? 0 : row->glyph;
}

int TTTFData::WidthFor(uint16_t codePoint) const {
  const TGlyphRow* row = FindRow(codePoint);
  return row == nullptr ? 0 : row->width;
}

uint16_t TTTFData::CodeFor(uint16_t glyph) const {
  if (!archival_) return glyph;
  if (glyph == 0) return glyphCount_;
  if (glyph >= glyphCount_) return static_cast<uint16_t>(glyphCount_ + 1);
  return glyph;
}

int TTTFData::UseGlyph(uint16_t glyph) {
  if (archival_ && (glyph == 0 || glyph >= glyphCount_)) {
    standInsUsed_[glyph == 0 ? 0 : 1] = true;
    return glyph == 0 ? GlyphWidth(0) : 0;
  }
  if (rowOfGlyph_.empty()) {
    uint16_t last = 0;
    for (const TGlyphRow& row : rows_) last = std::max(last, row.glyph);
    rowOfGlyph_.assign(static_cast<size_t>(last) + 1, -1);
    for (size_t i = rows_.size(); i-- > 0;) rowOfGlyph_[rows_[i].glyph] = static_cast<int32_t>(i);
  }
  if (glyph < rowOfGlyph_.size() && rowOfGlyph_[glyph] >= 0) {
    TGlyphRow& row = rows_[static_cast<size_t>(rowOfGlyph_[glyph])];
    row.used = true;
    return row.width;
  }
  const int width = GlyphWidth(glyph);
  if (glyph < glyphCount_) extraGlyphs_.emplace(glyph, static_cast<int16_t>(width));
  return glyph < glyphCount_ ? width : 0;
}

TShownGlyphs TTTFData::Shown() const {
  TShownGlyphs shown;
  for (const TGlyphRow& row : rows_)
    if (row.used) shown.codePoints.push_back(row.codePoint);
  for (const auto& extra : extraGlyphs_) shown.glyphs.push_back(extra.first);
  return shown;
}

std::string TTTFData::WidthArray() const {
  std::string out = "[";
  auto entry = [&out](uint16_t glyph, int width) {
    AppendInteger(out, glyph);
    out += '[';
    AppendInteger(out, width);
    out += ']';
  };
  for (const TGlyphRow& row : rows_)
    if (row.used) entry(row.glyph, row.width);
  for (const auto& [glyph, width] : extraGlyphs_) entry(glyph, width);
  if (standInsUsed_[0]) entry(glyphCount_, GlyphWidth(0));
  if (standInsUsed_[1]) entry(static_cast<uint16_t>(glyphCount_ + 1), 0);
  out += ']';
  return out;
}

std::string TTTFData::ToUnicode(const std::string& resourceName) const {
  std::vector<TToUnicodeEntry> entries;
  for (const TGlyphRow& row : rows_)
    if (row.used) entries.push_back({CodeFor(row.glyph), row.codePoint});
  return MakeToUnicodeCMap(resourceName, entries);
}

std::string TTTFData::ProgramCmap(const TShownGlyphs& alsoShown,
                                  const std::vector<bool>& kept) const {
  std::vector<uint16_t> codePoints = alsoShown.codePoints;
  for (const TGlyphRow& row : rows_)
    if (row.used) codePoints.push_back(row.codePoint);
  std::sort(codePoints.begin(), codePoints.end());
  codePoints.erase(std::unique(codePoints.begin(), codePoints.end()), codePoints.end());
  std::vector<std::pair<uint16_t, uint16_t>> mappings;
  for (uint16_t codePoint : codePoints) {
    const uint16_t glyph = cmap_.GlyphOf(codePoint);
    if (glyph != 0 && glyph < kept.size() && kept[glyph]) mappings.emplace_back(codePoint, glyph);
  }
  return ttf::WindowsCmap(cmap_.encodingId, mappings);
}

std::string TTTFData::FontProgram(const TShownGlyphs& alsoShown) {
  // A program with a single glyph upsets some readers; show two more rows.
  const auto used = std::count_if(rows_.begin(), rows_.end(), [](auto& r) { return r.used; });
  if (used < 2 && rows_.size() >= 3) {
    rows_[1].used = rows_[2].used = true;
    rows_[1].codePoint = 34;
  }
  const std::string_view loca = ttf::RequireTable(source_, "loca");
  const std::string_view glyf = ttf::RequireTable(source_, "glyf");
  const bool longOffsets = U16(head_, 50) != 0;
  const auto glyphs = ttf::SplitGlyphs(loca, glyf, longOffsets, glyphCount_);

  std::vector<bool> kept(glyphs.size(), false);
  auto keep = [&kept](uint32_t glyph) {
    if (glyph < kept.size()) kept[glyph] = true;
  };
  for (const TGlyphRow& row : rows_)
    if (row.used) keep(cmap_.GlyphOf(row.codePoint));
  for (const auto& extra : extraGlyphs_) keep(extra.first);
  for (uint16_t codePoint : alsoShown.codePoints) keep(cmap_.GlyphOf(codePoint));
  for (uint16_t glyph : alsoShown.glyphs) keep(glyph);
  ttf::KeepComponents(glyphs, kept);

  std::string newGlyf, newLoca;
  auto putOffset = [&] {
    if (longOffsets)
      ttf::PutU32(newLoca, static_cast<uint32_t>(newGlyf.size()));
    else
      ttf::PutU16(newLoca, static_cast<uint16_t>(newGlyf.size() / 2));
  };
  bool hinted = false;
  for (size_t i = 0; i < glyphs.size(); ++i) {
    putOffset();
    if (!kept[i]) continue;
    const std::string outline = ttf::WithoutInstructions(glyphs[i]);
    hinted = hinted || ttf::KeepsInstructions(outline);
    newGlyf.append(outline);
    if (!longOffsets && newGlyf.size() % 2) newGlyf.push_back('\0');
  }
  putOffset();
  if (archival_) putOffset(), putOffset();  // the two empty stand-ins
  if (!longOffsets && newGlyf.size() / 2 > 0xFFFF) throw std::runtime_error(ttf::kUnknownFormat);

  // Only what was shown: a cmap of the shown code points, the metrics of
  // the kept glyphs (readers take widths from the PDF; the rest are zeros).
  const std::string cmap = ProgramCmap(alsoShown, kept);
  std::string hmtx = ttf::WithoutDroppedMetrics(hmtx_, longMetrics_, kept);
  std::string hhea(hhea_), maxp(maxp_);
  if (archival_) {
    hmtx = ArchivalMetrics(kept);
    const auto count = static_cast<uint16_t>(glyphCount_ + 2);
    ttf::SetU16(hhea, 34, count);
    ttf::SetU16(maxp, 4, count);
  }
  std::vector<ttf::FontTable> tables = {
      {"hhea", hhea}, {"loca", newLoca}, {"cmap", cmap}, {"head", head_}, {"maxp", maxp}};
  const ttf::HintingTables hinting = ttf::HintingFor(source_, hinted);
  if (hinting.cvt) tables.push_back({"cvt ", *hinting.cvt});
  if (hinting.prep) tables.push_back({"prep", *hinting.prep});
  tables.push_back({"glyf", newGlyf});
  tables.push_back({"hmtx", hmtx});
  if (hinting.fpgm) tables.push_back({"fpgm", *hinting.fpgm});
  return ttf::AssembleFont(tables);
}

std::string TTTFData::ArchivalMetrics(const std::vector<bool>& kept) const {
  const ttf::HorizontalMetrics metrics{hmtx_, longMetrics_};
  std::string hmtx;
  hmtx.reserve((static_cast<size_t>(glyphCount_) + 2) * 4);
  auto put = [&hmtx](uint16_t advance, int16_t sideBearing) {
    ttf::PutU16(hmtx, advance);
    ttf::PutU16(hmtx, static_cast<uint16_t>(sideBearing));
  };
  for (uint32_t glyph = 0; glyph < glyphCount_; ++glyph) {
    if (glyph < kept.size() && kept[glyph])
      put(metrics.Advance(glyph), metrics.SideBearing(glyph));
    else
      put(0, 0);
  }
  put(metrics.Advance(0), 0);
  put(0, 0);
  return hmtx;
}

}  // namespace pdf
