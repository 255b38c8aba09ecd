#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/message_box.h"

namespace app {

// What a job makes. Silent mode and dialog mode each choose one, from a
// format name and a file type.
enum class OutputKind { Movie, Pdf, MovieAndPdf, JpegPages, PngPages, TiffDocument };

bool MakesMovie(OutputKind kind);
bool MakesPdf(OutputKind kind);
// Pages drawn as pictures: JPEG or PNG pages, or the TIFF document.
bool MakesPictures(OutputKind kind);

// The save dialog's file types, counted from 1 as its filter index (stored
// as DefaultFilterIndex).
enum FilterIndex {
  kFilterSwf = 1,
  kFilterPdf = 2,
  kFilterSwfAndPdf = 3,
  kFilterJpeg = 4,
  kFilterPng = 5,
  kFilterTiff = 6,
};

// The output of a file type; nothing for an index outside the list.
std::optional<OutputKind> OutputKindOfFilter(int filterIndex);

// The output of silent mode's format name, lower case: "pdf", "swf", "jpg"
// (or "jpeg"), "png", "tif" (or "tiff"); nothing for any other.
std::optional<OutputKind> OutputKindOfFormat(const std::string& format);

// The text without the characters a file name may not hold on the platform
// the jobs come from: " $ % & * / : < = > ? [ \ ] |
std::string SanitizeDocumentName(const std::string& text);

// The name the save dialog proposes: the document name's file-name part (after
// the last "\", "/" or drive colon), sanitised, without its extension, with the
// extension of the file type. A name that leaves nothing usable (empty, only
// dots or spaces: "http://example.com/") proposes the default name "Printer".
std::string ProposedFileName(const std::string& documentName, int filterIndex);

// ".swf", ".pdf", ".jpg", ".png" or ".tif" for filter index 1, 2, 4, 5 or 6;
// empty otherwise.
std::string FilterExtension(int filterIndex);

// The file type a chosen name asks for: a name ending in ".swf", ".pdf",
// ".jpg", ".png", ".tif" or ".tiff" (any case) that the selected type would
// not make picks the type that makes it, as a typed "report.pdf" means a PDF;
// otherwise the selected type.
int FilterIndexForName(const std::string& chosen, int filterIndex);

// The movie made under an output name: the name itself when it ends in
// ".swf" in any case, else the name with its extension changed to ".swf", so
// that a movie never lands on a PDF or a name without extension.
std::string MovieFileName(const std::string& outputName);

// The file of one page of JPEG or PNG pages: the output name without its
// extension, the page number when the job has more than one page, then
// `extension` (".jpg", ".png").
std::string PageFileName(const std::string& outputName, int pageNumber, int pageCount,
                         const std::string& extension);

// The TIFF document made under an output name: the name itself when it ends
// in ".tif" or ".tiff" in any case, else the name with its extension changed
// to ".tif".
std::string TiffFileName(const std::string& outputName);

// The chosen name with the file type's extension appended when it has none.
std::string CompleteFileName(const std::string& chosen, int filterIndex);

// Every file a save under the completed `fileName` writes, in the order they
// are asked about: the movie as "name.swf", the PDF as "name.pdf", the movie's
// page "name.html" when `htmlPage`; or the numbered JPEG or PNG pages of a job
// of `pageCount` pages; or the TIFF document.
std::vector<std::string> FilesToWrite(const std::string& fileName, OutputKind output, int pageCount,
                                      bool htmlPage);

// Asks before each existing file of FilesToWrite is replaced ("Replace File"),
// before anything is written; true when saving may go on. Existing JPEG or
// PNG pages are asked about in one question that lists them.
bool ConfirmOverwrite(platform::MessagePresenter& messages, const std::string& fileName,
                      OutputKind output, int pageCount = 1, bool htmlPage = false);

}  // namespace app
