#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/truetype_reader.h"
#include "pdf/type1_program.h"
#include "platform/font_face.h"

namespace pdf {

class TPDFDocument;
class TPDFFont;

// One font program for the fonts of one face (single-byte and Unicode): a
// Unicode font's program, with the face's glyph numbering and cmap, keeping
// the glyphs of all of them; single-byte fonts reach theirs through that
// cmap. Written once, by the first of them to be written.
struct TSharedFontFile {
  TPDFFont* builder = nullptr;  // a Unicode font of the face
  std::vector<TPDFFont*> fonts;
  int64_t objectNumber = -1;  // 0 when the program could not be built
};

// Style bits of a font request.
inline constexpr uint8_t kStyleBold = 1;
inline constexpr uint8_t kStyleItalic = 2;
inline constexpr uint8_t kStyleUnderline = 4;
inline constexpr uint8_t kStyleStrikeOut = 8;

// One font resource of the document: a standard Type 1 font, a single-byte
// TrueType font (WinAnsi, or MacRoman for symbol faces) or a Unicode Type0
// font over a CIDFontType2 descendant.
class TPDFFont {
 public:
  TPDFFont() = default;
  TPDFFont(const TPDFFont&) = delete;
  TPDFFont& operator=(const TPDFFont&) = delete;

  int32_t ObjectNumber = -1;
  std::string FaceName;
  uint8_t Style = 0;
  bool IsUnicode = false;
  bool IsStandard = false;
  std::string ResourceName;
  uint8_t StandardIndex = 0;
  std::array<int32_t, 256> CharWidths{};
  int32_t Ascent = 0;
  int32_t Descent = 0;
  bool Embed = false;
  platform::FontMetrics OutlineMetrics;
  std::array<bool, 256> UsedChars{};
  uint8_t FirstUsed = 255;
  uint8_t LastUsed = 0;
  bool IsUsed = false;
  std::unique_ptr<TTTFData> GlyphTable;
  bool IsSymbolic = false;
  bool FixedPitch = false;
  // The upper-cased name that was asked for; it differs from FaceName when
  // the catalog answered with a metric-compatible face (Arial -> Liberation
  // Sans), and later requests for the same name must find this font.
  std::string RequestedName;
  // The installed face behind a TrueType font (tables, whole file).
  std::shared_ptr<const platform::FontFace> Face;
  // PDF/A: a code that Windows-1252 leaves unused (127, 129, ...) is read
  // as the bullet, as WinAnsiEncoding defines it, so that the widths and the
  // program agree with what readers show. Set before LoadMetrics.
  bool Archival = false;
  // Set at save when another font of the face embeds the same program.
  std::shared_ptr<TSharedFontFile> SharedFontFile;
  // PDF/A: the installed Type 1 program that a standard symbolic font
  // (Symbol, ZapfDingbats) embeds whole; its widths are in CharWidths.
  std::shared_ptr<const TType1Font> Type1;

  void NoteText(std::string_view bytes);
  // The Unicode character a single-byte code shows.
  uint16_t CodePointOf(uint8_t code) const;
  void NoteChar(uint8_t code);
  int GetAscent() const;
  // Advance of a byte code in 1/1000 em (standard metrics or CharWidths).
  int CharWidth(uint8_t code) const;
  // Reads ascent, descent, outline metrics and the widths from `Face`.
  void LoadMetrics();

  // Writes the font's objects; nothing for a font that no page selected.
  void WriteFont(TPDFDocument& document);
  // Whether the font's program can be one shared with other fonts of its
  // face: used, embedded, a subset of a face with a Unicode cmap.
  bool CanShareFontFile() const;

 private:
  std::string PdfName() const;
  void WriteStandard(TPDFDocument& document);
  void WriteEmbeddedType1(TPDFDocument& document);
  int64_t WriteType1Descriptor(TPDFDocument& document, int64_t fontFile);
  void WriteSingleByte(TPDFDocument& document);
  void WriteUnicode(TPDFDocument& document);
  int64_t WriteFontFile(TPDFDocument& document, const std::string& program);
  // The stream of a program; `lengths` are the keys that measure its parts.
  int64_t WriteProgramStream(TPDFDocument& document, const std::string& program,
                             const std::string& lengths);
  int64_t WriteSharedFontFile(TPDFDocument& document);
  // What this font shows, as code points of the face and glyphs.
  TShownGlyphs Shown() const;
  int64_t WriteDescriptor(TPDFDocument& document, int64_t fontFile);
  // The ToUnicode map of the codes a single-byte font showed.
  std::string SingleByteToUnicode() const;
  std::string SymbolicToUnicode() const;
  // The "/Widths [...]" line over FirstUsed..LastUsed; codes not shown get 0
  // unless `all`.
  std::string WidthsLine(bool all) const;
  int64_t WriteToUnicode(TPDFDocument& document, const std::string& cmapText);
  // Builds a program, or gives an empty one when the face cannot deliver it
  // (the font is then written without "/FontFile2").
  template <typename Build>
  std::string TryBuildProgram(Build build);
};

}  // namespace pdf
