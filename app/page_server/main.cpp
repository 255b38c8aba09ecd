// tallowcraft-page-server PAGE_FILE MOVIE_FILE RUFFLE_FOLDER IDLE_SECONDS [REQUEST_SECONDS]
// Serves one movie page, its movie and the player on the loopback address
// under a random token, prints the page's address on its own line to
// standard output (the token never appears on the command line, which every
// user may read), and ends after IDLE_SECONDS without an answered request.
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "app/page_server.h"

int main(int argc, char** argv) {
  if (argc != 5 && argc != 6) {
    std::fprintf(stderr,
                 "usage: %s PAGE_FILE MOVIE_FILE RUFFLE_FOLDER IDLE_SECONDS [REQUEST_SECONDS]\n",
                 argv[0]);
    return 2;
  }
  app::PageServerSettings settings;
  settings.pageFile = argv[1];
  settings.movieFile = argv[2];
  settings.ruffleFolder = argv[3];
  settings.idleSeconds = std::atoi(argv[4]);
  if (argc == 6) settings.requestSeconds = std::atoi(argv[5]);
  try {
    app::ServePage(settings, [](const std::string& url) {
      std::printf("%s\n", url.c_str());
      std::fflush(stdout);
    });
  } catch (const std::exception& error) {
    std::fprintf(stderr, "tallowcraft-page-server: %s\n", error.what());
    return 1;
  }
  return 0;
}
