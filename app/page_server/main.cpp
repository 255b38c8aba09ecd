// tallowcraft-page-server ROOT RUFFLE_FOLDER IDLE_SECONDS
// Serves one movie page on the loopback address, prints the port on its own
// line to standard output, and ends after IDLE_SECONDS without a request.
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "app/page_server.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s ROOT RUFFLE_FOLDER IDLE_SECONDS\n", argv[0]);
    return 2;
  }
  app::PageServerSettings settings;
  settings.root = argv[1];
  settings.ruffleFolder = argv[2];
  settings.idleSeconds = std::atoi(argv[3]);
  try {
    app::ServePage(settings, [](int port) {
      std::printf("%d\n", port);
      std::fflush(stdout);
    });
  } catch (const std::exception& error) {
    std::fprintf(stderr, "tallowcraft-page-server: %s\n", error.what());
    return 1;
  }
  return 0;
}
