#pragma once

#include <string>

namespace platform {

// Folders the program asks the system for. Each result ends in "/".

// XDG_DOCUMENTS_DIR, else the user-dirs.dirs entry, else $HOME/Documents.
// Empty when none of them exists as a folder.
std::string DocumentsFolder();

// $HOME, or the password database's home folder.
std::string HomeFolder();

// $TMPDIR, else /tmp.
std::string TemporaryFolder();

// The folder of the running program (/proc/self/exe).
std::string ProgramFolder();

bool FolderExists(const std::string& path);
bool FileExists(const std::string& path);

}  // namespace platform
