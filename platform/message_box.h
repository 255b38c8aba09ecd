#pragma once

#include <string>

namespace platform {

enum class MessageIcon { Error, Warning, Information, Question };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

// Shows message boxes for the program once a desktop front end is up.
using MessagePresenter = MessageAnswer (*)(const std::string& text, const std::string& caption,
                                           MessageIcon icon, MessageButtons buttons);

// Null goes back to standard error.
void SetMessagePresenter(MessagePresenter presenter);

// Shows a message to the user. Without a presenter the caption and text go to
// standard error, and a question is answered No: nothing is replaced unasked.
MessageAnswer ShowMessageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                             MessageButtons buttons = MessageButtons::Ok);

}  // namespace platform
