#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "pdf/truetype_tables.h"
#include "platform/font_face.h"

namespace pdf {

// What other fonts of a face show, kept by a program that they share.
struct TShownGlyphs {
  std::vector<uint16_t> codePoints;  // through the face's cmap
  std::vector<uint16_t> glyphs;
};

struct TGlyphRow {
  uint16_t codePoint = 0;
  uint16_t glyph = 0;
  int16_t width = 0;  // 1/1000 em
  bool used = false;
};

// The glyph table of a Unicode font: every code point the face's Windows
// cmap maps, with its glyph and width, and which of them were shown. Builds
// the "/W" array, the ToUnicode text and a font program that keeps the
// face's glyph numbering but only the outlines that were shown.
class TTTFData {
 public:
  // Reads 'cmap', 'hmtx', 'maxp', 'head' and 'hhea'; raises the reader's
  // errors (std::runtime_error). `source` must outlive the object.
  TTTFData(const platform::FontTableSource& source, bool embed, bool fixedPitch);

  // Glyph of a code point (marks its row used); width of a code point.
  // A code point that the face does not map answers with the first row.
  uint16_t GlyphFor(uint16_t codePoint);
  int WidthFor(uint16_t codePoint) const;
  // Glyph of a code point without marking anything used.
  uint16_t GlyphOf(uint16_t codePoint) const;
  // Marks a glyph shown by glyph index and returns its width. Glyphs that no
  // cmap row reaches (ligatures, contextual forms) are remembered on their
  // own so that the program keeps them and "/W" lists their width.
  int UseGlyph(uint16_t glyph);
  // Width of a glyph from 'hmtx', 1/1000 em.
  int GlyphWidth(uint16_t glyph) const;

  // Archival files may not show the missing-glyph outline nor glyphs the
  // program lacks (glyph numbers that came with the picture from another
  // face). There such codes become two empty glyphs appended to the
  // program, one with the missing glyph's advance, one with none, so the
  // text shows and advances as before.
  void SetArchival(bool value) { archival_ = value && glyphCount_ < 0xFFFE; }
  // The code that shows a glyph (the glyph itself unless it needs a stand-in).
  uint16_t CodeFor(uint16_t glyph) const;

  const std::vector<TGlyphRow>& GlyphTable() const { return rows_; }
  uint16_t GlyphCount() const { return glyphCount_; }
  bool Embed() const { return embed_; }

  // The code points of the used rows and the glyphs shown outside them.
  TShownGlyphs Shown() const;

  std::string WidthArray() const;
  std::string ToUnicode(const std::string& resourceName) const;
  // The font program, with the face's glyph numbering: the shown outlines,
  // a cmap of the shown code points and the metrics of the kept glyphs.
  // Raises "Cannot recieve data from font" when 'loca' or 'glyf' cannot be
  // read. Outlines are kept without their instructions, so
  // 'cvt ', 'fpgm' and 'prep' are copied only for outlines that could not be
  // stripped.
  // `alsoShown` is kept as well: what the face's other fonts show when they
  // embed this program (it has the face's numbering and cmap).
  std::string FontProgram(const TShownGlyphs& alsoShown = {});

 private:
  const TGlyphRow* FindRow(uint16_t codePoint) const;
  // The program's cmap: the face's Windows subtable over the shown code
  // points whose glyphs are kept.
  std::string ProgramCmap(const TShownGlyphs& alsoShown, const std::vector<bool>& kept) const;
  // Archival programs: 'hmtx', 'hhea' and 'maxp' with the two stand-ins
  // after the face's glyphs, every metric a long one.
  std::string ArchivalMetrics(const std::vector<bool>& kept) const;

  const platform::FontTableSource& source_;
  bool embed_;
  bool fixedPitch_;
  ttf::CmapFormat4 cmap_;
  std::string_view hmtx_, maxp_, head_, hhea_;  // borrowed from the source
  uint16_t glyphCount_ = 0;
  uint16_t unitsPerEm_ = 0;
  uint16_t longMetrics_ = 0;
  std::vector<TGlyphRow> rows_;
  std::map<uint16_t, int16_t> extraGlyphs_;  // shown glyphs outside the rows
  bool archival_ = false;
  bool standInsUsed_[2] = {false, false};  // for the missing glyph, for absent ones
  // The first row of each glyph (-1: none), made when text is first shown
  // by glyph index.
  std::vector<int32_t> rowOfGlyph_;
};

}  // namespace pdf
