#include <algorithm>
#include <cmath>
#include <numbers>

#include "pdf/document.h"
#include "pdf/fonts.h"
#include "pdf/number_format.h"
#include "pdf/page.h"
#include "pdf/pdf_exception.h"
#include "pdf/pdf_strings.h"
#include "platform/code_pages.h"

namespace pdf {

namespace {

constexpr int kSingleByte = 0;
constexpr int kUnicode = 1;

int KindOf(char16_t unit) { return IsWinAnsiChar(unit) ? kSingleByte : kUnicode; }

bool Usable(double value) { return std::isfinite(value) && value != 0; }

std::string LowerCase(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// Low bytes of the units, as the link search reads Unicode text.
std::string LowBytes(std::u16string_view text) {
  std::string bytes;
  for (char16_t unit : text) bytes.push_back(static_cast<char>(unit & 0xFF));
  return bytes;
}

std::u16string ToUnicode(int charset, std::string_view bytes) {
  std::u16string units = platform::MultiByteToWide(CharsetToCodePage(charset), bytes);
  if (units.empty()) throw TPDFException(msg::kCannotConvertToUnicode);
  return units;
}

}  // namespace

// --- Text state ---------------------------------------------------------------

TPDFPage::TextStateSave TPDFPage::SavedTextState() const {
  return {characterSpacing_, wordSpacing_, horizontalScaling_, renderingMode_};
}

// Q brings back the text state of the matching q; the remembered values must
// follow, or a later Tz/Tw/Tc equal to the forgotten value is not written.
void TPDFPage::RestoreTextState(const TextStateSave& saved) {
  characterSpacing_ = saved.characterSpacing;
  wordSpacing_ = saved.wordSpacing;
  horizontalScaling_ = saved.horizontalScaling;
  renderingMode_ = saved.renderingMode;
}

void TPDFPage::OpenTextObject() {
  if (inText_) return;
  AppendLine("BT");
  inText_ = true;
}

void TPDFPage::SetActiveFont(const std::string& name, uint8_t style, int charset, double size) {
  if (!std::isfinite(size)) size = 0;
  if (name != fontName_ || style != fontStyle_ || size != fontSize_) {
    fontName_ = name;
    fontStyle_ = style;
    fontSize_ = size;
    fontDirty_ = true;
    fontVariant_ = kSingleByte;
    requestedFonts_[0] = requestedFonts_[1] = nullptr;
  }
  fontCharset_ = charset == 1 ? platform::SystemDefaultCharset() : charset;
}

void TPDFPage::SetTextRenderingMode(int mode) {
  OpenTextObject();
  AppendLine(IntToStr(mode) + " Tr");
  renderingMode_ = mode;
}

void TPDFPage::SetCharacterSpacing(double deviceUnits) {
  WriteCharacterSpacing(ExtLength(deviceUnits));
}

void TPDFPage::WriteCharacterSpacing(double value) {
  if (!std::isfinite(value) || value == characterSpacing_) return;
  characterSpacing_ = value;
  OpenTextObject();
  AppendLine(FormatNumber(value, true) + " Tc");
}

void TPDFPage::SetWordSpacing(double deviceUnits) {
  const double value = ExtLength(deviceUnits);
  if (!std::isfinite(value) || value == wordSpacing_) return;
  wordSpacing_ = value;
  OpenTextObject();
  AppendLine(FormatNumber(value) + " Tw");
}

void TPDFPage::SetHorizontalScaling(double percent) {
  if (!std::isfinite(percent) || percent == horizontalScaling_) return;
  horizontalScaling_ = percent;
  OpenTextObject();
  AppendLine(FormatNumber(percent) + " Tz");
}

// --- Marked text ------------------------------------------------------------------

// The span holds whole text objects: it opens and closes outside BT ... ET.
void TPDFPage::BeginActualText(std::u16string_view text) {
  EndText();
  AppendLine("/Span <</ActualText <" + UnicodeToHex(text) + ">>> BDC");
}

void TPDFPage::BeginActualText(std::string_view bytes) {
  EndText();
  AppendLine("/Span <</ActualText <" + ToUnicodeHex(bytes, fontCharset_) + ">>> BDC");
}

void TPDFPage::EndActualText() {
  EndText();
  AppendLine("EMC");
}

// --- Fonts ----------------------------------------------------------------------

// Measuring asks for the font once per character; the collection's lookup
// is only needed when the request changes.
TPDFFont& TPDFPage::FontFor(int variant) {
  TPDFFont*& font = requestedFonts_[variant == kUnicode ? 1 : 0];
  if (font == nullptr)
    font = &document_.Fonts().ObtainFont(fontName_, fontStyle_, variant == kUnicode);
  return *font;
}

TPDFFont& TPDFPage::SelectFont(int variant) {
  TPDFFont& font = FontFor(variant);
  if (!fontDirty_ && fontSelected_ && fontVariant_ == variant) return font;
  OpenTextObject();
  usesText_ = true;
  if (std::find(pageFonts_.begin(), pageFonts_.end(), &font) == pageFonts_.end())
    pageFonts_.push_back(&font);
  AppendLine("/" + font.ResourceName + " 1 Tf");
  font.IsUsed = true;
  fontDirty_ = false;
  fontSelected_ = true;
  fontVariant_ = variant;
  fontSaveDepth_ = SaveDepth();
  return font;
}

void TPDFPage::WriteFontResources() {
  if (pageFonts_.empty()) return;
  document_.WriteLine(" /Font <<");
  for (TPDFFont* font : pageFonts_) {
    if (font->ObjectNumber < 1)
      font->ObjectNumber = static_cast<int32_t>(document_.AllocObjectNumber());
    document_.WriteLine("/" + font->ResourceName + " " + IntToStr(font->ObjectNumber) + " 0 R");
  }
  document_.EndDictionary();
}

// --- Placing text ---------------------------------------------------------------

// Writes the text matrix; false when the size leaves nothing to draw.
bool TPDFPage::PlaceText(double x, double y, double angle, int variant) {
  if (!Usable(fontSize_)) return false;
  if (!std::isfinite(angle)) angle = 0;
  const double k = fontSize_;
  const double ascent = baselineOrigin_ ? 0 : FontFor(variant).GetAscent() * k / 1000;
  const double radians = angle * std::numbers::pi / 180;
  const double sine = std::sin(radians), cosine = std::cos(radians);
  double X = ExtX(x), Y = ExtY(y);
  if (textAxes_) return PlaceTextOnAxes(X, Y, ascent);
  if (angle == 0) {
    Y -= ascent;
  } else {
    X += ascent * sine;
    Y -= ascent * cosine;
  }
  OpenTextObject();
  std::string line;
  for (double value : {k * cosine, k * sine, -k * sine, k * cosine, X, Y}) {
    AppendNumber(line, Operand(value));
    line += ' ';
  }
  line += "Tm";
  AppendLine(line);
  textX_ = X;
  textY_ = Y;
  textAngle_ = angle;
  return true;
}

bool TPDFPage::PlaceTextOnAxes(double X, double Y, double ascent) {
  const std::array<double, 4>& axes = *textAxes_;
  for (double v : axes)
    if (!std::isfinite(v)) return false;
  const double k = fontSize_;
  X -= ascent * axes[2];
  Y -= ascent * axes[3];
  OpenTextObject();
  std::string line;
  for (double value : {k * axes[0], k * axes[1], k * axes[2], k * axes[3], X, Y}) {
    AppendNumber(line, value);
    line += ' ';
  }
  line += "Tm";
  AppendLine(line);
  textX_ = X;
  textY_ = Y;
  textAngle_ = std::atan2(axes[1], axes[0]) * 180 / std::numbers::pi;
  return true;
}

std::vector<double> TPDFPage::TextSpaceAdvances(std::span<const double> advances,
                                                size_t count) const {
  std::vector<double> out(count, 0);
  const double scale = static_cast<double>(factor_) * fontSize_;
  for (size_t i = 0; i < count && i < advances.size(); ++i) {
    const double value = advances[i] / scale;
    out[i] = std::isfinite(value) ? value : 0;
  }
  return out;
}

// --- Output ---------------------------------------------------------------------

void TPDFPage::TextOut(std::string_view text, double x, double y, double angle) {
  if (text.empty() || !PlaceText(x, y, angle, kSingleByte)) return;
  WriteSingleByteText(std::string(text));
  if (angle == 0 && !textAxes_)
    CreateTextLinks(LowerCase(std::string(text)), std::string(text), x, y);
}

void TPDFPage::UnicodeTextOut(std::u16string_view text, double x, double y, double angle) {
  if (text.empty() || !PlaceText(x, y, angle, KindOf(text[0]))) return;
  WriteUnicodeText(std::u16string(text));
  if (angle == 0 && !textAxes_) CreateTextLinks(LowerCase(LowBytes(text)), LowBytes(text), x, y);
}

void TPDFPage::WriteSingleByteText(std::string text) {
  usesText_ = true;
  for (char& c : text)
    if (static_cast<uint8_t>(c) < 32) c = ' ';
  if (fontCharset_ != 0) {
    WriteUnicodeText(ToUnicode(fontCharset_, text));
    return;
  }
  TPDFFont& font = SelectFont(kSingleByte);
  if (!font.IsStandard) std::replace(text.begin(), text.end(), '\xA0', ' ');
  font.NoteText(text);
  AppendLine("(" + EscapeString(text) + ") Tj");
  if (fontStyle_ & (kStyleUnderline | kStyleStrikeOut)) DrawDecorations(TextWidth(text));
}

void TPDFPage::WriteRun(int kind, std::u16string_view units) {
  TPDFFont& font = SelectFont(kind);
  if (kind == kSingleByte) {
    std::string bytes;
    for (char16_t unit : units) {
      const uint8_t byte = UnicodeToWinAnsi(unit);
      bytes.push_back(static_cast<char>(byte < 32 ? ' ' : byte));
    }
    font.NoteText(bytes);
    AppendLine("(" + EscapeString(bytes) + ") Tj");
    return;
  }
  if (!font.GlyphTable) return;  // the Helvetica of last resort has no glyph codes
  std::string line = "<";
  for (char16_t unit : units)
    AppendWordHex(line, font.GlyphTable->CodeFor(font.GlyphTable->GlyphFor(unit)));
  line += "> Tj";
  AppendLine(line);
}

void TPDFPage::WriteUnicodeText(std::u16string text) {
  usesText_ = true;
  std::replace(text.begin(), text.end(), u'\xA0', u' ');
  size_t start = 0;
  while (start < text.size()) {
    const int kind = KindOf(text[start]);
    size_t end = start + 1;
    while (end < text.size() && KindOf(text[end]) == kind) ++end;
    WriteRun(kind, std::u16string_view(text).substr(start, end - start));
    start = end;
  }
  if (fontStyle_ & (kStyleUnderline | kStyleStrikeOut)) DrawDecorations(UnicodeTextWidth(text));
}

void TPDFPage::ExtTextOut(std::string_view text, std::span<const double> advances, double x,
                          double y, double angle) {
  if (advances.empty()) return TextOut(text, x, y, angle);
  if (text.empty() || !PlaceText(x, y, angle, kSingleByte)) return;
  usesText_ = true;
  std::string bytes(text);
  for (char& c : bytes)
    if (static_cast<uint8_t>(c) < 32) c = ' ';
  if (fontCharset_ != 0) {
    const std::u16string units = ToUnicode(fontCharset_, bytes);
    // Double-byte code pages give fewer units than bytes; their per-byte
    // advances no longer line up, so the font's own advances are used.
    if (units.size() != bytes.size()) return WriteUnicodeText(units);
    const auto spaced = TextSpaceAdvances(advances, units.size());
    return WriteSpacedRuns(units, spaced, false);
  }
  const auto spaced = TextSpaceAdvances(advances, bytes.size());
  SetHorizontalScaling(100);
  if (wordSpacing_ != 0) {
    wordSpacing_ = 0;
    OpenTextObject();
    AppendLine("0 Tw");
  }
  WriteCharacterSpacing(0);
  TPDFFont& font = SelectFont(kSingleByte);
  if (!font.IsStandard) std::replace(bytes.begin(), bytes.end(), '\xA0', ' ');
  font.NoteText(bytes);
  double total = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    AppendLine("(" + EscapeString(bytes.substr(i, 1)) + ") Tj " + FormatNumber(spaced[i]) +
               " 0 Td");
    total += spaced[i];
  }
  if (fontStyle_ & (kStyleUnderline | kStyleStrikeOut)) DrawDecorations(total * fontSize_);
  if (angle == 0 && !textAxes_)
    CreateTextLinks(LowerCase(std::string(text)), std::string(text), x, y);
}

void TPDFPage::UnicodeExtTextOut(std::u16string_view text, std::span<const double> advances,
                                 double x, double y, double angle) {
  if (advances.empty()) return UnicodeTextOut(text, x, y, angle);
  if (text.empty() || !PlaceText(x, y, angle, KindOf(text[0]))) return;
  usesText_ = true;
  WriteSpacedRuns(text, TextSpaceAdvances(advances, text.size()), false);
  if (angle == 0 && !textAxes_) CreateTextLinks(LowerCase(LowBytes(text)), LowBytes(text), x, y);
}

void TPDFPage::GlyphTextOut(std::span<const uint16_t> glyphs, std::span<const double> advances,
                            double x, double y, double angle) {
  if (glyphs.empty() || FontFor(kUnicode).IsStandard) return;
  if (!PlaceText(x, y, angle, kUnicode)) return;
  usesText_ = true;
  const std::u16string units(glyphs.begin(), glyphs.end());
  if (!advances.empty())
    return WriteSpacedRuns(units, TextSpaceAdvances(advances, units.size()), true);

  TPDFFont& font = SelectFont(kUnicode);
  std::string line = "<";
  double width = 0;
  int blanks = 0;
  const uint16_t blankGlyph = font.GlyphTable->GlyphOf(32);
  for (uint16_t glyph : glyphs) {
    width += font.GlyphTable->UseGlyph(glyph);
    if (glyph == blankGlyph) ++blanks;
    AppendWordHex(line, font.GlyphTable->CodeFor(glyph));
  }
  line += "> Tj";
  AppendLine(line);
  if (!(fontStyle_ & (kStyleUnderline | kStyleStrikeOut))) return;
  width = width * fontSize_ / 1000;
  if (horizontalScaling_ != 100) width = width * horizontalScaling_ / 100;
  if (wordSpacing_ > 0) width += wordSpacing_ * blanks;
  if (characterSpacing_ > 0) width += characterSpacing_ * static_cast<double>(glyphs.size());
  DrawDecorations(width);
}

double TPDFPage::NaturalAdvance(int kind, char16_t unit) {
  TPDFFont& font = FontFor(kind);
  double width = 0;
  if (kind == kSingleByte)
    width = font.CharWidth(UnicodeToWinAnsi(unit));
  else if (font.GlyphTable)
    width = font.GlyphTable->WidthFor(unit);
  width /= 1000;
  if (horizontalScaling_ != 100) width = width * horizontalScaling_ / 100;
  return width;
}

// Runs of one kind whose units keep their natural advance (within 0.1), each
// ended by the first unit that does not; the difference is spread over the
// run's units with Tc and the next run is placed with Td.
void TPDFPage::WriteSpacedRuns(std::u16string_view units, const std::vector<double>& advances,
                               bool glyphs) {
  if (wordSpacing_ != 0) {
    wordSpacing_ = 0;
    OpenTextObject();
    AppendLine("0 Tw");
  }
  std::u16string text(units);
  if (!glyphs) std::replace(text.begin(), text.end(), u'\xA0', u' ');
  double total = 0;
  size_t start = 0;
  while (start < text.size()) {
    const int kind = glyphs ? kUnicode : KindOf(text[start]);
    TPDFFont& font = SelectFont(kind);
    double natural = 0, requested = 0, ending = 0;
    int matching = 0;
    size_t end = start;
    while (end < text.size() && (glyphs || KindOf(text[end]) == kind)) {
      const double advance = glyphs ? (font.GlyphTable ? font.GlyphTable->UseGlyph(text[end]) : 0) /
                                          1000.0 *
                                          (horizontalScaling_ != 100 ? horizontalScaling_ / 100 : 1)
                                    : NaturalAdvance(kind, text[end]);
      requested += advances[end];
      ++end;
      if (std::fabs(advance - advances[end - 1]) > 0.1) {
        ending = advances[end - 1];
        break;
      }
      natural += advance;
      ++matching;
    }
    // The units before the ending one share the difference so that the
    // ending unit starts where its own requested place is; its advance only
    // joins the move to the next run. A run whose first unit already differs
    // needs no spacing change.
    if (matching > 0) WriteCharacterSpacing((requested - ending - natural) / matching);
    const std::u16string_view run = std::u16string_view(text).substr(start, end - start);
    if (glyphs) {
      std::string line = "<";
      for (char16_t glyph : run) AppendWordHex(line, font.GlyphTable->CodeFor(glyph));
      AppendLine(line + "> Tj");
    } else {
      WriteRun(kind, run);
    }
    total += requested;
    start = end;
    if (start < text.size()) AppendLine(FormatNumber(requested) + " 0 Td");
  }
  if (fontStyle_ & (kStyleUnderline | kStyleStrikeOut)) DrawDecorations(total * fontSize_);
}

// --- Measuring ------------------------------------------------------------------

double TPDFPage::TextWidth(std::string_view text) {
  if (horizontalScaling_ <= 0 || text.empty()) return 0;
  if (fontCharset_ != 0) return UnicodeTextWidth(ToUnicode(fontCharset_, text));
  const TPDFFont& font = FontFor(kSingleByte);
  double sum = 0;
  int blanks = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    sum += font.CharWidth(static_cast<uint8_t>(text[i]));
    if (text[i] == ' ' && i + 1 < text.size()) ++blanks;
  }
  double width = sum * fontSize_ / 1000;
  if (horizontalScaling_ != 100) width = width * horizontalScaling_ / 100;
  if (wordSpacing_ > 0) width += wordSpacing_ * blanks;
  if (characterSpacing_ > 0) {
    const bool lastEmpty = font.CharWidth(static_cast<uint8_t>(text.back())) == 0;
    width += characterSpacing_ * static_cast<double>(text.size() - (lastEmpty ? 1 : 0));
  }
  return width;
}

double TPDFPage::UnicodeTextWidth(std::u16string_view text) {
  if (horizontalScaling_ <= 0 || text.empty()) return 0;
  double sum = 0, last = 0;
  int blanks = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    last = NaturalAdvance(KindOf(text[i]), text[i]) * 1000;
    if (horizontalScaling_ != 100) last = last * 100 / horizontalScaling_;
    sum += last;
    if (text[i] == u' ' && i + 1 < text.size()) ++blanks;
  }
  double width = sum * fontSize_ / 1000;
  if (horizontalScaling_ != 100) width = width * horizontalScaling_ / 100;
  if (wordSpacing_ > 0) width += wordSpacing_ * blanks;
  if (characterSpacing_ > 0)
    width += characterSpacing_ * static_cast<double>(text.size() - (last == 0 ? 1 : 0));
  return width;
}

}  // namespace pdf
