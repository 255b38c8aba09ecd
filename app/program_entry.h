#pragma once

#include <functional>

#include "app/convert_command.h"
#include "app/print_job_run.h"

namespace app {

inline constexpr const char* kProducer = "Quillmark Tallowcraft pro 1.20a";

// The common start of both programs: --help and --version, the allocator's
// settings, the run itself equipped by `equip` (or `tallowcraft convert`
// with the bitmap writers of `raster`), and the exit status of an error that
// ends it.
int RunProgram(int argc, char** argv, const std::function<void(PrintJobRun&)>& equip,
               const RasterWriterFor& raster);

}  // namespace app
