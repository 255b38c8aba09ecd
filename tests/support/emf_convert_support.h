#pragma once

#include <string>
#include <vector>

namespace emw_test {

// Converts the page files into one PDF the way the run does (A4 portrait,
// 5 mm margins, deflate) and returns Convert's result; `error` receives the
// converter's reason on failure.
bool ConvertPages(const std::vector<std::string>& pages, const std::string& pdfPath,
                  std::string* error = nullptr);

// The files under a folder of the shared corpus, sorted; empty when missing.
std::vector<std::string> CorpusFiles(const std::string& folder);

}  // namespace emw_test
