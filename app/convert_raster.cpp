#include "app/convert_raster.h"

#include <stdexcept>

#include "app/html_page.h"
#include "app/jpeg_output.h"
#include "app/path_rules.h"
#include "app/picture_outputs.h"
#include "app/swf_output.h"
#include "app/tiff_output.h"
#include "platform/message_box.h"
#include "presentation/presentation.h"

namespace app {

namespace {

// --resolution, else the pages' own.
RasterResolution ResolutionOf(const ConvertJob& job) {
  const std::optional<int> dpi = job.arguments.raster.resolution;
  return dpi ? RasterResolution{*dpi, *dpi, "--resolution"} : PictureResolution(job.pages);
}

std::vector<std::string> WriteJpeg(const ConvertJob& job) {
  return WriteJpegPages(job.pages, job.outputName, ResolutionOf(job), job.afterPage).written;
}

std::vector<std::string> WritePng(const ConvertJob& job) {
  return WritePngPages(job.pages, job.outputName, ResolutionOf(job), job.afterPage).written;
}

platform::TiffColors TiffColorsOf(const std::string& name) {
  if (name == "gray") return platform::TiffColors::Grey;
  if (name == "bw") return platform::TiffColors::BlackAndWhite;
  return platform::TiffColors::Color;
}

// The document under the name given, whatever its extension.
std::vector<std::string> WriteTiff(const ConvertJob& job) {
  return WriteTiffDocument(job.pages, job.outputName, ResolutionOf(job),
                           TiffColorsOf(job.arguments.raster.tiffColors), job.afterPage)
      .written;
}

// The movie with the component's default settings (no settings file is
// read), at the resolution asked for.
std::vector<std::string> WriteSwf(const ConvertJob& job) {
  presentation::TPresentation component;
  for (const emf2pdf::PageSource& page : job.pages) component.AddSlide(page);
  component.Options().SetNavigationTemplatesFolder(NavigationTemplatesFolder());
  if (job.arguments.raster.resolution)
    component.Options().Movie().resolution = *job.arguments.raster.resolution;
  component.SetAfterSlide(job.afterPage);
  std::string name = job.outputName;
  component.SaveToFile(name);
  if (!job.arguments.html) return {name};
  // The page was asked for by name: one that is there is replaced.
  platform::StandardErrorMessages messages;
  MakeHTMLPage(
      name, "", 0, 0, [](auto&, auto&) { return true; }, messages);
  return {name, ChangeFileExt(name, ".html")};
}

}  // namespace

ConvertWriter DesktopRasterWriter(ConvertFormat format) {
  switch (format) {
    case ConvertFormat::Jpeg:
      return WriteJpeg;
    case ConvertFormat::Png:
      return WritePng;
    case ConvertFormat::Tiff:
      return WriteTiff;
    case ConvertFormat::Swf:
      return WriteSwf;
    case ConvertFormat::Pdf:
      return {};  // made by the command itself, with this program's rasterizer
  }
  throw std::logic_error("no bitmap writer for this output");
}

}  // namespace app
