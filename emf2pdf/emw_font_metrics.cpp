#include "emf2pdf/emw_font_metrics.h"

#include <cmath>

#include "pdf/fonts.h"
#include "pdf/pdf_strings.h"
#include "platform/code_pages.h"
#include "platform/font_catalog.h"

namespace emf2pdf {

namespace {

// GDI's height of a LOGFONT with lfHeight 0 (12 points on a 96 dpi device).
constexpr double kDefaultEm = 16;

}  // namespace

std::string FaceNameOf(const LogFont& font) {
  std::u16string name = font.lfFaceName;
  const size_t nul = name.find(u'\0');
  if (nul != std::u16string::npos) name.resize(nul);
  return platform::Utf16ToUtf8(name);
}

ResolvedFont ResolveFont(const LogFont& font) {
  const std::string face = FaceNameOf(font);
  const std::string upper = pdf::UpperCase(face);
  int charset = font.lfCharSet;
  bool substitute = upper == "HELVETICA" && charset != 0;
  const bool symbol = upper == "WINGDINGS";
  if (symbol) charset = 2;
  std::string replacement;
  if (!pdf::TPDFFonts::IsTrueTypeFace(face, charset)) {
    if (charset == platform::SystemDefaultCharset() && pdf::TPDFFonts::IsTrueTypeFace(face, 1)) {
      charset = 1;
    } else {
      substitute = true;
      replacement = pdf::TPDFFonts::FirstTrueTypeFace(charset);
    }
  }
  if (!substitute) return {face, 0, symbol};
  if (upper == "COURIER") return {"Courier New", charset, symbol};
  if (upper == "TIMES") return {"Times New Roman", charset, symbol};
  if (!replacement.empty()) return {replacement, charset, symbol};
  return {"Arial", 0, symbol};
}

const platform::FontFace* EmwFontMetrics::Face(const LogFont& font) {
  const bool bold = font.lfWeight >= 600;
  const bool italic = font.lfItalic != 0;
  const std::string key = FaceNameOf(font) + "|" + std::to_string(font.lfCharSet) +
                          (bold ? "|b" : "|") + (italic ? "i" : "");
  auto found = faces_.find(key);
  if (found != faces_.end()) return found->second.get();

  const std::string name = ResolveFont(font).name;
  std::shared_ptr<const platform::FontFace> face;
  for (const std::string& family : {name, std::string("Arial")}) {
    const platform::FontFaceEntry* best = nullptr;
    const auto faces = platform::EnumerateFaces(family, platform::kAnsiCharset);
    for (const auto& entry : faces) {
      if (!entry.trueType) continue;
      if (best == nullptr) best = &entry;
      if ((entry.weight >= 600) == bold && entry.italic == italic) {
        best = &entry;
        break;
      }
    }
    if (best != nullptr) face = platform::FontFace::Shared(best->file, best->index);
    if (face) break;
  }
  return (faces_[key] = std::move(face)).get();
}

EmwTextMetrics EmwFontMetrics::Metrics(const LogFont& font) {
  EmwTextMetrics metrics;
  const platform::FontFace* face = Face(font);
  double ascent = 905, descent = 212, average = 441;  // Arial's, without a face
  if (face != nullptr) {
    ascent = face->Metrics().ascent;
    descent = face->Metrics().descent;
    average = face->Metrics().averageWidth;
  }
  const double cell = ascent + descent > 0 ? ascent + descent : 1000;
  if (font.lfHeight < 0)
    metrics.em = -static_cast<double>(font.lfHeight);
  else if (font.lfHeight > 0)
    metrics.em = font.lfHeight * 1000.0 / cell;
  else
    metrics.em = kDefaultEm;
  metrics.ascent = ascent * metrics.em / 1000;
  metrics.height = cell * metrics.em / 1000;
  metrics.internalLeading = std::max(0.0, metrics.height - metrics.em);
  const double natural = average * metrics.em / 1000;
  if (font.lfWidth != 0 && natural > 0) metrics.widthScale = std::abs(font.lfWidth) / natural;
  return metrics;
}

double EmwFontMetrics::TextExtent(const LogFont& font, std::u16string_view text) {
  const platform::FontFace* face = Face(font);
  if (face == nullptr) return 0;
  const EmwTextMetrics metrics = Metrics(font);
  double sum = 0;
  for (char16_t unit : text) sum += face->AdvanceOfCodePoint(unit);
  return sum * metrics.em / 1000 * metrics.widthScale;
}

}  // namespace emf2pdf
