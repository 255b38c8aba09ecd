#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/font_face.h"

// Bounds-checked reading and writing of TrueType structures (big-endian).
// A read past the data gives 0, so a short or damaged table yields glyph 0
// or width 0 rather than a read out of bounds.
namespace pdf::ttf {

inline constexpr const char* kCannotReceive = "Cannot recieve data from font";
inline constexpr const char* kUnknownFormat = "Incorrect or unknown font format";

uint16_t U16(std::string_view data, size_t offset);
int16_t S16(std::string_view data, size_t offset);
uint32_t U32(std::string_view data, size_t offset);
void PutU16(std::string& out, uint16_t value);
void PutU32(std::string& out, uint32_t value);
// Overwrites two bytes at `offset`, growing `data` with zeros if needed.
void SetU16(std::string& data, size_t offset, uint16_t value);

// Sum of the big-endian 32-bit words, the data padded with zeros.
uint32_t TableChecksum(std::string_view data);

// Fetches a table; std::runtime_error "Cannot recieve data from font" when
// the face cannot deliver it.
std::string_view RequireTable(const platform::FontTableSource& source, std::string_view tag);

// The Windows Unicode cmap subtable (format 4).
struct CmapFormat4 {
  uint16_t encodingId = 1;  // of the Windows platform: 1 Unicode, 0 symbol
  std::vector<uint16_t> endCodes;
  std::vector<uint16_t> startCodes;
  std::vector<uint16_t> deltas;
  std::vector<uint16_t> rangeOffsets;
  std::vector<uint16_t> glyphIds;

  size_t SegmentCount() const { return endCodes.size(); }
  // Glyph of a code point in segment `i`; 0 when a range offset points
  // outside the glyph index array.
  uint16_t GlyphInSegment(size_t i, uint32_t codePoint) const;
  uint16_t GlyphOf(uint32_t codePoint) const;
  bool Covers(uint32_t codePoint) const;
  // Calls `visit(codePoint, glyph)` for each code point of every segment
  // but the final 0xFFFF one, in ascending code point order.
  template <typename Visit>
  void ForEachMapping(Visit&& visit) const {
    // Code points only ascend, so overlapping or unsorted segments of a
    // damaged table are visited once and the walk stays within 65536 steps.
    uint32_t next = 0;
    for (size_t i = 0; i + 1 < SegmentCount(); ++i) {
      for (uint32_t cp = std::max<uint32_t>(startCodes[i], next); cp <= endCodes[i]; ++cp)
        visit(static_cast<uint16_t>(cp), GlyphInSegment(i, cp));
      next = std::max<uint32_t>(next, endCodes[i] + 1u);
    }
  }
};

// Picks the platform 3 encoding 1 subtable (or 3/0) and reads it; raises
// "Incorrect or unknown font format" when it is not a readable format 4.
CmapFormat4 ReadCmap(std::string_view cmap);

// A segment of a format 4 subtable that maps by delta (range offset 0).
struct CmapSegment {
  uint16_t start, end;
  uint16_t delta;
};

// Adds a mapping (code points ascending): the last segment grows when code
// point and glyph both run on from it.
void AddMapping(std::vector<CmapSegment>& segments, uint16_t codePoint, uint16_t glyph);

// A format 4 subtable (language 0) of the segments and the closing 0xFFFF one.
std::string Format4Subtable(std::vector<CmapSegment> segments);

// A cmap with one Windows subtable (platform 3, `encodingId`) of the
// mappings (code point, glyph), code points ascending.
std::string WindowsCmap(uint16_t encodingId,
                        const std::vector<std::pair<uint16_t, uint16_t>>& mappings);

// Horizontal metrics of a face: advance (font units) and left side bearing.
struct HorizontalMetrics {
  std::string_view hmtx;
  uint16_t longMetrics = 0;
  uint16_t Advance(uint32_t glyph) const;
  int16_t SideBearing(uint32_t glyph) const;
};

// 'hmtx' with the metrics of glyphs not kept set to zero, except the last
// long advance, which stands for every glyph after it.
std::string WithoutDroppedMetrics(std::string_view hmtx, uint16_t longMetrics,
                                  const std::vector<bool>& kept);

// The outlines of a face's glyphs, found along 'loca' when asked for. An
// entry whose offsets decrease or pass the end of 'glyf' gives an empty
// outline, and so does a glyph past the count.
class GlyphOutlines {
 public:
  GlyphOutlines(std::string_view loca, std::string_view glyf, bool longOffsets,
                uint32_t glyphCount);
  size_t size() const { return count_; }
  std::string_view operator[](uint32_t glyph) const;

 private:
  uint64_t OffsetAt(uint32_t entry) const;

  std::string_view loca_, glyf_;
  bool longOffsets_;
  uint32_t count_;
};

inline GlyphOutlines SplitGlyphs(std::string_view loca, std::string_view glyf, bool longOffsets,
                                 uint32_t glyphCount) {
  return GlyphOutlines(loca, glyf, longOffsets, glyphCount);
}

// Marks every component of kept composite glyphs kept, transitively. Each
// glyph is walked once, so composites that refer to themselves or to each
// other end; components past the glyph count are ignored.
void KeepComponents(const GlyphOutlines& glyphs, std::vector<bool>& kept);

// Offsets of the glyph index fields of a composite outline's components
// (empty for simple glyphs and for a record cut short).
std::vector<size_t> ComponentIndexOffsets(std::string_view outline);

// The outline without its hinting instructions: the same contours, points
// and components. PDF readers draw glyphs unhinted, and the instructions are
// half of a subset's outlines. A record cut short is returned as it is.
std::string WithoutInstructions(std::string_view outline);

// The hinting tables a program keeps. Outlines that kept instructions need
// the face's own. Without them, a hinted face gets only a 'prep' that turns
// on dropout control: rasterisers that run 'prep' (Ghostscript) otherwise
// lose thin stems at small sizes, which the face's own 'prep' prevents.
struct HintingTables {
  std::optional<std::string_view> cvt, fpgm, prep;
};
HintingTables HintingFor(const platform::FontTableSource& source, bool instructed);

// Whether an outline carries hinting instructions; a record too damaged to
// tell counts as carrying them. Without such outlines the hinting tables
// ('cvt ', 'fpgm', 'prep') have nothing to act on and are left out.
bool KeepsInstructions(std::string_view outline);

// One table of a font being assembled; the bytes are borrowed.
struct FontTable {
  std::string_view tag;
  std::string_view bytes;
};

// A font file from tables in the given directory order: offset table,
// directory (tag, checksum, offset, length) and 4-byte aligned data.
std::string AssembleFont(const std::vector<FontTable>& tables);

}  // namespace pdf::ttf
