// libFuzzer target: any bytes as a job description and as a settings file.
// The readers may refuse the text (RegistryError names the line); anything
// else, a crash or a sanitizer report, is a finding. A settings file that
// parses must read back the same after a save.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file_bytes.h"
#include "platform/ini_file.h"
#include "platform/reg_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto ini = platform::IniFile::Parse(platform::TextToUtf8(bytes));
  for (const std::string& key : ini.Keys("EMF")) ini.ReadInteger("EMF", key, 0);
  try {
    const auto file = platform::RegFile::Parse(bytes, "fuzz.reg");
    const std::string saved = file.Serialize();
    if (platform::RegFile::Parse(saved, "saved.reg").Serialize() != saved) __builtin_trap();
  } catch (const platform::RegistryError&) {
  }
  return 0;
}
