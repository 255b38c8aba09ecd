#pragma once

#include "app/run_settings.h"

namespace app {

// Tells the controlling program that the silent job is done: message
// FinishedWindowMessageID, both parameters 0, to the window named by
// ControllerWindowCaption, else ControllerWindowClass, else
// ControllerWindowHandle. Nothing when the message number is 0 or not a
// number, or no such window or display exists. A number outside 1 to
// 4294967295, or an X server that does not answer in time, is reported on
// standard error and sends nothing. Returns whether it was sent. Call it
// only after an output was written.
bool NotifyController(const RunSettings& settings);

// A decimal integer (an optional sign, digits, surrounding blanks); 0 for
// anything else.
long long ParseWindowInteger(const std::string& text);

}  // namespace app
