#pragma once

#include <optional>
#include <string>

namespace platform {

struct PrinterResolution {
  int x = 0;  // dots per inch
  int y = 0;
  std::string printer;  // the destination it came from
};

// The resolution of the CUPS destination named "Tallowcraft" (any case), else
// of the default destination. nullopt when libcups is not installed, no
// scheduler answers, there is no such printer, or it reports no resolution.
std::optional<PrinterResolution> QueryPrinterResolution();

}  // namespace platform
