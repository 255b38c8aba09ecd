#pragma once

#include <string>
#include <vector>

namespace platform {
class RegistryStore;
}

namespace dialogs {

// The movie and JPEG outputs of dialog mode, with the questions and
// post-actions they bring at a desktop.

// Saves the pages as a movie under `outputName` unchanged, after the movie's
// own options dialog. False when that dialog is cancelled: nothing was made.
// Errors propagate.
bool SaveMovie(platform::RegistryStore& store, const std::vector<std::string>& pageFiles,
               const std::string& outputName);

// The HTML page that embeds the movie, beside it with extension ".html"; an
// existing page is replaced only when the user agrees.
void MakeMoviePage(const std::string& movieName);

// Opens the movie's HTML page in the browser, served on the loopback address
// (browsers do not run the player from a file:// page).
void OpenMoviePage(const std::string& pageName);

// One JPEG file per page, named after `outputName`, then the open and explore
// post-actions by the flags; with more than one page the explore flag is
// turned on instead of opening. Errors propagate.
void SaveJpegPages(const std::vector<std::string>& pageFiles, const std::string& outputName,
                   bool openFile, bool& exploreFile);

}  // namespace dialogs
