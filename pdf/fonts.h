#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pdf/font.h"

namespace pdf {

class TPDFDocument;

// The document's font collection: one resource per distinct request, in
// creation order; written at save.
class TPDFFonts {
 public:
  explicit TPDFFonts(TPDFDocument& document);
  ~TPDFFonts();
  TPDFFonts(const TPDFFonts&) = delete;
  TPDFFonts& operator=(const TPDFFonts&) = delete;

  // Never fails for an installed face; falls back to Helvetica (single-byte)
  // or Arial as a Unicode font. Raises the TrueType reader's errors when a
  // Unicode face's tables cannot be read.
  TPDFFont& ObtainFont(const std::string& faceName, uint8_t style, bool isUnicode);

  int Count() const { return static_cast<int>(items_.size()); }
  TPDFFont& Items(int index) { return *items_.at(static_cast<size_t>(index)); }
  void Clear() { items_.clear(); }
  // Writes every font in list order.
  void WriteFonts();

  // Font availability for the EMF text interpreter.
  static bool IsTrueTypeFace(const std::string& name, int charset);
  static std::string FirstTrueTypeFace(int charset);

 private:
  // Gives the fonts of one face a single program when one of them is a
  // Unicode font (its program keeps the face's numbering and cmap).
  void ShareFontFiles();
  TPDFFont* FindTrueType(const std::string& upperName, uint8_t style, bool isUnicode);
  TPDFFont& ObtainStandard(int index);
  // PDF/A: Symbol or ZapfDingbats (index 12, 13) with its installed Type 1
  // program embedded; nullptr for other indexes and when the program is
  // missing or unreadable (the caller then falls back).
  TPDFFont* ObtainEmbeddedSymbolic(int index);
  TPDFFont& Request(const std::string& faceName, uint8_t style, bool isUnicode, int depth);

  TPDFDocument& document_;
  std::vector<std::unique_ptr<TPDFFont>> items_;
  // Symbolic programs already found missing, not sought again.
  std::array<bool, 2> symbolicMissing_{};
};

}  // namespace pdf
