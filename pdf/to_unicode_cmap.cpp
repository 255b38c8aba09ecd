#include "pdf/to_unicode_cmap.h"

#include <algorithm>

#include "pdf/number_format.h"
#include "pdf/pdf_strings.h"

namespace pdf {

namespace {

void AppendBlock(std::string& out, const TToUnicodeEntry* first, size_t count) {
  AppendInteger(out, static_cast<int64_t>(count));
  out += " beginbfchar\r";
  for (size_t i = 0; i < count; ++i) {
    out += '<';
    AppendWordHex(out, first[i].glyph);
    out += "> <";
    AppendWordHex(out, first[i].codePoint);
    out += ">\r";
  }
  out += "endbfchar\r";
}

}  // namespace

std::string MakeToUnicodeCMap(std::string_view resourceName,
                              const std::vector<TToUnicodeEntry>& entries) {
  uint16_t lo = 0, hi = 0xFFFF;
  if (!entries.empty()) {
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
  out +=
      "1 begincodespacerange <" + WordToHex(lo) + "> <" + WordToHex(hi) + "> endcodespacerange\r";
  size_t done = 0;
  while (entries.size() - done > 100) {
    AppendBlock(out, entries.data() + done, 100);
    done += 100;
  }
  AppendBlock(out, entries.data() + done, entries.size() - done);
  out += "endcmap CMapName currentdict /CMap defineresource pop end end";
  return out;
}

}  // namespace pdf
