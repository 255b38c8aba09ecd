#include "app/program_entry.h"

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "app/convert_arguments.h"
#include "emf2pdf/record_trace.h"

namespace app {

namespace {

// A run is short and, page after page, allocates and frees buffers of a few
// hundred kilobytes (page files, bitmaps, compressed streams). Handing them
// back to the kernel after each page and faulting them in again costs more
// than keeping them; peak memory is what the largest page needs either way.
void KeepFreedMemory() {
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
}

constexpr const char* kUsage =
    "Usage: tallowcraft [--trace | --verbose] JOB.ini\n"
    "       tallowcraft convert [OPTIONS] INPUT... -o OUTPUT   (see below)\n"
    "Saves a spooled print job (one EMF file per page, listed in JOB.ini) as PDF, as a\n"
    "Flash movie with its HTML page, or as JPEG pages.\n"
    "\n"
    "With \"Silent\" on in the settings the output is made without asking; otherwise the\n"
    "save dialog and the PDF options dialog ask where and how, and the job's files are\n"
    "deleted afterwards. Settings: $TALLOWCRAFT_REGISTRY, else\n"
    "$XDG_CONFIG_HOME/tallowcraft/registry.reg (~/.config/tallowcraft/registry.reg).\n"
    "\n"
    "  --trace    list on standard error every record of every page: its offset, its\n"
    "             name and the drawing calls it made, or why it was dropped\n"
    "             (unsupported, malformed, over budget, outside the clip);\n"
    "             as TALLOWCRAFT_TRACE=1\n"
    "  --verbose  list only the dropped records, and a count per page;\n"
    "             as TALLOWCRAFT_TRACE=verbose\n"
    "  --help     show this text\n"
    "  --version  show the version\n";

// Answers --help and --version; -1 when the arguments are a job.
int AnswerOption(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return -1;
  if (arguments[0] == "--help" || arguments[0] == "-h") {
    std::fputs(kUsage, stdout);
    std::fputs("\n", stdout);
    std::fputs(kConvertUsage, stdout);
    return 0;
  }
  if (arguments[0] == "--version") {
    std::printf("%s\n", kProducer);
    return 0;
  }
  return -1;
}

// Takes --trace and --verbose out of the arguments and hands them on in
// the environment, where the converter of every page reads them (and the
// desktop program this one may become, as well as its argument list).
void TakeTraceOptions(std::vector<std::string>& arguments) {
  const auto take = [&arguments](const char* option) {
    const auto at = std::remove(arguments.begin(), arguments.end(), option);
    const bool found = at != arguments.end();
    arguments.erase(at, arguments.end());
    return found;
  };
  const bool verbose = take("--verbose");
  const bool trace = take("--trace");
  if (trace || verbose) setenv(emf2pdf::kTraceVariable, trace ? "1" : "verbose", 1);
}

}  // namespace

int RunProgram(int argc, char** argv, const std::function<void(PrintJobRun&)>& equip,
               const RasterWriterFor& raster) {
  KeepFreedMemory();
  std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  TakeTraceOptions(arguments);
  if (const int answered = AnswerOption(arguments); answered >= 0) return answered;
  if (!arguments.empty() && arguments[0] == "convert")
    return RunConvert({arguments.begin() + 1, arguments.end()}, raster);
  try {
    PrintJobRun run;
    equip(run);
    return run.Run(arguments);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "tallowcraft: %s\n", error.what());
  } catch (...) {
    std::fprintf(stderr, "tallowcraft: unknown error\n");
  }
  return 2;
}

}  // namespace app
