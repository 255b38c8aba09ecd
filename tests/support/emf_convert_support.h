#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pdf/pdf_types.h"
#include "support/emf_builder.h"
#include "support/temp_folder.h"

namespace emw_test {

// Converts the page files into one PDF the way the run does (A4 portrait,
// 5 mm margins, deflate) and returns Convert's result; `error` receives the
// converter's reason on failure.
bool ConvertPages(const std::vector<std::string>& pages, const std::string& pdfPath,
                  std::string* error = nullptr, pdf::TPDFVersion version = pdf::v13);

// One picture converted by ConvertPages, with the folder that holds it.
struct ConvertedPicture {
  testing_support::TempFolder folder;
  std::string pdf;
  bool ok = false;
};
std::unique_ptr<ConvertedPicture> ConvertPicture(const emfbuild::EmfBuilder& picture,
                                                 pdf::TPDFVersion version = pdf::v13);

// The colour (emfbuild::Rgb) at pixel (x, y) of a picture of width x height
// pixels whose frame starts at its origin: the picture is stretched into
// the A4 page inside the 5 mm margins, 566.65 x 813.65 points from (14.17,
// 14.17). Channels within 60 of 0 or 255 are snapped to it.
uint32_t PictureColorAt(const std::string& pdf, double x, double y, double width = 400,
                        double height = 400);

// The files under a folder of the shared corpus, sorted; empty when missing.
std::vector<std::string> CorpusFiles(const std::string& folder);

}  // namespace emw_test
