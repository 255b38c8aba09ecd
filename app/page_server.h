#pragma once

#include <functional>
#include <string>

namespace app {

// A small HTTP server for one movie page on the loopback address, because
// browsers will not load Ruffle's WebAssembly into a file:// page.
struct PageServerSettings {
  std::string pageFile;      // absolute path of the page
  std::string movieFile;     // absolute path of the movie the page embeds
  std::string ruffleFolder;  // the player's files, served as ruffle/ beside the page
  int idleSeconds = 300;     // ends after this long without an answered request
  int requestSeconds = 10;   // the longest a connection may take over one request
};

// Serves GET and HEAD on 127.0.0.1 for exactly the page, the movie and the
// regular files of the Ruffle folder, under a path that starts with a random
// token: http://127.0.0.1:PORT/TOKEN/PAGE. Everything else is 404, a Host
// other than the loopback address 403. `ready` receives the page's address
// once listening. Returns when idle; throws std::runtime_error when it cannot
// serve.
void ServePage(const PageServerSettings& settings,
               const std::function<void(const std::string& url)>& ready);

// The media type browsers need for a file name (application/wasm for
// Ruffle's WebAssembly, which is compiled only with that type).
std::string MediaTypeFor(const std::string& path);

}  // namespace app
