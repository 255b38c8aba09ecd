#include <malloc.h>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "app/print_job_run.h"

namespace {

// A run is short and, page after page, allocates and frees buffers of a few
// hundred kilobytes (page files, bitmaps, compressed streams). Handing them
// back to the kernel after each page and faulting them in again costs more
// than keeping them; peak memory is what the largest page needs either way.
void KeepFreedMemory() {
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
}

}  // namespace

int main(int argc, char** argv) {
  KeepFreedMemory();
  std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  try {
    app::PrintJobRun run;
    return run.Run(arguments);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "tallowcraft: %s\n", error.what());
  } catch (...) {
    std::fprintf(stderr, "tallowcraft: unknown error\n");
  }
  return 2;
}
