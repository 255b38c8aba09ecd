#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/output_names.h"
#include "emf2pdf/page_source.h"
#include "platform/message_box.h"
#include "platform/registry_store.h"

namespace pdf {
class OutputFile;
}
namespace presentation {
class TPresentation;
}

namespace dialogs {

// The movie and picture outputs of dialog mode, with the questions and
// post-actions they bring at a desktop.

// Takes the pages as the movie's slides and shows the movie's own options
// dialog; false when it is cancelled.
bool AskMovieOptions(presentation::TPresentation& component,
                     const std::vector<emf2pdf::PageSource>& pages);

// The movie of those slides in a temporary file that replaces `movieName`
// when the caller commits it. Errors propagate.
std::unique_ptr<pdf::OutputFile> WriteMovie(presentation::TPresentation& component,
                                            const std::string& movieName);

// The HTML page that embeds the movie, beside it with extension ".html". An
// existing page is replaced when the user agreed before anything was written
// (`replaceAgreed`), else only when the user agrees now.
void MakeMoviePage(platform::MessagePresenter& messages, const std::string& movieName,
                   bool replaceAgreed);

// Opens the movie's HTML page in the browser, served on the loopback address
// (browsers do not run the player from a file:// page); an error is shown.
void OpenMoviePage(platform::MessagePresenter& messages, const std::string& pageName,
                   const std::string& movieName);

// A picture output (JPEG or PNG pages, the TIFF document) named after
// `outputName`, then the open and explore post-actions by the flags; with
// more than one file the explore flag is turned on instead of opening.
// Errors propagate.
void SavePictures(app::OutputKind kind, platform::RegistryStore& store,
                  const std::vector<emf2pdf::PageSource>& pages, const std::string& outputName,
                  bool openFile, bool& exploreFile);

}  // namespace dialogs
