#include "app/settings_store.h"

#include <cstdio>

#include "app/path_rules.h"
#include "app/registry_readers.h"
#include "platform/folders.h"
#include "platform/hex_digits.h"

namespace app {

using platform::RegValue;

namespace {}  // namespace

RunSettings LoadRunSettings(platform::RegistryStore& store) {
  const RegistryReader main(store, kMainKey, Strictness::Tolerant);
  RunSettings settings;
  settings.htmlCheckBox = main.ReadBool("HTMLCheckBox", true);
  settings.openFileCheckBox = main.ReadBool("OpenFileCheckBox", true);
  settings.exploreFileCheckBox = main.ReadBool("ExploreFileCheckBox", true);
  settings.silent = main.ReadBool("Silent", false);
  if (settings.silent) {
    settings.outputFileName = main.ReadString("OutputFileName", "Printer.swf");
    settings.outputFileFormat = main.ReadString("OutputFileFormat", "");
    settings.finishedWindowMessageId = main.ReadString("FinishedWindowMessageID", "");
    settings.controllerWindowHandle = main.ReadString("ControllerWindowHandle", "");
    settings.controllerWindowCaption = main.ReadString("ControllerWindowCaption", "");
    settings.controllerWindowClass = main.ReadString("ControllerWindowClass", "");
  }
  settings.fileSavePath = SaveFolder(main.ReadString("FileSavePath", ""));
  return settings;
}

void SaveRunSettings(platform::RegistryStore& store, const RunSettings& settings,
                     const std::string& outputFileName) {
  store.WriteValues(kMainKey,
                    {{"OpenFileCheckBox", RegValue::Dword(settings.openFileCheckBox ? 1 : 0)},
                     {"HTMLCheckBox", RegValue::Dword(settings.htmlCheckBox ? 1 : 0)},
                     {"ExploreFileCheckBox", RegValue::Dword(settings.exploreFileCheckBox ? 1 : 0)},
                     {"FileSavePath", RegValue::String(ExtractFilePath(outputFileName))}});
}

int ReadDefaultFilterIndex(platform::RegistryStore& store) {
  return static_cast<int>(
      RegistryReader(store, kMainKey, Strictness::Strict).ReadInteger("DefaultFilterIndex", 0));
}

void WriteDefaultFilterIndex(platform::RegistryStore& store, int filterIndex) {
  store.WriteValues(kMainKey,
                    {{"DefaultFilterIndex", RegValue::Dword(static_cast<uint32_t>(filterIndex))}});
}

std::string SaveFolder(const std::string& stored) {
  if (!stored.empty() && platform::FolderExists(stored)) return stored;
  return DefaultSaveFolder();
}

std::string ScramblePassword(const std::string& key, const std::string& plain) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string scrambled;
  scrambled.reserve(plain.size() * 2);
  for (size_t i = 0; i < plain.size(); ++i) {
    auto c = static_cast<uint8_t>(plain[i]);
    if (!key.empty()) c ^= static_cast<uint8_t>(key[i % key.size()]);
    scrambled.push_back(kDigits[c >> 4]);
    scrambled.push_back(kDigits[c & 15]);
  }
  return scrambled;
}

std::string UnscramblePassword(const std::string& key, const std::string& stored) {
  std::string plain;
  const size_t count = stored.size() / 2;
  plain.reserve(count);
  for (size_t j = 0; j < count; ++j) {
    const int high = platform::HexDigitValue(stored[2 * j]);
    const int low = platform::HexDigitValue(stored[2 * j + 1]);
    auto c = static_cast<uint8_t>(high < 0 || low < 0 ? 32 : high * 16 + low);
    if (!key.empty()) c ^= static_cast<uint8_t>(key[j % key.size()]);
    plain.push_back(static_cast<char>(c));
  }
  return plain;
}

}  // namespace app
