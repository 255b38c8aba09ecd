#include "support/hive_fixture.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

extern char** environ;

namespace testing_support {

namespace {

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// Reads both pipes until the child closes them, without deadlocking.
void Drain(int outFd, int errFd, ProgramResult& result) {
  pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
  int open = 2;
  char buffer[4096];
  while (open > 0) {
    if (::poll(fds, 2, -1) < 0) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      const ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
      if (got <= 0) {
        ::close(fds[i].fd);
        fds[i].fd = -1;
        --open;
        continue;
      }
      (i == 0 ? result.standardOutput : result.standardError).append(buffer, got);
    }
  }
}

}  // namespace

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment) {
  int outPipe[2];
  int errPipe[2];
  if (::pipe2(outPipe, O_CLOEXEC) != 0 || ::pipe2(errPipe, O_CLOEXEC) != 0)
    throw std::runtime_error("pipe failed");
  std::vector<std::string> env;
  for (char** entry = environ; *entry != nullptr; ++entry) env.emplace_back(*entry);
  for (const std::string& extra : environment) {
    const std::string name = extra.substr(0, extra.find('=') + 1);
    std::erase_if(env, [&](const std::string& e) { return e.rfind(name, 0) == 0; });
    env.push_back(extra);
  }
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (std::string& entry : env) envp.push_back(entry.data());
  envp.push_back(nullptr);

  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(outPipe[1], 1);
    ::dup2(errPipe[1], 2);
    ::execvpe(program.c_str(), argv.data(), envp.data());
    ::_exit(127);
  }
  ::close(outPipe[1]);
  ::close(errPipe[1]);
  ProgramResult result;
  Drain(outPipe[0], errPipe[0], result);
  int status = 0;
  ::waitpid(child, &status, 0);
  result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

bool MemoryRegistry::KeyExists(const std::string& key) {
  if (failReads) throw platform::RegistryError("read failure");
  return keys_.count(Lower(key)) != 0;
}

std::optional<platform::RegValue> MemoryRegistry::ReadValue(const std::string& key,
                                                            const std::string& name) {
  if (failReads) throw platform::RegistryError("read failure");
  const auto found = keys_.find(Lower(key));
  if (found == keys_.end()) return std::nullopt;
  const auto value = found->second.find(Lower(name));
  if (value == found->second.end()) return std::nullopt;
  return value->second;
}

void MemoryRegistry::CreateKey(const std::string& key) {
  if (keys_.emplace(Lower(key), std::map<std::string, platform::RegValue>{}).second)
    createdKeys.push_back(key);
}

void MemoryRegistry::WriteValues(const std::string& key, const platform::NamedValues& values) {
  for (const auto& [name, value] : values) {
    Set(key, name, value);
    writeLog.push_back(key + "\\" + name);
  }
}

void MemoryRegistry::Set(const std::string& key, const std::string& name,
                         const platform::RegValue& value) {
  keys_[Lower(key)][Lower(name)] = value;
}

}  // namespace testing_support
