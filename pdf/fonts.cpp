#include "pdf/fonts.h"

#include <map>
#include <optional>

#include "pdf/document.h"
#include "pdf/number_format.h"
#include "pdf/pdf_strings.h"
#include "platform/code_pages.h"
#include "platform/font_catalog.h"

namespace pdf {

namespace {

int StandardIndexOf(const std::string& upperName, uint8_t style) {
  const int variant = style & (kStyleBold | kStyleItalic);
  if (upperName == "HELVETICA") return variant;
  if (upperName == "TIMES") return 4 + variant;
  if (upperName == "COURIER") return 8 + variant;
  if (upperName == "SYMBOL") return 12;
  if (upperName == "ZAPFDINGBATS") return 13;
  return -1;
}

uint8_t StyleOf(const platform::FontFaceEntry& face) {
  return static_cast<uint8_t>((face.weight >= 600 ? kStyleBold : 0) |
                              (face.italic ? kStyleItalic : 0));
}

// PDF/A embeds every font: a standard font becomes the installed TrueType
// face that fontconfig gives as metric-compatible with it (Liberation).
// Symbol and ZapfDingbats embed their Type 1 programs (kSymbolicFamilies);
// only when those are missing do they take the sans-serif face.
constexpr const char* kMetricCompatibleFaces[14] = {
    "Arial",           "Arial",           "Arial",           "Arial",       "Times New Roman",
    "Times New Roman", "Times New Roman", "Times New Roman", "Courier New", "Courier New",
    "Courier New",     "Courier New",     "Arial",           "Arial"};

// The installed Type 1 faces drawn like Symbol and ZapfDingbats (URW base35).
constexpr const char* kSymbolicFamilies[2] = {"Standard Symbols PS", "D050000L"};

struct ResolvedFace {
  std::string name;
  uint8_t style = 0;
  platform::FontFaceEntry face;
};

// The installed TrueType face for a name and style, degrading the style
// (without italic, without bold, regular, the first face's) until a cut of
// the family matches.
std::optional<ResolvedFace> ResolveTrueTypeFace(const std::string& name, uint8_t style) {
  std::vector<platform::FontFaceEntry> faces;
  for (auto& face : platform::EnumerateFaces(name, platform::SystemDefaultCharset()))
    if (face.trueType) faces.push_back(std::move(face));
  if (faces.empty()) return std::nullopt;

  std::vector<uint8_t> wanted = {style};
  if (style & kStyleItalic) wanted.push_back(static_cast<uint8_t>(style & ~kStyleItalic));
  if (style & kStyleBold) wanted.push_back(static_cast<uint8_t>(style & ~kStyleBold));
  wanted.push_back(0);
  wanted.push_back(StyleOf(faces.front()));
  for (uint8_t want : wanted)
    for (const auto& face : faces)
      if (StyleOf(face) == want) return ResolvedFace{face.family, want, face};
  return std::nullopt;
}

}  // namespace

TPDFFonts::TPDFFonts(TPDFDocument& document) : document_(document) {}
TPDFFonts::~TPDFFonts() = default;

TPDFFont& TPDFFonts::ObtainFont(const std::string& faceName, uint8_t style, bool isUnicode) {
  return Request(faceName, static_cast<uint8_t>(style & (kStyleBold | kStyleItalic)), isUnicode, 0);
}

TPDFFont& TPDFFonts::ObtainStandard(int index) {
  for (auto& font : items_)
    if (font->IsStandard && font->StandardIndex == index) return *font;
  auto font = std::make_unique<TPDFFont>();
  font->IsStandard = true;
  font->StandardIndex = static_cast<uint8_t>(index);
  font->ResourceName = "Fnt" + IntToStr(index);
  items_.push_back(std::move(font));
  return *items_.back();
}

TPDFFont* TPDFFonts::ObtainEmbeddedSymbolic(int index) {
  if (index < 12 || index > 13) return nullptr;
  for (auto& font : items_)
    if (font->Type1 && font->StandardIndex == index) return font.get();
  bool& missing = symbolicMissing_[static_cast<size_t>(index - 12)];
  if (missing) return nullptr;
  auto program = LoadInstalledType1Font(kSymbolicFamilies[index - 12]);
  if (!program) {
    missing = true;
    return nullptr;
  }
  TPDFFont& font = ObtainStandard(index);
  font.Type1 = std::make_shared<const TType1Font>(std::move(*program));
  font.CharWidths = font.Type1->widths;
  font.Embed = true;
  return &font;
}

TPDFFont* TPDFFonts::FindTrueType(const std::string& upperName, uint8_t style, bool isUnicode) {
  for (auto& font : items_)
    if (!font->IsStandard &&
        (UpperCase(font->FaceName) == upperName || font->RequestedName == upperName) &&
        font->Style == style && font->IsUnicode == isUnicode)
      return font.get();
  return nullptr;
}

TPDFFont& TPDFFonts::Request(const std::string& faceName, uint8_t style, bool isUnicode,
                             int depth) {
  const std::string upper = UpperCase(faceName);
  const bool embedAll = document_.IsPdfA();
  if (!isUnicode) {
    int index = StandardIndexOf(upper, style);
    // Emulation means not embedding, which PDF/A forbids.
    if (index < 0 && document_.EmulateStandardFont() && !embedAll) {
      if (upper == "ARIAL") index = StandardIndexOf("HELVETICA", style);
      if (upper == "TIMES NEW ROMAN") index = StandardIndexOf("TIMES", style);
      if (upper == "COURIER NEW") index = StandardIndexOf("COURIER", style);
    }
    if (index >= 0) {
      if (!embedAll || depth > 0) return ObtainStandard(index);
      if (TPDFFont* symbolic = ObtainEmbeddedSymbolic(index)) return *symbolic;
      return Request(kMetricCompatibleFaces[index], style, false, depth + 1);
    }
  }
  if (TPDFFont* found = FindTrueType(upper, style, isUnicode)) return *found;

  auto resolved = ResolveTrueTypeFace(faceName, style);
  std::shared_ptr<const platform::FontFace> face;
  if (resolved) face = platform::FontFace::Shared(resolved->face.file, resolved->face.index);
  // A face without TrueType outlines cannot be embedded as TrueType.
  if (!face || !face->HasGlyfTable()) {
    if ((isUnicode || embedAll) && depth == 0) return Request("Arial", style, isUnicode, 1);
    return ObtainStandard(StandardIndexOf("HELVETICA", style));
  }
  if (resolved->style != style)
    if (TPDFFont* found = FindTrueType(upper, resolved->style, isUnicode)) return *found;

  auto font = std::make_unique<TPDFFont>();
  font->FaceName = resolved->name;
  font->RequestedName = upper;
  font->Style = resolved->style;
  font->IsUnicode = isUnicode;
  font->IsSymbolic = upper == "WINGDINGS";
  font->Embed = true;
  if (!embedAll)
    for (const std::string& name : document_.NonEmbeddedFont())
      if (UpperCase(name) == upper) font->Embed = false;
  font->Face = std::move(face);
  font->Archival = embedAll;
  font->LoadMetrics();
  if (font->GlyphTable) font->GlyphTable->SetArchival(embedAll);
  items_.push_back(std::move(font));
  int trueTypeCount = 0;
  for (auto& item : items_)
    if (!item->IsStandard) ++trueTypeCount;
  items_.back()->ResourceName = "TT" + IntToStr(trueTypeCount);
  return *items_.back();
}

void TPDFFonts::ShareFontFiles() {
  std::map<const platform::FontFace*, std::shared_ptr<TSharedFontFile>> byFace;
  for (auto& font : items_) {
    font->SharedFontFile.reset();
    if (!font->CanShareFontFile()) continue;
    auto& shared = byFace[font->Face.get()];
    if (!shared) shared = std::make_shared<TSharedFontFile>();
    shared->fonts.push_back(font.get());
    if (font->IsUnicode && !shared->builder) shared->builder = font.get();
  }
  for (auto& [face, shared] : byFace)
    if (shared->builder && shared->fonts.size() > 1)
      for (TPDFFont* font : shared->fonts) font->SharedFontFile = shared;
}

void TPDFFonts::WriteFonts() {
  ShareFontFiles();
  for (auto& font : items_) font->WriteFont(document_);
}

bool TPDFFonts::IsTrueTypeFace(const std::string& name, int charset) {
  return platform::FirstFaceIsTrueType(name, charset);
}

std::string TPDFFonts::FirstTrueTypeFace(int charset) {
  return platform::FirstTrueTypeFamily(charset);
}

}  // namespace pdf
