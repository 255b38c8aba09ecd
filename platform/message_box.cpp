#include "platform/message_box.h"

#include <cstdio>

namespace platform {

namespace {

MessagePresenter presenter = nullptr;

}  // namespace

void SetMessagePresenter(MessagePresenter value) { presenter = value; }

MessageAnswer ShowMessageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                             MessageButtons buttons) {
  if (presenter != nullptr) return presenter(text, caption, icon, buttons);
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
}

}  // namespace platform
