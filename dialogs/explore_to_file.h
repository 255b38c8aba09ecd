#pragma once

#include <string>

namespace dialogs {

// Shows the file selected in the desktop's file manager (the freedesktop
// FileManager1 ShowItems call); without one, opens its folder. Does nothing
// when the file does not exist; failures are not reported.
void ExploreToFile(const std::string& file);

// Opens the file with the desktop's program for it; failures are not reported.
void OpenFile(const std::string& file);

}  // namespace dialogs
