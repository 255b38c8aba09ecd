#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/run_settings.h"

namespace emf2pdf {
class TEMF2PDFConverter;
}

namespace app {

// Applies the silent source's PDF options to a converter, in the order the
// options are read.
void ApplyPdfOptions(const PdfFormatOptions& options, emf2pdf::TEMF2PDFConverter& converter);

// Makes the PDF of the page list under `outputName` with its extension
// changed to ".pdf". Errors propagate; no partial file is left behind.
// Returns the PDF's path. `afterPage` runs after each page is handed over.
std::string ConvertToPdf(const std::vector<std::string>& pageFiles, const std::string& outputName,
                         const PdfFormatOptions& options,
                         const std::function<void()>& afterPage = nullptr);

}  // namespace app
