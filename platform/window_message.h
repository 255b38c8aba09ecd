#pragma once

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

// Sends the message to the X11 window found for `target`: a top-level
// window whose _NET_WM_NAME or WM_NAME is the caption, or whose WM_CLASS
// (class or instance part) is the class, or the window id itself. The
// request is flushed and synced before returning. Returns false, sending
// nothing, when there is no display or no such window.
bool SendWindowMessage(const WindowTarget& target, long messageNumber);

}  // namespace platform
