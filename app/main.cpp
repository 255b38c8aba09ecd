#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "app/print_job_run.h"

int main(int argc, char** argv) {
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
