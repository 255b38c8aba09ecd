// libFuzzer target: any bytes through the EMF spool reader, then every page
// it finds through the EMF reader's walk. Crashes, sanitizer reports and a
// page that does not lie inside the bytes are findings.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "emf2pdf/emf_spool.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  emf2pdf::DetectInputKind(bytes);
  try {
    const auto spool = emf2pdf::EmfSpoolFile::FromBytes(bytes, "fuzz.spl");
    uint64_t previousEnd = 0;
    for (size_t i = 0; i < spool.Spool().pages.size(); ++i) {
      const auto& page = spool.Spool().pages[i];
      if (page.offset < previousEnd || page.offset > size || page.size > size - page.offset)
        std::abort();
      previousEnd = page.offset + page.size;
      try {
        spool.PageReader(i).Walk([](const emf2pdf::EmfRecord&) {});
      } catch (const emf2pdf::NotAMetafile&) {
        std::abort();  // the spool reader checked the page's header
      }
    }
    if (spool.Spool().damage.empty() && spool.Spool().damageOffset != 0) std::abort();
  } catch (const emf2pdf::NotASpoolFile&) {
  }
  return 0;
}
