#include "platform/text_shaper.h"

#include <hb.h>

#include <map>
#include <memory>
#include <mutex>
#include <utility>

namespace platform {

namespace {

struct FontDeleter {
  void operator()(hb_font_t* font) const { hb_font_destroy(font); }
};
using ShapingFontPtr = std::unique_ptr<hb_font_t, FontDeleter>;

// HarfBuzz's view of a face, made once per font file and face index for the
// whole run (HarfBuzz maps the file and keeps its shaping plans), so that
// shaping a text record reads nothing again. nullptr for a file it cannot
// read.
hb_font_t* ShapingFont(const FontFace& face) {
  static std::mutex mutex;
  static std::map<std::pair<std::string, int>, ShapingFontPtr> fonts;
  const std::lock_guard<std::mutex> lock(mutex);
  auto key = std::make_pair(face.File(), face.Index());
  auto found = fonts.find(key);
  if (found != fonts.end()) return found->second.get();
  ShapingFontPtr font;
  if (hb_blob_t* blob = hb_blob_create_from_file_or_fail(face.File().c_str())) {
    hb_face_t* hbFace = hb_face_create(blob, static_cast<unsigned>(face.Index()));
    font.reset(hb_font_create(hbFace));
    hb_face_destroy(hbFace);
    hb_blob_destroy(blob);
  }
  return fonts.emplace(std::move(key), std::move(font)).first->second.get();
}

}  // namespace

std::vector<ShapedGlyph> ShapeText(const FontFace& face, std::u16string_view text) {
  std::vector<ShapedGlyph> glyphs;
  hb_font_t* font = text.empty() ? nullptr : ShapingFont(face);
  if (font == nullptr) return glyphs;
  const unsigned upem = hb_face_get_upem(hb_font_get_face(font));
  hb_buffer_t* buffer = hb_buffer_create();
  hb_buffer_add_utf16(buffer, reinterpret_cast<const uint16_t*>(text.data()),
                      static_cast<int>(text.size()), 0, static_cast<int>(text.size()));
  hb_buffer_guess_segment_properties(buffer);
  hb_shape(font, buffer, nullptr, 0);
  unsigned count = 0;
  const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer, &count);
  const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer, &count);
  for (unsigned i = 0; i < count; ++i) {
    const long long advance = upem > 0 ? positions[i].x_advance * 1000LL / upem : 0;
    glyphs.push_back({info[i].codepoint, static_cast<int>(advance)});
  }
  hb_buffer_destroy(buffer);
  return glyphs;
}

}  // namespace platform
