#pragma once

#include <optional>
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

// The PDF options the silent run applies to the converter.
struct PdfFormatOptions {
  unsigned char protectionOptions = 0xFF;  // every permission granted
  int leftMargin = 5;
  int rightMargin = 5;
  int topMargin = 5;
  int bottomMargin = 5;
  bool protectionEnabled = false;
  bool setUserPassword = false;
  std::string userPassword;
  bool setOwnerPassword = false;
  std::string ownerPassword;
  int pageSize = 2;             // psA4
  int pageOrientation = 0;      // poPagePortrait
  int pdfVersion = 0;           // v13
  int compressionType = 1;      // ctFlate
  int protectionKeyLength = 0;  // kl40
  int fontCharset = 1;
  std::string creator;
  std::string author;
  std::string subject;
  std::string title;
  std::string keywords;
  // Set by the dialog source only; otherwise the document's own defaults.
  std::optional<std::string> producer;
  bool createdToday = false;  // creation date today, time of day zero
};

// The save folder when none is stored: the documents folder, else the home
// folder, else "/".
std::string DefaultSaveFolder();

}  // namespace app
