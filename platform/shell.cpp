#include "platform/shell.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>

extern char** environ;

namespace platform {

int RunProgram(const std::string& program, const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);

  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return -1;

  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string AbsolutePath(const std::string& path) {
  if (!path.empty() && path.front() == '/') return path;
  char cwd[4096];
  if (getcwd(cwd, sizeof cwd) == nullptr) return "./" + path;
  return std::string(cwd) + "/" + path;
}

void OpenWithDesktop(const std::string& target) {
  // TALLOWCRAFT_OPENER replaces xdg-open (tests use it to see what would open).
  const char* opener = std::getenv("TALLOWCRAFT_OPENER");
  const std::string program = opener != nullptr && *opener != '\0' ? opener : "xdg-open";
  if (RunProgram(program, {target}) != 0)
    throw std::runtime_error("Cannot open \"" + target + "\"");
}

void ShellOpen(const std::string& path) {
  // xdg-open 1.1 refuses "--"; an absolute path can never be taken for an option.
  OpenWithDesktop(AbsolutePath(path));
}

}  // namespace platform
