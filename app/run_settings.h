#pragma once

#include <string>

namespace app {

// The main key's values as the run holds them.
struct RunSettings {
  bool htmlCheckBox = true;
  bool openFileCheckBox = true;
  bool exploreFileCheckBox = true;
  bool silent = false;
  std::string outputFileName = "Printer.swf";
  std::string outputFileFormat;
  std::string finishedWindowMessageId;
  std::string controllerWindowHandle;
  std::string controllerWindowCaption;
  std::string controllerWindowClass;
  std::string fileSavePath;  // the save folder, ending in "/"
};

// The save folder when none is stored: the documents folder, else the home
// folder, else "/".
std::string DefaultSaveFolder();

}  // namespace app
