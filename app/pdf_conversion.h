#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/pdf_options.h"
#include "emf2pdf/page_source.h"

namespace emf2pdf {
class TEMF2PDFConverter;
}

namespace app {

// Applies the PDF options to a converter. Dialog mode names the producer,
// and its PDFs take today's date (time of day zero) as creation date; silent
// PDFs keep the document's own.
void ApplyPdfOptions(const PdfOptions& options, const std::optional<std::string>& dialogProducer,
                     emf2pdf::TEMF2PDFConverter& converter);

// Makes the PDF of the pages under `outputName` with its extension
// changed to ".pdf". Errors propagate; no partial file is left behind.
// Returns the PDF's path. `afterPage` runs after each page is handed over.
std::string ConvertToPdf(const std::vector<emf2pdf::PageSource>& pages,
                         const std::string& outputName, const PdfOptions& options,
                         const std::optional<std::string>& dialogProducer = std::nullopt,
                         const std::function<void()>& afterPage = nullptr);

}  // namespace app
