#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/output_names.h"
#include "app/raster_pages.h"
#include "platform/registry_store.h"

namespace app {

// One PNG per page (WritePageFiles): RGB, 8 bits, the page's density in pHYs.
RasterRunResult WritePngPages(const std::vector<emf2pdf::PageSource>& pages,
                              const std::string& outputName, const RasterResolution& resolution,
                              const std::function<void()>& afterPage = nullptr);

// A picture output of a job (JPEG pages, PNG pages or the TIFF document,
// MakesPictures) under `outputName`: its options read from `store` (the TIFF
// colours), the resolution chosen (ChooseRasterResolution), then the files.
// Errors propagate; nothing of the job is left behind then.
RasterRunResult RunPictureOutput(OutputKind kind, platform::RegistryStore& store,
                                 const std::vector<emf2pdf::PageSource>& pages,
                                 const std::string& outputName);

}  // namespace app
