#include "platform/font_face.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_ADVANCES_H
#include FT_OUTLINE_H

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

uint32_t TagOf(std::string_view tag) {
  uint32_t value = 0;
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
  if (!face->Map(file)) return nullptr;
  FT_Face handle = nullptr;
  if (FT_New_Memory_Face(Library(), reinterpret_cast<const FT_Byte*>(face->mapped_),
                         static_cast<FT_Long>(face->mappedSize_), index, &handle) != 0)
    return nullptr;
  face->face_ = handle;
  face->ReadTableDirectory();
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
  if (mapped_ != nullptr) munmap(const_cast<char*>(mapped_), mappedSize_);
}

bool FontFace::Map(const std::string& file) {
  // Not a device or pipe: opening without blocking, then a regular file only.
  const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat info {};
  const bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0 &&
                       static_cast<uint64_t>(info.st_size) <= kMaxFontFileBytes;
  void* base = regular
                   ? mmap(nullptr, static_cast<size_t>(info.st_size), PROT_READ, MAP_PRIVATE, fd, 0)
                   : MAP_FAILED;
  close(fd);
  if (base == MAP_FAILED) return false;
  mapped_ = static_cast<const char*>(base);
  mappedSize_ = static_cast<size_t>(info.st_size);
  return true;
}

void FontFace::ReadTableDirectory() {
  const std::string_view file(mapped_, mappedSize_);
  auto u16 = [&file](size_t at) -> uint32_t {
    if (at > file.size() || file.size() - at < 2) return 0;
    return (static_cast<uint32_t>(static_cast<uint8_t>(file[at])) << 8) |
           static_cast<uint8_t>(file[at + 1]);
  };
  auto u32 = [&u16](size_t at) { return (u16(at) << 16) | u16(at + 2); };
  size_t header = 0;
  if (u32(0) == 0x74746366) {  // 'ttcf': a collection, its faces' directories
    // The high bits of a face index choose a named instance, not a face.
    const uint32_t face = static_cast<uint32_t>(index_) & 0xFFFF;
    if (face >= u32(8)) return;
    header = u32(12 + 4 * static_cast<size_t>(face));
  }
  const uint32_t count = u16(header + 4);
  for (uint32_t i = 0; i < count; ++i) {
    const size_t record = header + 12 + 16 * static_cast<size_t>(i);
    if (record + 16 > file.size()) break;
    const uint32_t offset = u32(record + 8), length = u32(record + 12);
    if (offset > file.size() || length > file.size() - offset) continue;  // past the file
    tables_.push_back({u32(record), file.substr(offset, length)});
  }
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
    if (os2->yStrikeoutSize > 0) {
      metrics_.strikeoutThickness = Scale(os2->yStrikeoutSize);
      metrics_.strikeoutPosition = Scale(os2->yStrikeoutPosition - os2->yStrikeoutSize / 2);
    }
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
  if (post != nullptr && post->underlineThickness > 0) {
    metrics_.underlinePosition = Scale(post->underlinePosition);
    metrics_.underlineThickness = Scale(post->underlineThickness);
  }
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
  const auto glyf = Table("glyf");
  return glyf && !glyf->empty();
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

namespace {

// FreeType's contours as cubic segments at an em of 1000; quadratic
// segments are raised to cubic ones, which draws them exactly.
struct OutlineBuilder {
  GlyphOutline outline;
  double scale = 1;
  double x = 0, y = 0;  // the current point, for raising quadratics

  static OutlineBuilder& Of(void* user) { return *static_cast<OutlineBuilder*>(user); }
  void Add(GlyphOutline::Op op, std::initializer_list<double> values) {
    GlyphOutline::Segment segment{op, {}};
    size_t i = 0;
    for (double v : values) segment.v[i++] = v;
    outline.segments.push_back(segment);
  }
  void CloseContour() {
    if (!outline.segments.empty() && outline.segments.back().op != GlyphOutline::Op::kClose)
      Add(GlyphOutline::Op::kClose, {});
  }
  static int Move(const FT_Vector* to, void* user) {
    OutlineBuilder& b = Of(user);
    b.CloseContour();
    b.x = to->x * b.scale;
    b.y = to->y * b.scale;
    b.Add(GlyphOutline::Op::kMove, {b.x, b.y});
    return 0;
  }
  static int Line(const FT_Vector* to, void* user) {
    OutlineBuilder& b = Of(user);
    b.x = to->x * b.scale;
    b.y = to->y * b.scale;
    b.Add(GlyphOutline::Op::kLine, {b.x, b.y});
    return 0;
  }
  static int Conic(const FT_Vector* control, const FT_Vector* to, void* user) {
    OutlineBuilder& b = Of(user);
    const double cx = control->x * b.scale, cy = control->y * b.scale;
    const double ex = to->x * b.scale, ey = to->y * b.scale;
    b.Add(GlyphOutline::Op::kCubic, {b.x + 2 * (cx - b.x) / 3, b.y + 2 * (cy - b.y) / 3,
                                     ex + 2 * (cx - ex) / 3, ey + 2 * (cy - ey) / 3, ex, ey});
    b.x = ex;
    b.y = ey;
    return 0;
  }
  static int Cubic(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
    OutlineBuilder& b = Of(user);
    b.x = to->x * b.scale;
    b.y = to->y * b.scale;
    b.Add(GlyphOutline::Op::kCubic,
          {c1->x * b.scale, c1->y * b.scale, c2->x * b.scale, c2->y * b.scale, b.x, b.y});
    return 0;
  }
};

}  // namespace

GlyphOutline FontFace::OutlineOfGlyph(uint32_t glyph) const {
  FT_Face face = AsFace(face_);
  if (glyph >= static_cast<uint32_t>(face->num_glyphs)) return {};
  // Loading fills the face's one glyph slot, which shared faces share.
  static std::mutex mutex;
  const std::lock_guard<std::mutex> lock(mutex);
  if (FT_Load_Glyph(face, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0 ||
      face->glyph->format != FT_GLYPH_FORMAT_OUTLINE)
    return {};
  OutlineBuilder builder;
  builder.scale = 1000.0 / unitsPerEm_;
  const FT_Outline_Funcs funcs = {&OutlineBuilder::Move,
                                  &OutlineBuilder::Line,
                                  &OutlineBuilder::Conic,
                                  &OutlineBuilder::Cubic,
                                  0,
                                  0};
  if (FT_Outline_Decompose(&face->glyph->outline, &funcs, &builder) != 0) return {};
  builder.CloseContour();
  return std::move(builder.outline);
}

std::optional<std::string_view> FontFace::Table(std::string_view tag) const {
  const uint32_t wanted = TagOf(tag);
  for (const TableEntry& table : tables_)
    if (table.tag == wanted) return table.bytes;
  return std::nullopt;
}

}  // namespace platform
