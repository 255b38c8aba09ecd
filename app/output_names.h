#pragma once

#include <string>

namespace app {

// The save dialog's file types, counted from 1 as its filter index.
enum FilterIndex { kFilterSwf = 1, kFilterPdf = 2, kFilterSwfAndPdf = 3, kFilterJpeg = 4 };

// The text without the characters a file name may not hold on the platform
// the jobs come from: " $ % & * / : < = > ? [ \ ] |
std::string SanitizeDocumentName(const std::string& text);

// The name the save dialog proposes: the document name's file-name part (after
// the last "\", "/" or drive colon), sanitised, without its extension, with the
// extension of the file type.
std::string ProposedFileName(const std::string& documentName, int filterIndex);

// ".swf", ".pdf" or ".jpg" for filter index 1, 2 or 4; empty otherwise.
std::string FilterExtension(int filterIndex);

// The file type a chosen name asks for: a name ending in ".swf", ".pdf" or
// ".jpg" (any case) that the selected type would not make picks the type that
// makes it, as a typed "report.pdf" means a PDF; otherwise the selected type.
int FilterIndexForName(const std::string& chosen, int filterIndex);

// The chosen name with the file type's extension appended when it has none.
std::string CompleteFileName(const std::string& chosen, int filterIndex);

// Asks before each existing file the save would replace ("Replace File");
// true when saving may go on.
bool ConfirmOverwrite(const std::string& fileName, int filterIndex);

}  // namespace app
