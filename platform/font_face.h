#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Raw TrueType data of one face: tables by four-letter tag and the whole
// font file. nullopt stands for a query the font cannot answer. Tables are
// borrowed: they stay valid as long as the source.
class FontTableSource {
 public:
  virtual ~FontTableSource() = default;
  virtual std::optional<std::string_view> Table(std::string_view tag) const = 0;
  virtual std::optional<std::string> WholeFile() const = 0;
};

// Metrics of a face at an em of 1000 units, as the Windows text metrics and
// outline text metrics report them.
struct FontMetrics {
  int ascent = 0;   // usWinAscent (hhea ascender without OS/2)
  int descent = 0;  // usWinDescent, positive
  bool fixedPitch = false;
  int outlineAscent = 0;   // sTypoAscender
  int outlineDescent = 0;  // sTypoDescender, negative below the baseline
  int boxLeft = 0, boxTop = 0, boxRight = 0, boxBottom = 0;  // 'head' font box
  int italicAngle = 0;   // tenths of a degree, counter-clockwise from vertical
  int averageWidth = 0;  // OS/2 xAvgCharWidth (the LOGFONT lfWidth of the natural cut)
  // Underline and strike-out strokes: positions of their middles above the
  // baseline (post underlinePosition; OS/2 yStrikeoutPosition, its top,
  // less half its size) and their thicknesses.
  int underlinePosition = -100, underlineThickness = 50;
  int strikeoutPosition = 258, strikeoutThickness = 50;
};

// A glyph's outline at an em of 1000, y upwards from the baseline origin:
// contours of lines and cubic curves, each begun by a move and ended by a
// close.
struct GlyphOutline {
  enum class Op : uint8_t { kMove, kLine, kCubic, kClose };
  struct Segment {
    Op op;
    double v[6];  // kMove, kLine: x y; kCubic: x1 y1 x2 y2 x3 y3
  };
  std::vector<Segment> segments;
};

// An installed face opened with FreeType. All widths are at an em of 1000.
class FontFace : public FontTableSource {
 public:
  // nullptr when the file cannot be read or FreeType refuses it.
  static std::unique_ptr<FontFace> Open(const std::string& file, int index);
  // The face opened once for the whole process: installed fonts do not
  // change while a job is converted, and every page asks for the same few.
  static std::shared_ptr<const FontFace> Shared(const std::string& file, int index);
  ~FontFace() override;
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

  const FontMetrics& Metrics() const { return metrics_; }
  // A face whose cmap is the Windows symbol one (platform 3, encoding 0):
  // byte codes live at U+F000 + code.
  bool IsSymbol() const { return symbol_; }
  bool HasGlyfTable() const;
  uint32_t GlyphOf(uint32_t codePoint) const;
  // Advance of a glyph (0 for glyph ids past the face), rounded.
  int AdvanceOfGlyph(uint32_t glyph) const;
  int AdvanceOfCodePoint(uint32_t codePoint) const { return AdvanceOfGlyph(GlyphOf(codePoint)); }
  int UnitsPerEm() const { return unitsPerEm_; }
  // The glyph's unhinted outline; empty for blanks, glyph ids past the face
  // and glyphs FreeType cannot load.
  GlyphOutline OutlineOfGlyph(uint32_t glyph) const;
  void* Handle() const { return face_; }  // the FT_Face
  const std::string& File() const { return file_; }
  int Index() const { return index_; }

  // A slice of the mapped file: no copy, nothing read until it is used.
  std::optional<std::string_view> Table(std::string_view tag) const override;
  // Read again from the file (only faces embedded whole need it).
  std::optional<std::string> WholeFile() const override;

 private:
  struct TableEntry {
    uint32_t tag;
    std::string_view bytes;
  };

  FontFace() = default;
  bool Map(const std::string& file);
  void ReadTableDirectory();
  void ReadMetrics();
  int Scale(long value) const;

  std::string file_;
  int index_ = 0;
  // The font file mapped once; FreeType and the tables both read from it.
  const char* mapped_ = nullptr;
  size_t mappedSize_ = 0;
  std::vector<TableEntry> tables_;  // of this face (a collection holds several)
  void* face_ = nullptr;
  int unitsPerEm_ = 1000;
  bool symbol_ = false;
  FontMetrics metrics_;
};

}  // namespace platform
