#pragma once

#include "platform/message_box.h"

namespace dialogs {

// A message as a modal QMessageBox; the answer is the button clicked.
platform::MessageAnswer ShowQtMessageBox(const std::string& text, const std::string& caption,
                                         platform::MessageIcon icon,
                                         platform::MessageButtons buttons);

// The messages of a run at a desktop, once Qt is up.
class QtMessages final : public platform::MessagePresenter {
 protected:
  platform::MessageAnswer Present(const std::string& text, const std::string& caption,
                                  platform::MessageIcon icon,
                                  platform::MessageButtons buttons) override {
    return ShowQtMessageBox(text, caption, icon, buttons);
  }
};

}  // namespace dialogs
