#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/message_box.h"

namespace app {

// What a job makes. Silent mode and dialog mode each choose one, from a
// format name and a file type.
enum class OutputKind { Movie, Pdf, MovieAndPdf, JpegPages };

bool MakesMovie(OutputKind kind);
bool MakesPdf(OutputKind kind);

// The save dialog's file types, counted from 1 as its filter index (stored
// as DefaultFilterIndex).
enum FilterIndex { kFilterSwf = 1, kFilterPdf = 2, kFilterSwfAndPdf = 3, kFilterJpeg = 4 };

// The output of a file type; nothing for an index outside the list.
std::optional<OutputKind> OutputKindOfFilter(int filterIndex);

// The output of silent mode's format name ("pdf" or "swf", lower case);
// nothing for any other.
std::optional<OutputKind> OutputKindOfFormat(const std::string& format);

// The text without the characters a file name may not hold on the platform
// the jobs come from: " $ % & * / : < = > ? [ \ ] |
std::string SanitizeDocumentName(const std::string& text);

// The name the save dialog proposes: the document name's file-name part (after
// the last "\", "/" or drive colon), sanitised, without its extension, with the
// extension of the file type. A name that leaves nothing usable (empty, only
// dots or spaces: "http://example.com/") proposes the default name "Printer".
std::string ProposedFileName(const std::string& documentName, int filterIndex);

// ".swf", ".pdf" or ".jpg" for filter index 1, 2 or 4; empty otherwise.
std::string FilterExtension(int filterIndex);

// The file type a chosen name asks for: a name ending in ".swf", ".pdf" or
// ".jpg" (any case) that the selected type would not make picks the type that
// makes it, as a typed "report.pdf" means a PDF; otherwise the selected type.
int FilterIndexForName(const std::string& chosen, int filterIndex);

// The movie made under an output name: the name itself when it ends in
// ".swf" in any case, else the name with its extension changed to ".swf", so
// that a movie never lands on a PDF or a name without extension.
std::string MovieFileName(const std::string& outputName);

// The file of one JPEG page: the output name without its extension, the page
// number when the job has more than one page, ".jpg".
std::string JpegPageName(const std::string& outputName, int pageNumber, int pageCount);

// The chosen name with the file type's extension appended when it has none.
std::string CompleteFileName(const std::string& chosen, int filterIndex);

// Every file a save under the completed `fileName` writes, in the order they
// are asked about: the movie as "name.swf", the PDF as "name.pdf", the movie's
// page "name.html" when `htmlPage`, or the numbered JPEG pages of a job of
// `pageCount` pages.
std::vector<std::string> FilesToWrite(const std::string& fileName, OutputKind output, int pageCount,
                                      bool htmlPage);

// Asks before each existing file of FilesToWrite is replaced ("Replace File"),
// before anything is written; true when saving may go on. Existing JPEG pages
// are asked about in one question that lists them.
bool ConfirmOverwrite(platform::MessagePresenter& messages, const std::string& fileName,
                      OutputKind output, int pageCount = 1, bool htmlPage = false);

}  // namespace app
