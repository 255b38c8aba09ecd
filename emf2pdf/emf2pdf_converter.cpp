#include "emf2pdf/emf2pdf_converter.h"

namespace emf2pdf {

TEMF2PDFConverter::TEMF2PDFConverter() { SetOnePass(true); }

TEMF2PDFConverter::~TEMF2PDFConverter() = default;

void TEMF2PDFConverter::AddDocument(const std::vector<std::string>& files,
                                    const std::string& name) {
  documents_.push_back({files, name});
}

bool TEMF2PDFConverter::Convert() {
  // Metafile playback arrives with the EMF interpreter; until then the
  // document keeps the first page that BeginDoc made.
  return true;
}

}  // namespace emf2pdf
