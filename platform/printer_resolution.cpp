#include "platform/printer_resolution.h"
#include "platform/shared_library.h"

#include <cups/cups.h>
#include <strings.h>

namespace platform {

namespace {

// Without libcups installed there is no printer to ask.
struct CupsLibrary {
  SharedLibrary library{"libcups.so.2"};
  decltype(&cupsGetDests2) getDests = nullptr;
  decltype(&cupsFreeDests) freeDests = nullptr;
  decltype(&cupsCopyDestInfo) copyDestInfo = nullptr;
  decltype(&cupsFreeDestInfo) freeDestInfo = nullptr;
  decltype(&cupsFindDestDefault) findDestDefault = nullptr;
  decltype(&ippGetResolution) getResolution = nullptr;

  CupsLibrary() {
    library.Bind(getDests, "cupsGetDests2");
    library.Bind(freeDests, "cupsFreeDests");
    library.Bind(copyDestInfo, "cupsCopyDestInfo");
    library.Bind(freeDestInfo, "cupsFreeDestInfo");
    library.Bind(findDestDefault, "cupsFindDestDefault");
    library.Bind(getResolution, "ippGetResolution");
  }
  bool Usable() const {
    return getDests && freeDests && copyDestInfo && freeDestInfo && findDestDefault &&
           getResolution;
  }
};

cups_dest_t* ChooseDestination(cups_dest_t* dests, int count) {
  for (int i = 0; i < count; ++i)
    if (dests[i].instance == nullptr && strcasecmp(dests[i].name, "Tallowcraft") == 0)
      return &dests[i];
  for (int i = 0; i < count; ++i)
    if (dests[i].is_default) return &dests[i];
  return nullptr;
}

// Dots per inch from an IPP resolution, which may be per centimetre.
int PerInch(int value, ipp_res_t units) {
  return units == IPP_RES_PER_CM ? static_cast<int>(value * 2.54 + 0.5) : value;
}

std::optional<PrinterResolution> ResolutionOf(const CupsLibrary& cups, cups_dest_t& dest) {
  cups_dinfo_t* info = cups.copyDestInfo(CUPS_HTTP_DEFAULT, &dest);
  if (info == nullptr) return std::nullopt;
  std::optional<PrinterResolution> result;
  ipp_attribute_t* attribute =
      cups.findDestDefault(CUPS_HTTP_DEFAULT, &dest, info, "printer-resolution");
  if (attribute != nullptr) {
    int y = 0;
    ipp_res_t units = IPP_RES_PER_INCH;
    const int x = cups.getResolution(attribute, 0, &y, &units);
    // Printers report whole dots; anything else is no answer.
    if (x > 0 && y > 0 && x <= 100000 && y <= 100000)
      result = PrinterResolution{PerInch(x, units), PerInch(y, units), dest.name};
  }
  cups.freeDestInfo(info);
  return result;
}

}  // namespace

std::optional<PrinterResolution> QueryPrinterResolution() {
  static const CupsLibrary cups;
  if (!cups.Usable()) return std::nullopt;
  cups_dest_t* dests = nullptr;
  const int count = cups.getDests(CUPS_HTTP_DEFAULT, &dests);
  std::optional<PrinterResolution> result;
  if (cups_dest_t* dest = ChooseDestination(dests, count)) result = ResolutionOf(cups, *dest);
  cups.freeDests(count, dests);
  return result;
}

}  // namespace platform
