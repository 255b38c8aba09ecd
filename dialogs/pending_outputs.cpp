#include "dialogs/pending_outputs.h"

#include "platform/message_box.h"

namespace dialogs {

namespace {

void NotAvailable(const std::string& what, const std::string& name) {
  platform::ShowMessageBox(what + " output is not available in this build of Tallowcraft, so \"" +
                               name + "\" was not made. Please choose \"PDF documents (*.pdf)\".",
                           "Output not available", platform::MessageIcon::Warning);
}

}  // namespace

bool SaveMovie(const std::vector<std::string>&, const std::string& outputName) {
  NotAvailable("Flash movie (SWF)", outputName);
  return false;
}

void MakeMoviePage(const std::string&) {}

bool SaveJpegPages(const std::vector<std::string>&, const std::string& outputName) {
  NotAvailable("JPEG image", outputName);
  return false;
}

}  // namespace dialogs
