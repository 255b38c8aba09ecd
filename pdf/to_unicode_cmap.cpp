#include "pdf/to_unicode_cmap.h"

#include <algorithm>

#include "pdf/number_format.h"
#include "pdf/pdf_strings.h"

namespace pdf {

namespace {

void AppendBlock(std::string& out, const TToUnicodeEntry* first, size_t count, bool oneByte) {
  AppendInteger(out, static_cast<int64_t>(count));
  out += " beginbfchar\r";
  for (size_t i = 0; i < count; ++i) {
    out += '<';
    if (oneByte)
      AppendByteHex(out, static_cast<uint8_t>(first[i].glyph));
    else
      AppendWordHex(out, first[i].glyph);
    out += "> <";
    AppendWordHex(out, first[i].codePoint);
    out += ">\r";
  }
  out += "endbfchar\r";
}

std::string MakeCMap(std::string_view resourceName, const std::vector<TToUnicodeEntry>& entries,
                     bool oneByte) {
  uint16_t lo = 0, hi = oneByte ? 0xFF : 0xFFFF;
  if (!entries.empty() && !oneByte) {
    lo = 0xFFFF;
    hi = 0;
    for (const auto& entry : entries) {
      lo = std::min(lo, entry.glyph);
      hi = std::max(hi, entry.glyph);
    }
  }
  std::string out;
  out.reserve(300 + entries.size() * 14);
  out += "/CIDInit /ProcSet findresource begin 12 dict begin begincmap /CIDSystemInfo << \r";
  out += "/Registry (";
  out += resourceName;
  out += "+0) /Ordering (T42UV) /Supplement 0 >> def\r";
  out += "/CMapName /";
  out += resourceName;
  out += "+0 def\r";
  out += "/CMapType 2 def\r";
  const auto hex = [&](uint16_t code) {
    return oneByte ? ByteToHex(static_cast<uint8_t>(code)) : WordToHex(code);
  };
  out += "1 begincodespacerange <" + hex(lo) + "> <" + hex(hi) + "> endcodespacerange\r";
  size_t done = 0;
  while (entries.size() - done > 100) {
    AppendBlock(out, entries.data() + done, 100, oneByte);
    done += 100;
  }
  AppendBlock(out, entries.data() + done, entries.size() - done, oneByte);
  out += "endcmap CMapName currentdict /CMap defineresource pop end end";
  return out;
}

}  // namespace

std::string MakeToUnicodeCMap(std::string_view resourceName,
                              const std::vector<TToUnicodeEntry>& entries) {
  return MakeCMap(resourceName, entries, false);
}

std::string MakeSingleByteToUnicodeCMap(std::string_view resourceName,
                                        const std::vector<TToUnicodeEntry>& entries) {
  return MakeCMap(resourceName, entries, true);
}

}  // namespace pdf
