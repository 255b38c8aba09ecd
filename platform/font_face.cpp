#include "platform/font_face.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_TRUETYPE_TAGS_H
#include FT_ADVANCES_H

#include <map>
#include <mutex>
#include <stdexcept>
#include <utility>

#include "platform/file_bytes.h"

namespace platform {

namespace {

// The largest CJK collections are about 100 MiB.
constexpr uint64_t kMaxFontFileBytes = 512 << 20;

FT_Library Library() {
  static FT_Library library = [] {
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib) != 0) lib = nullptr;
    return lib;
  }();
  return library;
}

FT_Face AsFace(void* face) { return static_cast<FT_Face>(face); }

FT_ULong TagOf(std::string_view tag) {
  FT_ULong value = 0;
  for (size_t i = 0; i < 4; ++i)
    value = (value << 8) | static_cast<unsigned char>(i < tag.size() ? tag[i] : ' ');
  return value;
}

}  // namespace

std::unique_ptr<FontFace> FontFace::Open(const std::string& file, int index) {
  if (Library() == nullptr) return nullptr;
  std::unique_ptr<FontFace> face(new FontFace());
  face->file_ = file;
  face->index_ = index;
  FT_Face handle = nullptr;
  if (FT_New_Face(Library(), file.c_str(), index, &handle) != 0) return nullptr;
  face->face_ = handle;
  if (FT_Select_Charmap(handle, FT_ENCODING_UNICODE) != 0 &&
      FT_Select_Charmap(handle, FT_ENCODING_MS_SYMBOL) == 0)
    face->symbol_ = true;
  face->ReadMetrics();
  return face;
}

std::shared_ptr<const FontFace> FontFace::Shared(const std::string& file, int index) {
  static std::mutex mutex;
  static std::map<std::pair<std::string, int>, std::shared_ptr<const FontFace>> faces;
  const std::lock_guard<std::mutex> lock(mutex);
  auto key = std::make_pair(file, index);
  auto found = faces.find(key);
  if (found != faces.end()) return found->second;
  std::shared_ptr<const FontFace> face = Open(file, index);
  faces.emplace(std::move(key), face);
  return face;
}

FontFace::~FontFace() {
  if (face_ != nullptr) FT_Done_Face(AsFace(face_));
}

// value * 1000 / unitsPerEm, halves away from zero.
int FontFace::Scale(long value) const {
  const long long scaled = static_cast<long long>(value) * 1000;
  const long long half = unitsPerEm_ / 2;
  return static_cast<int>(scaled >= 0 ? (scaled + half) / unitsPerEm_
                                      : -((-scaled + half) / unitsPerEm_));
}

void FontFace::ReadMetrics() {
  FT_Face face = AsFace(face_);
  unitsPerEm_ = face->units_per_EM > 0 ? face->units_per_EM : 1000;
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
  auto* post = static_cast<TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST));
  if (os2 != nullptr && os2->version != 0xFFFF) {
    metrics_.ascent = Scale(os2->usWinAscent);
    metrics_.descent = Scale(os2->usWinDescent);
    metrics_.outlineAscent = Scale(os2->sTypoAscender);
    metrics_.outlineDescent = Scale(os2->sTypoDescender);
    metrics_.averageWidth = Scale(os2->xAvgCharWidth);
  } else if (hhea != nullptr) {
    metrics_.ascent = metrics_.outlineAscent = Scale(hhea->Ascender);
    metrics_.descent = Scale(-hhea->Descender);
    metrics_.outlineDescent = Scale(hhea->Descender);
  }
  metrics_.fixedPitch = FT_IS_FIXED_WIDTH(face) || (post != nullptr && post->isFixedPitch != 0);
  metrics_.boxLeft = Scale(face->bbox.xMin);
  metrics_.boxBottom = Scale(face->bbox.yMin);
  metrics_.boxRight = Scale(face->bbox.xMax);
  metrics_.boxTop = Scale(face->bbox.yMax);
  if (post != nullptr) {
    // 16.16 degrees -> tenths of a degree, halves away from zero.
    const long long angle = static_cast<long long>(post->italicAngle) * 10;
    metrics_.italicAngle =
        static_cast<int>(angle >= 0 ? (angle + 32768) >> 16 : -((-angle + 32768) >> 16));
  }
}

std::optional<std::string> FontFace::WholeFile() const {
  try {
    const std::vector<uint8_t> bytes = ReadWholeFile(file_, kMaxFontFileBytes);
    return std::string(bytes.begin(), bytes.end());
  } catch (const std::runtime_error&) {
    return std::nullopt;
  }
}

bool FontFace::HasGlyfTable() const {
  FT_ULong length = 0;
  return FT_Load_Sfnt_Table(AsFace(face_), TTAG_glyf, 0, nullptr, &length) == 0 && length > 0;
}

uint32_t FontFace::GlyphOf(uint32_t codePoint) const {
  if (symbol_ && codePoint < 256) codePoint += 0xF000;
  return FT_Get_Char_Index(AsFace(face_), codePoint);
}

int FontFace::AdvanceOfGlyph(uint32_t glyph) const {
  FT_Face face = AsFace(face_);
  if (glyph >= static_cast<uint32_t>(face->num_glyphs)) return 0;
  FT_Fixed advance = 0;
  if (FT_Get_Advance(face, glyph, FT_LOAD_NO_SCALE, &advance) != 0) return 0;
  return Scale(advance);
}

std::optional<std::string> FontFace::Table(std::string_view tag) const {
  FT_ULong length = 0;
  const FT_ULong ftTag = TagOf(tag);
  if (FT_Load_Sfnt_Table(AsFace(face_), ftTag, 0, nullptr, &length) != 0) return std::nullopt;
  std::string bytes(length, '\0');
  if (length > 0 && FT_Load_Sfnt_Table(AsFace(face_), ftTag, 0,
                                       reinterpret_cast<FT_Byte*>(bytes.data()), &length) != 0)
    return std::nullopt;
  return bytes;
}

}  // namespace platform
