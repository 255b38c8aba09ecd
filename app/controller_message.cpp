#include "app/controller_message.h"

#include <cerrno>
#include <cstdlib>

#include "platform/window_message.h"

namespace app {

long long ParseWindowInteger(const std::string& text) {
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(begin, &end, 10);
  if (end == begin || errno == ERANGE) return 0;
  while (*end == ' ' || *end == '\t') ++end;
  return *end == '\0' ? value : 0;
}

bool NotifyController(const RunSettings& settings) {
  const long long message = ParseWindowInteger(settings.finishedWindowMessageId);
  if (message == 0) return false;
  platform::WindowTarget target;
  target.caption = settings.controllerWindowCaption;
  target.windowClass = settings.controllerWindowClass;
  const long long id = ParseWindowInteger(settings.controllerWindowHandle);
  target.windowId = id > 0 ? static_cast<uint64_t>(id) : 0;
  return platform::SendWindowMessage(target, static_cast<long>(message));
}

}  // namespace app
