#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/pdf_options.h"

namespace app {

// What the bitmap outputs (JPEG, PNG, TIFF pages, movie slides) are drawn
// with.
struct RasterOptions {
  std::optional<int> resolution;     // dots per inch; unset: each output's own rule
  std::string tiffColors = "color";  // "color", "gray" or "bw"
};

// `tallowcraft convert` as asked on its command line.
struct ConvertArguments {
  std::vector<std::string> inputs;  // "-" is standard input
  std::string output;               // "-" is standard output
  std::string format;               // --format: the output's kind by extension ("pdf")
  PdfOptions pdf;
  RasterOptions raster;
  bool html = false;   // a movie's HTML page beside it
  bool quiet = false;  // no progress bar
};

// A command line that cannot be run; the message says why.
class ConvertUsageError : public std::runtime_error {
 public:
  explicit ConvertUsageError(const std::string& message) : std::runtime_error(message) {}
};

// An environment variable's value, or nullopt.
using EnvironmentLookup = std::function<std::optional<std::string>(const std::string&)>;
std::optional<std::string> ProcessEnvironment(const std::string& name);

// The arguments after "convert". The PDF options start from a converter's
// defaults (each page as large as its picture, no margins) or from the
// settings file of --settings, and the options given change them, wherever
// they stand. Passwords come from --password-file or the environment
// (TALLOWCRAFT_USER_PASSWORD, TALLOWCRAFT_OWNER_PASSWORD), never from the
// command line, which every user can read. Throws ConvertUsageError, or
// std::runtime_error for a file that cannot be read.
ConvertArguments ParseConvertArguments(const std::vector<std::string>& arguments,
                                       const EnvironmentLookup& environment = ProcessEnvironment);

// The help text of the command.
extern const char* const kConvertUsage;

}  // namespace app
