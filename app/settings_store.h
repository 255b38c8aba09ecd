#pragma once

#include <string>

#include "app/run_settings.h"
#include "platform/registry_store.h"

namespace app {

// Key paths below HKEY_CURRENT_USER.
inline constexpr const char* kMainKey = "Software\\Quillmark\\Tallowcraft";
inline constexpr const char* kPdfOptionsKey = "Software\\Quillmark\\Tallowcraft\\PDFFormatOptions";
inline constexpr const char* kSwfOptionsKey = "Software\\Quillmark\\Tallowcraft\\SWFFormatOptions";

// The key both stored passwords are scrambled with.
inline constexpr const char* kPasswordKey = "Rt4nQ9-e";

// Reads the main key with the tolerant reader (the six silent-mode values
// only when Silent is on, FileSavePath last) and applies the save-folder rule.
RunSettings LoadRunSettings(platform::RegistryStore& store);

// Writes OpenFileCheckBox, HTMLCheckBox, ExploreFileCheckBox and, as
// FileSavePath, the folder part of `outputFileName` (empty when none), as
// one change.
void SaveRunSettings(platform::RegistryStore& store, const RunSettings& settings,
                     const std::string& outputFileName);

// The save dialog's filter index; strict reader, default 0.
int ReadDefaultFilterIndex(platform::RegistryStore& store);
void WriteDefaultFilterIndex(platform::RegistryStore& store, int filterIndex);

// The stored folder when it names an existing folder, else the default one
// (documents folder, else home folder, else "/"), ending in "/".
std::string SaveFolder(const std::string& stored);

// Each byte XOR the key byte at the same position (key repeated), as two
// lower-case hexadecimal digits.
std::string ScramblePassword(const std::string& key, const std::string& plain);
// The reverse; a pair that is not hexadecimal stands for 32, an odd last
// character is ignored.
std::string UnscramblePassword(const std::string& key, const std::string& stored);

}  // namespace app
