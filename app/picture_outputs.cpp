#include "app/picture_outputs.h"

#include <stdexcept>

#include "app/jpeg_output.h"
#include "app/tiff_output.h"
#include "platform/png_encoder.h"

namespace app {

RasterRunResult WritePngPages(const std::vector<emf2pdf::PageSource>& pages,
                              const std::string& outputName, const RasterResolution& resolution,
                              const std::function<void()>& afterPage) {
  return WritePageFiles(
      pages, outputName, ".png", resolution,
      [](const DrawnPage& page) { return platform::EncodePng(page.bitmap, page.dpiX, page.dpiY); },
      afterPage);
}

RasterRunResult RunPictureOutput(OutputKind kind, platform::RegistryStore& store,
                                 const std::vector<emf2pdf::PageSource>& pages,
                                 const std::string& outputName) {
  switch (kind) {
    case OutputKind::JpegPages:
      return WriteJpegPages(pages, outputName, ChooseRasterResolution(pages, "JPEG pages"));
    case OutputKind::PngPages:
      return WritePngPages(pages, outputName, ChooseRasterResolution(pages, "PNG pages"));
    case OutputKind::TiffDocument: {
      // A colour setting of the wrong type is refused before any page is drawn.
      const platform::TiffColors colors = ReadTiffColors(store);
      return WriteTiffDocument(pages, TiffFileName(outputName),
                               ChooseRasterResolution(pages, "TIFF pages"), colors);
    }
    case OutputKind::Movie:
    case OutputKind::Pdf:
    case OutputKind::MovieAndPdf:
      break;
  }
  throw std::logic_error("not a picture output");
}

}  // namespace app
