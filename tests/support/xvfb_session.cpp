#include "support/xvfb_session.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <thread>

#include "support/temp_folder.h"

namespace testing_support {

XvfbSession::XvfbSession() {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) throw std::runtime_error("pipe failed");
  pid_ = ::fork();
  if (pid_ == 0) {
    ::close(pipeFds[0]);
    const std::string fd = std::to_string(pipeFds[1]);
    ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten",
             "tcp", "-noreset", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(pipeFds[1]);
  // -noreset: a server restarting after each xdotool call would refuse the
  // program's connection. Xvfb writes the display number once it accepts them.
  std::string number;
  char c;
  while (::read(pipeFds[0], &c, 1) == 1 && c != '\n') number.push_back(c);
  ::close(pipeFds[0]);
  if (number.empty()) throw std::runtime_error("Xvfb did not start");
  display_ = ":" + number;
}

XvfbSession::~XvfbSession() {
  if (pid_ <= 0) return;
  Continue();  // a stopped server would not end
  ::kill(pid_, SIGTERM);
  ::waitpid(pid_, nullptr, 0);
}

int XvfbSession::Xdotool(const std::string& arguments) const {
  return RunCommand("DISPLAY=" + display_ + " xdotool " + arguments + " 2>/dev/null");
}

bool XvfbSession::WaitForFocus(const std::string& title) const {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < end) {
    std::string name;
    RunCommand("DISPLAY=" + display_ + " xdotool getwindowfocus getwindowname 2>/dev/null", &name);
    if (name == title + "\n") return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

void XvfbSession::Stop() const { ::kill(pid_, SIGSTOP); }

void XvfbSession::Continue() const { ::kill(pid_, SIGCONT); }

}  // namespace testing_support
