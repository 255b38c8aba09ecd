#pragma once

#include <string>

namespace platform {

enum class MessageIcon { Error, Warning, Information, Question };

// Shows a message to the user. Without a dialog front end the caption and
// text go to standard error.
void ShowMessageBox(const std::string& text, const std::string& caption, MessageIcon icon);

}  // namespace platform
