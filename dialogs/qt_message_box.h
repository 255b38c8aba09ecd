#pragma once

#include "platform/message_box.h"

namespace dialogs {

// platform::ShowMessageBox as a QMessageBox; installed once Qt is up.
platform::MessageAnswer ShowQtMessageBox(const std::string& text, const std::string& caption,
                                         platform::MessageIcon icon,
                                         platform::MessageButtons buttons);

}  // namespace dialogs
