#include "pdf/font.h"

#include <algorithm>
#include <exception>
#include <vector>

#include "pdf/deflate.h"
#include "pdf/document.h"
#include "pdf/number_format.h"
#include "pdf/pdf_strings.h"
#include "pdf/standard_font_metrics.h"
#include "pdf/to_unicode_cmap.h"
#include "pdf/truetype_subset.h"
#include "pdf/type1_unicode.h"

namespace pdf {

namespace {

struct StandardFont {
  const char* baseFont;
  int ascent;
};

constexpr StandardFont kStandardFonts[14] = {
    {"Helvetica", 728},         {"Helvetica-Bold", 728},
    {"Helvetica-Oblique", 728}, {"Helvetica-BoldOblique", 728},
    {"Times-Roman", 613},       {"Times-Bold", 633},
    {"Times-Italic", 613},      {"Times-BoldItalic", 633},
    {"Courier", 693},           {"Courier-Bold", 677},
    {"Courier-Oblique", 694},   {"Courier-BoldOblique", 677},
    {"Symbol", 1000},           {"ZapfDingbats", 1000}};

}  // namespace

void TPDFFont::NoteText(std::string_view bytes) {
  for (char c : bytes) NoteChar(static_cast<uint8_t>(c));
}

void TPDFFont::NoteChar(uint8_t code) {
  if ((IsStandard && !Type1) || IsUnicode) return;
  UsedChars[code] = true;
  FirstUsed = std::min(FirstUsed, code);
  LastUsed = std::max(LastUsed, code);
}

uint16_t TPDFFont::CodePointOf(uint8_t code) const {
  if (Face && Face->IsSymbol()) return code;
  const char16_t unit = WinAnsiToUnicode(code);
  constexpr char16_t kBullet = 0x2022;
  if (Archival && code >= 127 && unit == code && code < 160) return kBullet;
  return unit;
}

int TPDFFont::GetAscent() const {
  return IsStandard ? kStandardFonts[StandardIndex % 14].ascent : Ascent;
}

int TPDFFont::CharWidth(uint8_t code) const {
  return IsStandard && !Type1 ? StandardFontWidths[StandardIndex % 14][code] : CharWidths[code];
}

void TPDFFont::LoadMetrics() {
  if (!Face) return;
  const platform::FontMetrics& metrics = Face->Metrics();
  Ascent = metrics.ascent;
  Descent = metrics.descent;
  FixedPitch = metrics.fixedPitch;
  OutlineMetrics = metrics;
  if (IsUnicode) {
    GlyphTable = std::make_unique<TTTFData>(*Face, Embed, FixedPitch);
    return;
  }
  for (int code = 0; code < 256; ++code)
    CharWidths[static_cast<size_t>(code)] =
        Face->AdvanceOfCodePoint(CodePointOf(static_cast<uint8_t>(code)));
  if (FixedPitch) CharWidths.fill(CharWidths[0]);
}

std::string TPDFFont::PdfName() const {
  std::string name;
  for (char c : FaceName) {
    if (c == ' ')
      name += "#20";
    else
      name.push_back(c);
  }
  if (Style & kStyleBold) name += "#20Bold";
  if (Style & kStyleItalic) name += "#20Italic";
  return name;
}

void TPDFFont::WriteFont(TPDFDocument& document) {
  if (!IsUsed) return;
  if (Type1)
    WriteEmbeddedType1(document);
  else if (IsStandard)
    WriteStandard(document);
  else if (IsUnicode)
    WriteUnicode(document);
  else
    WriteSingleByte(document);
}

void TPDFFont::WriteStandard(TPDFDocument& document) {
  int64_t number = ObjectNumber;
  document.BeginObject(number);
  document.WriteLine("/Type /Font");
  document.WriteLine("/Subtype /Type1");
  document.WriteLine(std::string("/BaseFont /") + kStandardFonts[StandardIndex % 14].baseFont);
  if (StandardIndex < 12) document.WriteLine("/Encoding /WinAnsiEncoding");
  document.WriteLine("/FirstChar 32");
  document.WriteLine("/LastChar 255");
  document.EndDictionary();
  document.EndObject();
  ObjectNumber = static_cast<int32_t>(number);
}

template <typename Build>
std::string TPDFFont::TryBuildProgram(Build build) {
  try {
    return build();
  } catch (const std::exception&) {
    return {};
  }
}

int64_t TPDFFont::WriteFontFile(TPDFDocument& document, const std::string& program) {
  if (program.empty()) return 0;
  return WriteProgramStream(document, program,
                            " /Length1 " + IntToStr(static_cast<int64_t>(program.size())));
}

int64_t TPDFFont::WriteProgramStream(TPDFDocument& document, const std::string& program,
                                     const std::string& lengths) {
  int64_t number = 0;
  document.BeginObject(number);
  document.WriteStreamLater([program] { return Deflate(program, kFontProgramDeflateLevel); },
                            [lengths](int64_t length) {
                              return "/Filter /FlateDecode /Length " + IntToStr(length) + lengths +
                                     "\r\n";
                            },
                            number, program.size());
  return number;
}

bool TPDFFont::CanShareFontFile() const {
  if (!IsUsed || IsStandard || !Embed || !Face || Face->IsSymbol()) return false;
  // These embed the whole font file of the face.
  const std::string upper = UpperCase(FaceName);
  return upper != "MARLETT" && upper.find(".TMP") == std::string::npos;
}

TShownGlyphs TPDFFont::Shown() const {
  if (IsUnicode) return GlyphTable->Shown();
  TShownGlyphs shown;
  for (int code = FirstUsed; code <= LastUsed; ++code)
    if (UsedChars[static_cast<size_t>(code)])
      shown.codePoints.push_back(CodePointOf(static_cast<uint8_t>(code)));
  return shown;
}

int64_t TPDFFont::WriteSharedFontFile(TPDFDocument& document) {
  TSharedFontFile& shared = *SharedFontFile;
  if (shared.objectNumber >= 0) return shared.objectNumber;
  TShownGlyphs others;
  for (const TPDFFont* font : shared.fonts) {
    if (font == shared.builder) continue;
    const TShownGlyphs shown = font->Shown();
    others.codePoints.insert(others.codePoints.end(), shown.codePoints.begin(),
                             shown.codePoints.end());
    others.glyphs.insert(others.glyphs.end(), shown.glyphs.begin(), shown.glyphs.end());
  }
  const std::string program =
      TryBuildProgram([&] { return shared.builder->GlyphTable->FontProgram(others); });
  shared.objectNumber = WriteFontFile(document, program);
  return shared.objectNumber;
}

int64_t TPDFFont::WriteDescriptor(TPDFDocument& document, int64_t fontFile) {
  const platform::FontMetrics& m = OutlineMetrics;
  int64_t number = 0;
  document.BeginObject(number);
  document.WriteLine("/Type /FontDescriptor");
  document.WriteLine("/Ascent " + IntToStr(m.outlineAscent));
  document.WriteLine("/CapHeight 666");
  document.WriteLine("/Descent " + IntToStr(m.outlineDescent));
  document.WriteLine("/Flags 32");
  document.WriteLine("/FontBBox [" + IntToStr(m.boxLeft) + " " + IntToStr(m.boxBottom) + " " +
                     IntToStr(m.boxRight) + " " + IntToStr(m.boxTop) + "]");
  document.WriteLine("/FontName /" + PdfName());
  document.WriteLine("/ItalicAngle " + IntToStr(m.italicAngle));
  document.WriteLine("/StemV 87");
  if (fontFile > 0) document.WriteKeyReference("/FontFile2 ", fontFile);
  document.EndDictionary();
  document.EndObject();
  return number;
}

void TPDFFont::WriteSingleByte(TPDFDocument& document) {
  // A font that was selected but showed nothing still needs a valid range.
  if (FirstUsed > LastUsed) NoteChar(32);
  int64_t fontFile = 0;
  if (SharedFontFile) {
    fontFile = WriteSharedFontFile(document);
  } else if (Embed && Face) {
    std::vector<uint16_t> codePoints = Shown().codePoints;
    std::sort(codePoints.begin(), codePoints.end());
    if (!codePoints.empty())
      fontFile = WriteFontFile(document, TryBuildProgram([&] {
                                 return TAnsiFontSubset::MakeSubset(*Face, FaceName, codePoints,
                                                                    document.IsPdfA());
                               }));
  }
  const int64_t descriptor = WriteDescriptor(document, fontFile);
  // Archived text must stay extractable.
  const int64_t toUnicode = document.IsPdfA() ? WriteToUnicode(document, SingleByteToUnicode()) : 0;

  int64_t number = ObjectNumber;
  document.BeginObject(number);
  document.WriteLine("/Type /Font");
  document.WriteLine("/Subtype /TrueType");
  document.WriteLine("/BaseFont /" + PdfName());
  document.WriteKeyInteger("/FirstChar ", FirstUsed);
  document.WriteKeyInteger("/LastChar ", LastUsed);
  document.WriteLine(IsSymbolic ? "/Encoding /MacRomanEncoding" : "/Encoding /WinAnsiEncoding");
  document.WriteKeyReference("/FontDescriptor ", descriptor);
  document.WriteLine(WidthsLine(false));
  if (toUnicode > 0) document.WriteKeyReference("/ToUnicode ", toUnicode);
  document.EndDictionary();
  document.EndObject();
  ObjectNumber = static_cast<int32_t>(number);
}

std::string TPDFFont::WidthsLine(bool all) const {
  std::string widths = "/Widths [";
  for (int code = FirstUsed; code <= LastUsed; ++code) {
    const auto index = static_cast<size_t>(code);
    if (all || UsedChars[index]) {
      AppendInteger(widths, CharWidths[index]);
      widths += ' ';
    } else {
      widths += "0 ";
    }
    if (code % 16 == 0) widths += "\r\n";
  }
  widths += ']';
  return widths;
}

std::string TPDFFont::SingleByteToUnicode() const {
  std::vector<TToUnicodeEntry> entries;
  const bool symbol = Face && Face->IsSymbol();
  for (int code = FirstUsed; code <= LastUsed; ++code) {
    if (!UsedChars[static_cast<size_t>(code)]) continue;
    // A symbol face's glyphs sit in the private use area its cmap maps.
    const uint16_t codePoint =
        symbol ? static_cast<uint16_t>(0xF000 + code) : CodePointOf(static_cast<uint8_t>(code));
    entries.push_back({static_cast<uint16_t>(code), codePoint});
  }
  return MakeSingleByteToUnicodeCMap(ResourceName, entries);
}

int64_t TPDFFont::WriteToUnicode(TPDFDocument& document, const std::string& cmapText) {
  int64_t number = 0;
  document.BeginObject(number);
  document.WriteStreamLater(
      [cmapText] { return Deflate(cmapText); },
      [](int64_t length) { return "/Filter /FlateDecode /Length " + IntToStr(length) + "\r\n"; },
      number, cmapText.size());
  return number;
}

// The whole program is embedded (some 40 KB): the font is symbolic, its
// built-in encoding stands, and ToUnicode says what its codes mean.
void TPDFFont::WriteEmbeddedType1(TPDFDocument& document) {
  if (FirstUsed > LastUsed) NoteChar(32);
  const TType1Font& program = *Type1;
  const int64_t fontFile = WriteProgramStream(
      document, program.Program(),
      " /Length1 " + IntToStr(static_cast<int64_t>(program.cleartext.size())) + " /Length2 " +
          IntToStr(static_cast<int64_t>(program.encrypted.size())) + " /Length3 " +
          IntToStr(static_cast<int64_t>(program.trailer.size())));
  const int64_t descriptor = WriteType1Descriptor(document, fontFile);
  const int64_t toUnicode = WriteToUnicode(document, SymbolicToUnicode());

  int64_t number = ObjectNumber;
  document.BeginObject(number);
  document.WriteLine("/Type /Font");
  document.WriteLine("/Subtype /Type1");
  document.WriteLine("/BaseFont /" + program.fontName);
  document.WriteKeyInteger("/FirstChar ", FirstUsed);
  document.WriteKeyInteger("/LastChar ", LastUsed);
  document.WriteKeyReference("/FontDescriptor ", descriptor);
  document.WriteLine(WidthsLine(true));
  document.WriteKeyReference("/ToUnicode ", toUnicode);
  document.EndDictionary();
  document.EndObject();
  ObjectNumber = static_cast<int32_t>(number);
}

int64_t TPDFFont::WriteType1Descriptor(TPDFDocument& document, int64_t fontFile) {
  const TType1Font& program = *Type1;
  const auto& box = program.fontBBox;
  constexpr int kSymbolicFlag = 4;
  int64_t number = 0;
  document.BeginObject(number);
  document.WriteLine("/Type /FontDescriptor");
  document.WriteLine("/Ascent " + IntToStr(program.ascent));
  document.WriteLine("/CapHeight " + IntToStr(program.capHeight));
  document.WriteLine("/Descent " + IntToStr(program.descent));
  document.WriteLine("/Flags " + IntToStr(kSymbolicFlag));
  document.WriteLine("/FontBBox [" + IntToStr(box[0]) + " " + IntToStr(box[1]) + " " +
                     IntToStr(box[2]) + " " + IntToStr(box[3]) + "]");
  document.WriteLine("/FontName /" + program.fontName);
  document.WriteLine("/ItalicAngle " + FormatNumber(program.italicAngle));
  document.WriteLine("/StemV " + IntToStr(program.stemV));
  document.WriteKeyReference("/FontFile ", fontFile);
  document.EndDictionary();
  document.EndObject();
  return number;
}

std::string TPDFFont::SymbolicToUnicode() const {
  std::vector<TToUnicodeEntry> entries;
  for (int code = FirstUsed; code <= LastUsed; ++code) {
    if (!UsedChars[static_cast<size_t>(code)]) continue;
    const auto byte = static_cast<uint8_t>(code);
    const uint16_t codePoint =
        StandardIndex == 12 ? SymbolCodeToUnicode(byte) : DingbatsCodeToUnicode(byte);
    if (codePoint != 0) entries.push_back({byte, codePoint});
  }
  return MakeSingleByteToUnicodeCMap(ResourceName, entries);
}

void TPDFFont::WriteUnicode(TPDFDocument& document) {
  int64_t fontFile = 0;
  if (SharedFontFile) {
    fontFile = WriteSharedFontFile(document);
  } else if (Embed && Face) {
    if (UpperCase(FaceName).find(".TMP") != std::string::npos)
      fontFile = WriteFontFile(document, Face->WholeFile().value_or(std::string()));
    else
      fontFile =
          WriteFontFile(document, TryBuildProgram([&] { return GlyphTable->FontProgram(); }));
  }
  const int64_t descriptor = WriteDescriptor(document, fontFile);

  int64_t descendant = 0;
  document.BeginObject(descendant);
  document.WriteLine("/Type /Font");
  document.WriteLine("/BaseFont /" + PdfName());
  document.WriteLine("/Subtype /CIDFontType2");
  document.WriteLine("/CIDSystemInfo <</Ordering(Identity)/Registry(Adobe)/Supplement 0>>");
  document.WriteLine("/DW 1000");
  document.WriteLine("/W" + GlyphTable->WidthArray());
  document.WriteKeyReference("/FontDescriptor ", descriptor);
  // Character codes are the glyph numbers of the program, which keeps the
  // face's numbering; PDF/A wants that said.
  if (document.IsPdfA()) document.WriteLine("/CIDToGIDMap /Identity");
  document.EndDictionary();
  document.EndObject();

  const int64_t toUnicode = WriteToUnicode(document, GlyphTable->ToUnicode(ResourceName));

  int64_t number = ObjectNumber;
  document.BeginObject(number);
  document.WriteLine("/Type /Font");
  document.WriteLine("/Subtype /Type0");
  document.WriteLine("/BaseFont /" + PdfName());
  document.WriteLine("/Encoding /Identity-H");
  document.WriteLine("/DescendantFonts [" + IntToStr(descendant) + " 0 R]");
  document.WriteKeyReference("/ToUnicode ", toUnicode);
  document.EndDictionary();
  document.EndObject();
  ObjectNumber = static_cast<int32_t>(number);
}

}  // namespace pdf
