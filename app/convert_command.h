#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/convert_arguments.h"
#include "emf2pdf/page_source.h"

namespace app {

enum class ConvertFormat { Pdf, Jpeg, Png, Tiff, Swf };

// One output to make: the pages, the file name to write (a JPEG or PNG
// output numbers its pages after it) and the options.
struct ConvertJob {
  const std::vector<emf2pdf::PageSource>& pages;
  std::string outputName;
  const ConvertArguments& arguments;
  std::function<void()> afterPage;  // after each page is made
};

// Makes an output all or nothing; returns the files written, in order.
using ConvertWriter = std::function<std::vector<std::string>(const ConvertJob&)>;

// The writer of an output drawn as bitmaps. Those need the desktop
// libraries: the program that starts every job hands the run over to the
// desktop program when asked for one (before any input is read).
using RasterWriterFor = std::function<ConvertWriter(ConvertFormat)>;

// `tallowcraft convert ARGUMENTS`; returns the exit status: 0 when the output
// was made, 2 with a message on standard error when not (nothing is left of
// a failed output).
int RunConvert(const std::vector<std::string>& arguments, const RasterWriterFor& raster);

}  // namespace app
