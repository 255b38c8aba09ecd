#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

// What Apache PDFBox Preflight (the PDF/A-1b validator) says of each file:
// its errors as "code: details", none for a valid file. All files go through
// one Java run. nullopt when Java or Preflight is missing (a failure as well
// when TALLOWCRAFT_REQUIRE_TOOLS is set).
using PreflightReport = std::map<std::string, std::vector<std::string>>;
std::optional<PreflightReport> Preflight(const std::vector<std::string>& pdfFiles);

}  // namespace testing_support
