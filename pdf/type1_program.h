#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pdf {

// An installed Type 1 font program, split the way a PDF "/FontFile" stream
// wants it, with what the font dictionary and descriptor say of it.
struct TType1Font {
  std::string fontName;   // the program's /FontName
  std::string cleartext;  // up to and including "eexec" and its line end
  std::string encrypted;  // the eexec-encrypted part, binary
  std::string trailer;    // the zeros and "cleartomark"
  // Advance of every code of the built-in encoding in 1/1000 em, from the
  // program's own charstrings (so that the widths written agree with it);
  // .notdef's where the encoding has no glyph.
  std::array<int32_t, 256> widths{};
  std::array<bool, 256> hasGlyph{};
  std::array<int32_t, 4> fontBBox{};  // left, bottom, right, top
  double italicAngle = 0;
  int32_t ascent = 0;
  int32_t descent = 0;
  int32_t capHeight = 0;
  int32_t stemV = 0;

  std::string Program() const { return cleartext + encrypted + trailer; }
};

// Reads a Type 1 program (PFB segments, or text whose eexec part is hex or
// binary) and, when `afm` is not empty, the font's metrics file for the
// descriptor's ascent, descent, cap height and stem width; the program's own
// values stand in for what the metrics lack. Throws std::runtime_error when
// the program cannot be read.
TType1Font ReadType1Font(std::string_view program, std::string_view afm);

// The Type 1 program fontconfig lists for a family (fontformat "Type 1"),
// with the metrics file beside it; nullopt when none is installed or none
// can be read.
std::optional<TType1Font> LoadInstalledType1Font(const std::string& family);

}  // namespace pdf
