#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace platform {

// The window a completion message goes to: by title when one is given, else
// by class, else by its id.
struct WindowTarget {
  std::string caption;
  std::string windowClass;
  uint64_t windowId = 0;
};

// The ClientMessage's type; the message number travels in data.l[0], the
// two message parameters (always 0 here) in data.l[1] and data.l[2].
inline constexpr const char* kMessageAtom = "TALLOWCRAFT_WINDOW_MESSAGE";

// How long the whole X conversation (connecting, finding the window, sending,
// syncing) may take before the sender gives up on it.
inline constexpr std::chrono::milliseconds kMessageTimeout{5000};

enum class MessageOutcome {
  Sent,            // the server has processed the request
  NotSent,         // no Xlib, no display to connect to, or no such window
  NoAnswer,        // the server did not answer in time; nothing was sent
  Unconfirmed,     // the request went out, but the server did not confirm it in time
  ConnectionLost,  // the connection broke before the message went out
  NoThread,        // no thread could be started for the conversation; nothing was sent
};

struct MessageResult {
  MessageOutcome outcome = MessageOutcome::NotSent;
  std::string display;  // $DISPLAY, for reporting
};

// Sends the message to the X11 window found for `target`: a top-level
// window whose _NET_WM_NAME or WM_NAME is the caption, or whose WM_CLASS
// (class or instance part) is the class, or the window id itself. The
// request is flushed and synced before returning; a server that does not
// answer within `timeout` is given up on (see the outcomes).
MessageResult SendWindowMessage(const WindowTarget& target, uint32_t messageNumber,
                                std::chrono::milliseconds timeout = kMessageTimeout);

}  // namespace platform
