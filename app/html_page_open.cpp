#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

#include "app/html_page.h"
#include "app/path_rules.h"
#include "platform/folders.h"
#include "platform/shell.h"

extern char** environ;

namespace app {

namespace {

constexpr int kIdleSeconds = 300;
constexpr int kStartMilliseconds = 5000;
constexpr size_t kLongestAddress = 8192;

// The first line the server prints: the page's address, or empty when the
// server printed none in time.
std::string ReadAddress(int fd) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartMilliseconds);
  std::string text;
  char buffer[512];
  while (text.find('\n') == std::string::npos && text.size() < kLongestAddress) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        end - std::chrono::steady_clock::now());
    pollfd waiting{fd, POLLIN, 0};
    if (left.count() <= 0 || poll(&waiting, 1, static_cast<int>(left.count())) <= 0) return {};
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got <= 0) return {};
    text.append(buffer, static_cast<size_t>(got));
  }
  const size_t lineEnd = text.find('\n');
  return lineEnd == std::string::npos ? std::string() : text.substr(0, lineEnd);
}

}  // namespace

PageServerProcess StartPageServer(const PageServerSettings& settings) {
  const std::string server = platform::ProgramFolder() + "tallowcraft-page-server";
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error("Cannot start the page server");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  // The address comes back through a pipe only this program reads: the
  // token in it is the page's only key.
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  // Nothing of ours stays open in the server: whoever reads this program's
  // output must not wait for the server to end.
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  const std::string idle = std::to_string(settings.idleSeconds);
  const std::string request = std::to_string(settings.requestSeconds);
  const char* argv[] = {server.c_str(),
                        settings.pageFile.c_str(),
                        settings.movieFile.c_str(),
                        settings.ruffleFolder.c_str(),
                        idle.c_str(),
                        request.c_str(),
                        nullptr};
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, server.c_str(), &actions, &attributes,
                             const_cast<char* const*>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  close(pipeFds[1]);
  const std::string url = rc == 0 ? ReadAddress(pipeFds[0]) : std::string();
  close(pipeFds[0]);
  if (url.rfind("http://127.0.0.1:", 0) != 0)
    throw std::runtime_error("Cannot start the page server " + server);
  return {pid, url};
}

void OpenHtmlPage(const std::string& pageFile, const std::string& movieFile) {
  PageServerSettings settings;
  settings.pageFile = platform::AbsolutePath(pageFile);
  settings.movieFile = movieFile.empty() ? ChangeFileExt(settings.pageFile, ".swf")
                                         : platform::AbsolutePath(movieFile);
  settings.ruffleFolder = platform::ProgramFolder() + "ruffle";
  settings.idleSeconds = kIdleSeconds;
  platform::OpenWithDesktop(StartPageServer(settings).url);
}

}  // namespace app
