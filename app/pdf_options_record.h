#pragma once

#include <string>

#include "app/run_settings.h"
#include "platform/registry_store.h"

namespace app {

// The PDFFormatOptions key as the PDF options dialog loads and saves it. Text
// is UTF-8; passwords are the plain text as typed.
struct PdfOptionsRecord {
  unsigned char cryptoOptions = 0xFF;
  int protectionKeyLength = 0;
  int compressionType = 1;
  int pdfVersion = 0;
  int pageOrientation = 0;
  int pageSize = 2;
  int leftMargin = 5;
  int rightMargin = 5;
  int topMargin = 5;
  int bottomMargin = 5;
  bool protectionEnabled = false;
  bool userPasswordEnabled = false;
  bool masterPasswordEnabled = false;
  std::string userPassword;
  std::string masterPassword;
  int fontCharset = 1;
  bool downloadImages = true;
  bool autoOpenPdf = true;
  std::string creator;
  std::string author;
  std::string subject;
  std::string title;
  std::string keywords;
};

// Reads the key (created when missing) in the dialog's order. A value of the
// wrong type takes its default, like a missing one, so that a damaged
// setting can be put right in the dialog; saving then replaces it.
PdfOptionsRecord LoadPdfOptionsRecord(platform::RegistryStore& store);

// Writes the record back as one change. A password is stored (scrambled, as
// Windows-1252 bytes, as the silent reader expects) only while its option is on.
void SavePdfOptionsRecord(platform::RegistryStore& store, const PdfOptionsRecord& record);

// What the converter gets from the dialog: the passwords only while their
// options are on, the producer and today's date as creation date. A password
// must pass PdfPasswordBytes; the dialog refuses one that does not.
PdfFormatOptions DialogPdfFormatOptions(const PdfOptionsRecord& record,
                                        const std::string& producer);

}  // namespace app
