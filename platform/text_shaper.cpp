#include "platform/text_shaper.h"

#include <hb.h>

namespace platform {

std::vector<ShapedGlyph> ShapeText(const FontFace& face, std::u16string_view text) {
  std::vector<ShapedGlyph> glyphs;
  const auto data = face.WholeFile();
  if (!data || text.empty()) return glyphs;
  hb_blob_t* blob = hb_blob_create(data->data(), static_cast<unsigned>(data->size()),
                                   HB_MEMORY_MODE_READONLY, nullptr, nullptr);
  hb_face_t* hbFace = hb_face_create(blob, 0);
  hb_font_t* font = hb_font_create(hbFace);
  const unsigned upem = hb_face_get_upem(hbFace);
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
  hb_font_destroy(font);
  hb_face_destroy(hbFace);
  hb_blob_destroy(blob);
  return glyphs;
}

}  // namespace platform
