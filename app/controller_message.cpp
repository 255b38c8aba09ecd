#include "app/controller_message.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "platform/window_message.h"

namespace app {

namespace {

struct ParsedInteger {
  bool isNumber = false;
  bool outOfRange = false;  // a number beyond long long
  long long value = 0;
};

ParsedInteger ParseInteger(const std::string& text) {
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(begin, &end, 10);
  if (end == begin) return {};
  const bool outOfRange = errno == ERANGE;
  while (*end == ' ' || *end == '\t') ++end;
  if (*end != '\0') return {};
  return {true, outOfRange, outOfRange ? 0 : value};
}

constexpr long long kLargestMessage = 0xFFFFFFFF;

// The message number; 0 when there is none to send, either because the
// setting asks for none or because it is no message number at all (said so).
uint32_t MessageNumber(const std::string& text) {
  const ParsedInteger parsed = ParseInteger(text);
  if (!parsed.isNumber || (parsed.value == 0 && !parsed.outOfRange)) return 0;
  if (!parsed.outOfRange && parsed.value > 0 && parsed.value <= kLargestMessage)
    return static_cast<uint32_t>(parsed.value);
  // Message numbers are 32 bits wide: a larger one would arrive cut short.
  std::fprintf(stderr,
               "tallowcraft: FinishedWindowMessageID \"%s\" is not a message number (1 to "
               "%lld); no completion message was sent\n",
               text.c_str(), kLargestMessage);
  return 0;
}

void ReportUnsent(const platform::MessageResult& result) {
  const char* display = result.display.c_str();
  const long long seconds =
      std::chrono::duration_cast<std::chrono::seconds>(platform::kMessageTimeout).count();
  switch (result.outcome) {
    case platform::MessageOutcome::NoAnswer:
      std::fprintf(stderr,
                   "tallowcraft: the X server of display %s did not answer within %lld "
                   "seconds; the completion message was not sent\n",
                   display, seconds);
      break;
    case platform::MessageOutcome::Unconfirmed:
      std::fprintf(stderr,
                   "tallowcraft: the X server of display %s did not confirm the completion "
                   "message within %lld seconds; it may not have arrived\n",
                   display, seconds);
      break;
    case platform::MessageOutcome::ConnectionLost:
      std::fprintf(stderr,
                   "tallowcraft: the connection to the X server of display %s broke; the "
                   "completion message was not sent\n",
                   display);
      break;
    case platform::MessageOutcome::NoThread:
      std::fprintf(stderr,
                   "tallowcraft: no thread could be started to talk to the X server of display "
                   "%s; the completion message was not sent\n",
                   display);
      break;
    case platform::MessageOutcome::Sent:
    case platform::MessageOutcome::NotSent:
      break;
  }
}

}  // namespace

long long ParseWindowInteger(const std::string& text) {
  const ParsedInteger parsed = ParseInteger(text);
  return parsed.isNumber ? parsed.value : 0;
}

bool NotifyController(const RunSettings& settings) {
  const uint32_t message = MessageNumber(settings.finishedWindowMessageId);
  if (message == 0) return false;
  platform::WindowTarget target;
  target.caption = settings.controllerWindowCaption;
  target.windowClass = settings.controllerWindowClass;
  const long long id = ParseWindowInteger(settings.controllerWindowHandle);
  target.windowId = id > 0 ? static_cast<uint64_t>(id) : 0;
  const platform::MessageResult result = platform::SendWindowMessage(target, message);
  ReportUnsent(result);
  return result.outcome == platform::MessageOutcome::Sent;
}

}  // namespace app
