#include "platform/message_box.h"

#include <cstdio>

namespace platform {

MessageAnswer StandardErrorMessages::Present(const std::string& text, const std::string& caption,
                                             MessageIcon, MessageButtons buttons) {
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
}

}  // namespace platform
