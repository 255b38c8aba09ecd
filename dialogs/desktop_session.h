#pragma once

#include <QApplication>
#include <memory>

namespace dialogs {

// The Qt application for dialog mode, or nullptr when there is no desktop
// session to show windows on (no DISPLAY or WAYLAND_DISPLAY, or Qt cannot
// connect to it). Qt is never started for silent runs.
std::unique_ptr<QApplication> StartDesktopSession();

}  // namespace dialogs
