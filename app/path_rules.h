#pragma once

#include <string>

namespace app {

// File-name rules of the run, with "/" as the path delimiter.

// Text up to and including the last "/"; empty when there is none.
std::string ExtractFilePath(const std::string& name);
// Text after the last "/".
std::string ExtractFileName(const std::string& name);
// The extension with its dot, from the last "." of the file-name part.
std::string ExtractFileExt(const std::string& name);
// Replaces (or appends) the extension of the file-name part.
std::string ChangeFileExt(const std::string& name, const std::string& extension);
std::string LowerCase(std::string text);

}  // namespace app
