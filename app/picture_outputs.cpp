#include "app/picture_outputs.h"

#include <stdexcept>

#include "app/jpeg_output.h"
#include "app/tiff_output.h"
#include "platform/png_encoder.h"

namespace app {

RasterRunResult WritePngPages(const std::vector<std::string>& pageFiles,
                              const std::string& outputName, const RasterResolution& resolution) {
  return WritePageFiles(pageFiles, outputName, ".png", resolution, [](const DrawnPage& page) {
    return platform::EncodePng(page.bitmap, page.dpiX, page.dpiY);
  });
}

RasterRunResult RunPictureOutput(OutputKind kind, platform::RegistryStore& store,
                                 const std::vector<std::string>& pageFiles,
                                 const std::string& outputName) {
  switch (kind) {
    case OutputKind::JpegPages:
      return WriteJpegPages(pageFiles, outputName, ChooseRasterResolution(pageFiles, "JPEG pages"));
    case OutputKind::PngPages:
      return WritePngPages(pageFiles, outputName, ChooseRasterResolution(pageFiles, "PNG pages"));
    case OutputKind::TiffDocument: {
      // A colour setting of the wrong type is refused before any page is drawn.
      const platform::TiffColors colors = ReadTiffColors(store);
      return WriteTiffDocument(pageFiles, TiffFileName(outputName),
                               ChooseRasterResolution(pageFiles, "TIFF pages"), colors);
    }
    case OutputKind::Movie:
    case OutputKind::Pdf:
    case OutputKind::MovieAndPdf:
      break;
  }
  throw std::logic_error("not a picture output");
}

}  // namespace app
