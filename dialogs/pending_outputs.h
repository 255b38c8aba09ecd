#pragma once

#include <string>
#include <vector>

namespace dialogs {

// The movie and JPEG outputs of dialog mode. This build does not make them:
// each says so in a message box and returns false, having made nothing.

// Saves the pages as a movie under `outputName` unchanged.
bool SaveMovie(const std::vector<std::string>& pageFiles, const std::string& outputName);
// The HTML page that embeds the movie, beside it with extension ".html".
void MakeMoviePage(const std::string& movieName);
// One JPEG file per page, named after `outputName`.
bool SaveJpegPages(const std::vector<std::string>& pageFiles, const std::string& outputName);

}  // namespace dialogs
