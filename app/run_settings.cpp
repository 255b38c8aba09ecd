#include "app/run_settings.h"

#include "platform/folders.h"

namespace app {

std::string DefaultSaveFolder() {
  std::string folder = platform::DocumentsFolder();
  if (folder.empty()) folder = platform::HomeFolder();
  return folder.empty() ? "/" : folder;
}

}  // namespace app
