#pragma once

#include <string>

namespace testing_support {

// A virtual X display of its own (Xvfb, no window manager) for as long as the
// object lives, driven with xdotool.
class XvfbSession {
 public:
  XvfbSession();
  ~XvfbSession();
  XvfbSession(const XvfbSession&) = delete;
  XvfbSession& operator=(const XvfbSession&) = delete;

  // ":N"
  const std::string& display() const { return display_; }

  // Waits up to 30 s until a window with exactly this title has the keyboard
  // focus; false when none did.
  bool WaitForFocus(const std::string& title) const;
  // Runs xdotool with these arguments on this display.
  int Xdotool(const std::string& arguments) const;
  // Freezes the server (SIGSTOP): it still accepts connections, through the
  // kernel, but answers nothing until Continue().
  void Stop() const;
  void Continue() const;

 private:
  int pid_ = -1;
  std::string display_;
};

}  // namespace testing_support
