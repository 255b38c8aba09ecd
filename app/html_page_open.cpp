#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

#include "app/html_page.h"
#include "app/path_rules.h"
#include "platform/folders.h"
#include "platform/shell.h"

extern char** environ;

namespace app {

namespace {

constexpr const char* kIdleSeconds = "300";

// Characters a URL path may carry as they are; everything else is escaped.
std::string EscapeForUrl(const std::string& name) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const unsigned char c : name) {
    if (isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
      out.push_back(static_cast<char>(c));
    } else {
      out += {'%', kHex[c >> 4], kHex[c & 15]};
    }
  }
  return out;
}

// Starts the server in a session of its own so that it outlives this
// program, and reads the port it listens on.
int StartPageServer(const std::string& root) {
  const std::string server = platform::ProgramFolder() + "tallowcraft-page-server";
  const std::string ruffle = platform::ProgramFolder() + "ruffle";
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error("Cannot start the page server");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  // Nothing of ours stays open in the server: whoever reads this program's
  // output must not wait for the server to end.
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  const char* argv[] = {server.c_str(), root.c_str(), ruffle.c_str(), kIdleSeconds, nullptr};
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, server.c_str(), &actions, &attributes,
                             const_cast<char* const*>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  close(pipeFds[1]);
  std::string line;
  pollfd waiting{pipeFds[0], POLLIN, 0};
  char c = 0;
  while (rc == 0 && line.size() < 8 && poll(&waiting, 1, 5000) > 0 &&
         read(pipeFds[0], &c, 1) == 1 && c != '\n')
    line.push_back(c);
  close(pipeFds[0]);
  const int port = std::atoi(line.c_str());
  if (rc != 0 || port <= 0) throw std::runtime_error("Cannot start the page server " + server);
  return port;
}

}  // namespace

void OpenHtmlPage(const std::string& pageFile) {
  const std::string absolute = platform::AbsolutePath(pageFile);
  const int port = StartPageServer(ExtractFilePath(absolute));
  const std::string address =
      "http://127.0.0.1:" + std::to_string(port) + "/" + EscapeForUrl(ExtractFileName(absolute));
  platform::OpenWithDesktop(address);
}

}  // namespace app
