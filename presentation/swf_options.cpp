#include "presentation/swf_options.h"

namespace presentation {

namespace {

int ReadNumber(platform::RegistryStore& store, const std::string& key, const char* name,
               int fallback, int low, int high) {
  const auto value = store.ReadValue(key, name);
  if (!value || value->type != platform::REG_DWORD) return fallback;
  const auto number = value->Number();
  if (!number) return fallback;
  const auto signedNumber = static_cast<int32_t>(*number);
  return signedNumber >= low && signedNumber <= high ? signedNumber : fallback;
}

}  // namespace

SwfOptions LoadSwfOptions(platform::RegistryStore& store, const std::string& key) {
  SwfOptions options;
  if (!store.KeyExists(key)) return options;
  options.resolution =
      ReadNumber(store, key, "Resolution", options.resolution, kMinResolution, kMaxResolution);
  options.imageQuality = ReadNumber(store, key, "ImageQuality", options.imageQuality, 1, 100);
  options.losslessSlides = ReadNumber(store, key, "LosslessSlides", 1, 0, 1) != 0;
  options.navigationButtons = ReadNumber(store, key, "NavigationButtons", 1, 0, 1) != 0;
  return options;
}

void SaveSwfOptions(platform::RegistryStore& store, const std::string& key,
                    const SwfOptions& options) {
  using platform::RegValue;
  store.WriteValues(key, {{"Resolution", RegValue::Dword(options.resolution)},
                          {"ImageQuality", RegValue::Dword(options.imageQuality)},
                          {"LosslessSlides", RegValue::Dword(options.losslessSlides)},
                          {"NavigationButtons", RegValue::Dword(options.navigationButtons)}});
}

}  // namespace presentation
