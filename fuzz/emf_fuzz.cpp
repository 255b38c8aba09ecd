// libFuzzer target: any bytes through the EMF reader and the interpreter
// onto a form page. Crashes, sanitizer reports and non-finite numbers in
// the page content are findings.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "emf2pdf/emf_reader.h"
#include "emf2pdf/emw_form_player.h"
#include "pdf/document.h"
#include "pdf/page.h"

namespace {

std::string ScratchPdf() {
  const char* tmp = std::getenv("TMPDIR");
  return std::string(tmp != nullptr ? tmp : "/tmp") + "/tallowcraft_fuzz_" +
         std::to_string(::getpid()) + ".pdf";
}

// True when an operand outside the strings is "nan" or "inf" (text shown on
// the page may well contain those letters).
bool HasNonFinite(const std::string& content) {
  std::string token;
  auto endToken = [&] {
    const bool bad =
        token.find("nan") != std::string::npos || token.find("inf") != std::string::npos;
    token.clear();
    return bad;
  };
  for (size_t i = 0; i < content.size(); ++i) {
    const char c = content[i];
    if (c == '(') {  // literal string, with nesting and escapes
      int depth = 1;
      for (++i; i < content.size() && depth > 0; ++i) {
        if (content[i] == '\\')
          ++i;
        else if (content[i] == '(')
          ++depth;
        else if (content[i] == ')')
          --depth;
      }
      --i;
      if (endToken()) return true;
    } else if (c == '<') {  // hex string
      while (i < content.size() && content[i] != '>') ++i;
      if (endToken()) return true;
    } else if (c == ' ' || c == '\r' || c == '\n' || c == '[' || c == ']') {
      if (endToken()) return true;
    } else {
      token.push_back(c);
    }
  }
  return endToken();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = ScratchPdf();
  std::unique_ptr<emf2pdf::EmfReader> emf;
  try {
    emf = std::make_unique<emf2pdf::EmfReader>(
        emf2pdf::EmfReader::FromBytes(std::vector<uint8_t>(data, data + size)));
  } catch (const emf2pdf::NotAMetafile&) {
    return 0;
  }
  pdf::TPDFDocument document;
  document.SetFileName(path);
  document.BeginDoc();
  pdf::TPDFPage& page = document.CurrentPage();
  emf2pdf::TEMWFormPlayer parser(*emf);
  try {
    page.PlayMetaFile(parser, 0, 0, 1, 1);
  } catch (const std::exception&) {
    // A refused picture size is an ordinary outcome.
  }
  for (int i = 0; i < page.Forms().Count(); ++i)
    if (HasNonFinite(page.Forms().Items(i).Content())) std::abort();
  document.Abort();
  return 0;
}
