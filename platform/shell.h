#pragma once

#include <string>
#include <vector>

namespace platform {

// Runs a program with its arguments, never through a shell. Returns its exit
// status, or -1 when it could not be started. Standard output is discarded.
int RunProgram(const std::string& program, const std::vector<std::string>& arguments);

// `path` made absolute against the working folder.
std::string AbsolutePath(const std::string& path);

// Opens a file or an address as the desktop does (xdg-open). Throws
// std::runtime_error naming `target` when it cannot.
void OpenWithDesktop(const std::string& target);

// The shell's "open" verb: xdg-open with the absolute path as one argument. Throws
// std::runtime_error when the desktop cannot open it.
void ShellOpen(const std::string& path);

}  // namespace platform
