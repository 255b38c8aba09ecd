#include "platform/interrupt_cleanup.h"

#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <cstring>

namespace platform {

namespace {

constexpr int kSlots = 8;
constexpr int kEndingSignals[] = {SIGTERM, SIGHUP, SIGINT};

// Written only with the ending signals blocked; read by the handler.
char gPaths[kSlots][PATH_MAX];
volatile sig_atomic_t gUsed[kSlots];

void RemoveAndEnd(int signal) {
  for (int i = 0; i < kSlots; ++i)
    if (gUsed[i]) ::unlink(gPaths[i]);
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

void IgnoreFileSizeLimit(int) {}

void Install() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  for (const int signal : kEndingSignals) {
    struct sigaction current {};
    if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = RemoveAndEnd;
    sigemptyset(&action.sa_mask);
    for (const int other : kEndingSignals) sigaddset(&action.sa_mask, other);
    ::sigaction(signal, &action, nullptr);
  }
  struct sigaction fileSize {};
  fileSize.sa_handler = IgnoreFileSizeLimit;
  sigemptyset(&fileSize.sa_mask);
  ::sigaction(SIGXFSZ, &fileSize, nullptr);
}

// Runs `change` with the ending signals held back.
template <typename Change>
void Guarded(Change change) {
  sigset_t ending;
  sigset_t previous;
  sigemptyset(&ending);
  for (const int signal : kEndingSignals) sigaddset(&ending, signal);
  ::sigprocmask(SIG_BLOCK, &ending, &previous);
  change();
  ::sigprocmask(SIG_SETMASK, &previous, nullptr);
}

}  // namespace

void RemoveOnInterrupt::InstallHandlers() {
  Guarded([] { Install(); });
}

RemoveOnInterrupt::RemoveOnInterrupt(const std::string& path) {
  if (path.size() >= PATH_MAX) return;
  Guarded([&] {
    Install();
    for (int i = 0; i < kSlots && slot_ < 0; ++i) {
      if (gUsed[i]) continue;
      std::memcpy(gPaths[i], path.c_str(), path.size() + 1);
      gUsed[i] = 1;
      slot_ = i;
    }
  });
}

RemoveOnInterrupt::~RemoveOnInterrupt() {
  if (slot_ >= 0) Guarded([&] { gUsed[slot_] = 0; });
}

}  // namespace platform
