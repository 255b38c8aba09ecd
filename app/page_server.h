#pragma once

#include <functional>
#include <string>

namespace app {

// A small HTTP server for one movie page on the loopback address, because
// browsers will not load Ruffle's WebAssembly into a file:// page.
struct PageServerSettings {
  std::string root;          // the page's folder
  std::string ruffleFolder;  // served as /ruffle/ when the root has no ruffle folder
  int idleSeconds = 120;     // ends after this long without a request
};

// Serves GET and HEAD for regular files inside the two folders, nothing
// outside them (no "..", no symbolic link leading out, no listing), to
// requests whose Host is the loopback address. `ready` receives the port once
// listening. Returns when idle; throws std::runtime_error when it cannot listen.
void ServePage(const PageServerSettings& settings, const std::function<void(int port)>& ready);

// The media type browsers need for a file name (application/wasm for
// Ruffle's WebAssembly, which is compiled only with that type).
std::string MediaTypeFor(const std::string& path);

// The file a request path stands for, or empty when it names nothing that
// may be served.
std::string ResolveRequestPath(const PageServerSettings& settings, const std::string& target);

}  // namespace app
