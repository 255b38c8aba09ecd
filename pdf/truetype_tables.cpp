#include "pdf/truetype_tables.h"

#include <algorithm>
#include <stdexcept>

namespace pdf::ttf {

uint16_t U16(std::string_view data, size_t offset) {
  if (offset > data.size() || data.size() - offset < 2) return 0;
  return static_cast<uint16_t>((static_cast<uint8_t>(data[offset]) << 8) |
                               static_cast<uint8_t>(data[offset + 1]));
}

int16_t S16(std::string_view data, size_t offset) {
  return static_cast<int16_t>(U16(data, offset));
}

uint32_t U32(std::string_view data, size_t offset) {
  if (offset > data.size() || data.size() - offset < 4) return 0;
  return (static_cast<uint32_t>(U16(data, offset)) << 16) | U16(data, offset + 2);
}

void PutU16(std::string& out, uint16_t value) {
  out.push_back(static_cast<char>(value >> 8));
  out.push_back(static_cast<char>(value & 255));
}

void PutU32(std::string& out, uint32_t value) {
  PutU16(out, static_cast<uint16_t>(value >> 16));
  PutU16(out, static_cast<uint16_t>(value & 0xFFFF));
}

void SetU16(std::string& data, size_t offset, uint16_t value) {
  if (data.size() < offset + 2) data.resize(offset + 2, '\0');
  data[offset] = static_cast<char>(value >> 8);
  data[offset + 1] = static_cast<char>(value & 255);
}

uint32_t TableChecksum(std::string_view data) {
  uint32_t sum = 0;
  for (size_t i = 0; i < data.size(); i += 4) {
    uint32_t word = 0;
    for (size_t j = 0; j < 4; ++j)
      word = (word << 8) | (i + j < data.size() ? static_cast<uint8_t>(data[i + j]) : 0u);
    sum += word;
  }
  return sum;
}

std::string_view RequireTable(const platform::FontTableSource& source, std::string_view tag) {
  const auto table = source.Table(tag);
  if (!table) throw std::runtime_error(kCannotReceive);
  return *table;
}

// --- cmap --------------------------------------------------------------------

uint16_t CmapFormat4::GlyphInSegment(size_t i, uint32_t codePoint) const {
  if (rangeOffsets[i] == 0) return static_cast<uint16_t>(codePoint + deltas[i]);
  // The range offset counts bytes from its own slot in the idRangeOffset
  // array; the slots after it are (segments - i) words before the glyph array.
  const int64_t index = static_cast<int64_t>(rangeOffsets[i] / 2) +
                        (static_cast<int64_t>(codePoint) - startCodes[i]) -
                        static_cast<int64_t>(SegmentCount() - i);
  if (index < 0 || index >= static_cast<int64_t>(glyphIds.size())) return 0;
  const uint16_t glyph = glyphIds[static_cast<size_t>(index)];
  return glyph == 0 ? 0 : static_cast<uint16_t>(glyph + deltas[i]);
}

uint16_t CmapFormat4::GlyphOf(uint32_t codePoint) const {
  for (size_t i = 0; i < SegmentCount(); ++i)
    if (codePoint <= endCodes[i]) {
      if (codePoint < startCodes[i]) return 0;
      return GlyphInSegment(i, codePoint);
    }
  return 0;
}

bool CmapFormat4::Covers(uint32_t codePoint) const {
  for (size_t i = 0; i < SegmentCount(); ++i)
    if (startCodes[i] <= codePoint && codePoint <= endCodes[i]) return true;
  return false;
}

CmapFormat4 ReadCmap(std::string_view cmap) {
  const uint16_t records = U16(cmap, 2);
  size_t subtable = 0;
  uint16_t encoding = 1;
  for (uint16_t i = 0; i < records; ++i) {
    const size_t record = 4 + static_cast<size_t>(i) * 8;
    if (record + 8 > cmap.size()) break;
    const uint16_t platformId = U16(cmap, record);
    const uint16_t encodingId = U16(cmap, record + 2);
    if (platformId != 3 || (encodingId != 1 && encodingId != 0)) continue;
    subtable = U32(cmap, record + 4);
    encoding = encodingId;
    if (encodingId == 1) break;
  }
  if (subtable + 14 > cmap.size() || U16(cmap, subtable) != 4)
    throw std::runtime_error(kUnknownFormat);
  size_t end = subtable + U16(cmap, subtable + 2);
  if (end > cmap.size() || end < subtable + 14) end = cmap.size();
  const size_t segments = U16(cmap, subtable + 6) / 2;
  if (subtable + 16 + segments * 8 > end) throw std::runtime_error(kUnknownFormat);

  CmapFormat4 table;
  table.encodingId = encoding;
  const size_t ends = subtable + 14;
  const size_t starts = ends + segments * 2 + 2;
  const size_t deltas = starts + segments * 2;
  const size_t ranges = deltas + segments * 2;
  for (size_t i = 0; i < segments; ++i) {
    table.endCodes.push_back(U16(cmap, ends + i * 2));
    table.startCodes.push_back(U16(cmap, starts + i * 2));
    table.deltas.push_back(U16(cmap, deltas + i * 2));
    table.rangeOffsets.push_back(U16(cmap, ranges + i * 2));
  }
  for (size_t at = ranges + segments * 2; at + 2 <= end; at += 2)
    table.glyphIds.push_back(U16(cmap, at));
  return table;
}

void AddMapping(std::vector<CmapSegment>& segments, uint16_t codePoint, uint16_t glyph) {
  const auto delta = static_cast<uint16_t>(glyph - codePoint);
  if (!segments.empty()) {
    CmapSegment& last = segments.back();
    if (codePoint == last.end + 1 && delta == last.delta) {
      last.end = codePoint;
      return;
    }
    if (codePoint <= last.end) return;
  }
  segments.push_back({codePoint, codePoint, delta});
}

std::string Format4Subtable(std::vector<CmapSegment> segments) {
  segments.push_back({0xFFFF, 0xFFFF, 1});
  const auto count = static_cast<uint16_t>(segments.size());
  uint16_t power = 1, selector = 0;
  while (power * 2 <= count) {
    power = static_cast<uint16_t>(power * 2);
    ++selector;
  }
  std::string table;
  PutU16(table, 4);
  PutU16(table, static_cast<uint16_t>(16 + count * 8));
  PutU16(table, 0);
  PutU16(table, static_cast<uint16_t>(count * 2));
  PutU16(table, static_cast<uint16_t>(power * 2));
  PutU16(table, selector);
  PutU16(table, static_cast<uint16_t>(count * 2 - power * 2));
  for (const CmapSegment& s : segments) PutU16(table, s.end);
  PutU16(table, 0);
  for (const CmapSegment& s : segments) PutU16(table, s.start);
  for (const CmapSegment& s : segments) PutU16(table, s.delta);
  for (size_t i = 0; i < segments.size(); ++i) PutU16(table, 0);
  return table;
}

std::string WindowsCmap(uint16_t encodingId,
                        const std::vector<std::pair<uint16_t, uint16_t>>& mappings) {
  std::vector<CmapSegment> segments;
  for (const auto& [codePoint, glyph] : mappings) AddMapping(segments, codePoint, glyph);
  std::string table;
  PutU16(table, 0);  // version
  PutU16(table, 1);  // subtables
  PutU16(table, 3);
  PutU16(table, encodingId);
  PutU32(table, 12);
  return table + Format4Subtable(std::move(segments));
}

// --- hmtx, loca, glyf -----------------------------------------------------------

uint16_t HorizontalMetrics::Advance(uint32_t glyph) const {
  if (longMetrics == 0) return 0;
  const uint32_t row = glyph < longMetrics ? glyph : longMetrics - 1u;
  return U16(hmtx, static_cast<size_t>(row) * 4);
}

int16_t HorizontalMetrics::SideBearing(uint32_t glyph) const {
  if (glyph < longMetrics) return S16(hmtx, static_cast<size_t>(glyph) * 4 + 2);
  return S16(hmtx, static_cast<size_t>(longMetrics) * 4 + (glyph - longMetrics) * 2);
}

std::string WithoutDroppedMetrics(std::string_view hmtx, uint16_t longMetrics,
                                  const std::vector<bool>& kept) {
  std::string metrics(hmtx);
  auto clear = [&metrics](size_t at, size_t count) {
    if (at < metrics.size())
      std::fill_n(metrics.begin() + at, std::min(count, metrics.size() - at), '\0');
  };
  for (size_t glyph = 0; glyph < kept.size(); ++glyph) {
    if (kept[glyph]) continue;
    if (glyph + 1 < longMetrics)
      clear(glyph * 4, 4);
    else if (glyph + 1 == longMetrics)
      clear(glyph * 4 + 2, 2);
    else
      clear(static_cast<size_t>(longMetrics) * 4 + (glyph - longMetrics) * 2, 2);
  }
  return metrics;
}

GlyphOutlines::GlyphOutlines(std::string_view loca, std::string_view glyf, bool longOffsets,
                             uint32_t glyphCount)
    : loca_(loca), glyf_(glyf), longOffsets_(longOffsets), count_(glyphCount) {}

uint64_t GlyphOutlines::OffsetAt(uint32_t entry) const {
  return longOffsets_ ? U32(loca_, static_cast<size_t>(entry) * 4)
                      : static_cast<uint64_t>(U16(loca_, static_cast<size_t>(entry) * 2)) * 2;
}

std::string_view GlyphOutlines::operator[](uint32_t glyph) const {
  const size_t entries = loca_.size() / (longOffsets_ ? 4 : 2);
  if (glyph >= count_ || glyph + 1 >= entries) return {};
  const uint64_t start = OffsetAt(glyph);
  const uint64_t end = OffsetAt(glyph + 1);
  if (end <= start || end > glyf_.size()) return {};
  return glyf_.substr(static_cast<size_t>(start), static_cast<size_t>(end - start));
}

namespace {

constexpr uint16_t kMoreComponents = 0x0020;
constexpr uint16_t kHaveInstructions = 0x0100;

// Offsets of the flags of a composite outline's components, and where the
// last component ends (past the outline for a record cut short).
std::vector<size_t> ComponentFlagOffsets(std::string_view outline, size_t* end = nullptr) {
  std::vector<size_t> offsets;
  size_t at = 10;
  if (outline.size() >= 10 && S16(outline, 0) < 0)
    while (at + 4 <= outline.size()) {
      const uint16_t flags = U16(outline, at);
      offsets.push_back(at);
      at += 4 + ((flags & 0x0001) ? 4 : 2);
      if (flags & 0x0008)
        at += 2;
      else if (flags & 0x0040)
        at += 4;
      else if (flags & 0x0080)
        at += 8;
      if (!(flags & kMoreComponents)) break;
    }
  if (end != nullptr) *end = at;
  return offsets;
}

}  // namespace

std::vector<size_t> ComponentIndexOffsets(std::string_view outline) {
  std::vector<size_t> offsets = ComponentFlagOffsets(outline);
  for (size_t& offset : offsets) offset += 2;
  return offsets;
}

std::string WithoutInstructions(std::string_view outline) {
  if (outline.size() < 10) return std::string(outline);
  const int16_t contours = S16(outline, 0);
  if (contours >= 0) {
    const size_t lengthAt = 10 + 2 * static_cast<size_t>(contours);
    if (lengthAt + 2 > outline.size()) return std::string(outline);
    const size_t codeEnd = lengthAt + 2 + U16(outline, lengthAt);
    if (codeEnd > outline.size()) return std::string(outline);
    std::string stripped(outline.substr(0, lengthAt));
    stripped.append(2, '\0');
    stripped.append(outline.substr(codeEnd));
    return stripped;
  }
  size_t end = 0;
  const std::vector<size_t> flags = ComponentFlagOffsets(outline, &end);
  if (flags.empty() || end > outline.size()) return std::string(outline);
  std::string stripped(outline.substr(0, end));
  const uint16_t last = U16(stripped, flags.back());
  if (last & kMoreComponents) return std::string(outline);  // cut short
  SetU16(stripped, flags.back(), static_cast<uint16_t>(last & ~kHaveInstructions));
  return stripped;
}

bool KeepsInstructions(std::string_view outline) {
  if (outline.size() < 10) return false;
  const int16_t contours = S16(outline, 0);
  if (contours >= 0) {
    const size_t lengthAt = 10 + 2 * static_cast<size_t>(contours);
    return lengthAt + 2 > outline.size() || U16(outline, lengthAt) != 0;
  }
  const std::vector<size_t> flags = ComponentFlagOffsets(outline);
  if (flags.empty()) return true;
  const uint16_t last = U16(outline, flags.back());
  return (last & (kMoreComponents | kHaveInstructions)) != 0;
}

HintingTables HintingFor(const platform::FontTableSource& source, bool instructed) {
  if (instructed) return {source.Table("cvt "), source.Table("fpgm"), source.Table("prep")};
  // PUSHW 511, SCANCTRL (dropout control at every size), PUSHB 5, SCANTYPE
  // (dropout control without stubs).
  static constexpr std::string_view kDropoutControl = "\xB8\x01\xFF\x85\xB0\x05\x8D";
  if (!source.Table("prep")) return {};
  return {std::nullopt, std::nullopt, kDropoutControl};
}

void KeepComponents(const GlyphOutlines& glyphs, std::vector<bool>& kept) {
  kept.resize(glyphs.size(), false);
  std::vector<uint32_t> pending;
  for (uint32_t i = 0; i < glyphs.size(); ++i)
    if (kept[i]) pending.push_back(i);
  while (!pending.empty()) {
    const uint32_t glyph = pending.back();
    pending.pop_back();
    const std::string_view outline = glyphs[glyph];
    for (size_t offset : ComponentIndexOffsets(outline)) {
      const uint16_t component = U16(outline, offset);
      if (component >= glyphs.size() || kept[component]) continue;
      kept[component] = true;
      pending.push_back(component);
    }
  }
}

std::string AssembleFont(const std::vector<FontTable>& tables) {
  const auto count = static_cast<uint16_t>(tables.size());
  uint16_t power = 1, selector = 0;
  while (power * 2 <= count) {
    power = static_cast<uint16_t>(power * 2);
    ++selector;
  }
  size_t total = 12 + 16 * static_cast<size_t>(count);
  for (const FontTable& table : tables) total += (table.bytes.size() + 3) & ~size_t{3};
  std::string font;
  font.reserve(total);
  PutU32(font, 0x00010000);
  PutU16(font, count);
  PutU16(font, static_cast<uint16_t>(power * 16));
  PutU16(font, selector);
  PutU16(font, static_cast<uint16_t>(count * 16 - power * 16));
  uint32_t offset = 12 + 16u * count;
  for (const auto& [tag, data] : tables) {
    font.append(tag.substr(0, 4));
    font.append(4 - std::min<size_t>(tag.size(), 4), ' ');
    PutU32(font, TableChecksum(data));
    PutU32(font, offset);
    PutU32(font, static_cast<uint32_t>(data.size()));
    offset += static_cast<uint32_t>((data.size() + 3) & ~size_t{3});
  }
  for (const FontTable& table : tables) {
    font.append(table.bytes);
    font.append((4 - table.bytes.size() % 4) % 4, '\0');
  }
  return font;
}

}  // namespace pdf::ttf
