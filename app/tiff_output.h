#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/raster_pages.h"
#include "platform/registry_store.h"
#include "platform/tiff_document.h"

namespace app {

// Key path below HKEY_CURRENT_USER.
inline constexpr const char* kTiffOptionsKey =
    "Software\\Quillmark\\Tallowcraft\\TIFFFormatOptions";

// TIFFColors under the TIFFFormatOptions key: 0 colour (also when missing or
// out of range), 1 grey, 2 black and white. A value of another type is
// refused with a RegistryError naming it.
platform::TiffColors ReadTiffColors(platform::RegistryStore& store);

// Every page in one multi-page TIFF file named `fileName`, in `colors`, each
// page with its resolution in its tags. The file is written page by page to
// a temporary file that replaces the name only once the last page is in; a
// failure throws, naming the page, and leaves nothing. A replaced file is
// named on standard error.
RasterRunResult WriteTiffDocument(const std::vector<emf2pdf::PageSource>& pages,
                                  const std::string& fileName, const RasterResolution& resolution,
                                  platform::TiffColors colors,
                                  const std::function<void()>& afterPage = nullptr);

}  // namespace app
