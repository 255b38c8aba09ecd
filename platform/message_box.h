#pragma once

#include <string>

namespace platform {

enum class MessageIcon { Error, Warning, Information, Question };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

// Where the program's messages go: message boxes at a desktop, standard
// error elsewhere. Handed to whoever shows messages.
class MessagePresenter {
 public:
  virtual ~MessagePresenter() = default;

  MessageAnswer Show(const std::string& text, const std::string& caption, MessageIcon icon,
                     MessageButtons buttons = MessageButtons::Ok) {
    return Present(text, caption, icon, buttons);
  }
  // A question with Yes and No; true for Yes.
  bool AskYesNo(const std::string& text, const std::string& caption, MessageIcon icon) {
    return Present(text, caption, icon, MessageButtons::YesNo) == MessageAnswer::Yes;
  }

 protected:
  virtual MessageAnswer Present(const std::string& text, const std::string& caption,
                                MessageIcon icon, MessageButtons buttons) = 0;
};

// The caption and text on standard error. A question is answered No: nothing
// is replaced unasked.
class StandardErrorMessages final : public MessagePresenter {
 protected:
  MessageAnswer Present(const std::string& text, const std::string& caption, MessageIcon icon,
                        MessageButtons buttons) override;
};

}  // namespace platform
