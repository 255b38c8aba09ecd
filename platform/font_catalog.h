#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// One installed face as the font enumeration reports it.
struct FontFaceEntry {
  std::string family;  // the face name reported for the face
  std::string file;    // font file path
  int index = 0;       // face index inside the file
  int weight = 400;    // OpenType weight class (400 regular, 700 bold)
  bool italic = false;
  int width = 100;        // fontconfig width (100 normal, 87 condensed)
  bool trueType = false;  // TrueType outlines ('glyf'), not CFF or Type 1
  bool operator==(const FontFaceEntry&) const = default;
};

// Windows character sets (the lfCharSet values).
inline constexpr int kAnsiCharset = 0;
inline constexpr int kDefaultCharset = 1;
inline constexpr int kSymbolCharset = 2;

// A face as fontconfig lists it, with its font revision (16.16 fixed point).
struct ListedFace {
  FontFaceEntry face;
  int version = 0;
};

// The order of a family's faces: plain cut first (regular, italic, bold, bold
// italic; normal width; nearest to regular weight), and of two copies of the
// same cut (a font package and its successor both installed) the newer
// revision, as fontconfig's own matching prefers it.
bool ListedBefore(const ListedFace& first, const ListedFace& second);

// Installed faces for a face name and character set, answered by fontconfig:
// the name itself and its metric-compatible aliases (Arial -> Liberation Sans,
// Calibri -> Carlito, ...) are tried in fontconfig's order and the first
// family that has faces covering the character set's language gives the list.
// Faces are ordered regular, italic, bold, bold italic (by weight, then slant)
// so that the first one is the family's plain cut, as Windows lists it.
std::vector<FontFaceEntry> EnumerateFaces(const std::string& faceName, int charset);

// Whether the first face EnumerateFaces would list is a TrueType face (false
// when there is none), without copying the list.
bool FirstFaceIsTrueType(const std::string& faceName, int charset);

// Name of the first family with a TrueType face covering the character set
// (DEFAULT_CHARSET resolved to the system default first); empty when none.
std::string FirstTrueTypeFamily(int charset);

// The fontconfig language tag that stands for a Windows character set; empty
// for sets with no language (symbol, OEM, Mac).
std::string CharsetLanguage(int charset);

class FontAnswerCache;
struct PathStamp;

// The answers of the two functions above, given by fontconfig only when the
// cache file does not hold them yet (FontAnswerCache says when it holds
// them); fontconfig is not even started while every answer comes from the
// file. An empty path keeps the answers for the object's life only.
class FontCatalog {
 public:
  explicit FontCatalog(std::filesystem::path cacheFile);
  ~FontCatalog();

  std::vector<FontFaceEntry> Faces(const std::string& faceName, int charset);
  bool FirstFaceIsTrueType(const std::string& faceName, int charset);
  std::string FirstTrueTypeFamily(int charset);

  // How many answers fontconfig had to give.
  int Queries() const { return queries_; }

 private:
  void Keep();
  // The kept answer (fontconfig's when there is none yet); it lives as long
  // as the catalog.
  const std::vector<FontFaceEntry>& Answer(const std::string& faceName, int charset);

  bool keepsFile_;
  std::unique_ptr<FontAnswerCache> cache_;
  std::vector<PathStamp> stamps_;  // taken when fontconfig first answers
  int queries_ = 0;
};

// The process's cache of answers: $XDG_CACHE_HOME/tallowcraft/, else
// ~/.cache/tallowcraft/; empty when neither can be named.
std::filesystem::path FontAnswerCacheFile();

}  // namespace platform
