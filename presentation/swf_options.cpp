#include "presentation/swf_options.h"

namespace presentation {

namespace {

class OptionsKey {
 public:
  OptionsKey(platform::RegistryStore& store, const std::string& key, WrongType wrongType)
      : store_(store), key_(key), wrongType_(wrongType) {}

  int Number(const char* name, int fallback, int low, int high) const {
    const auto value = store_.ReadValue(key_, name);
    if (!value) return fallback;
    if (value->type != platform::REG_DWORD || value->data.size() != 4) {
      if (wrongType_ == WrongType::kDefault) return fallback;
      throw platform::RegistryError("settings value \"" + std::string(name) +
                                    "\" in HKEY_CURRENT_USER\\" + key_ +
                                    " has the wrong type: " + platform::RegTypeName(value->type) +
                                    " where a 32-bit number (dword:) is expected");
    }
    const auto number = static_cast<int32_t>(*value->Number());
    return number >= low && number <= high ? number : fallback;
  }
  bool Flag(const char* name, bool fallback) const {
    return Number(name, fallback ? 1 : 0, 0, 1) != 0;
  }

 private:
  platform::RegistryStore& store_;
  const std::string& key_;
  WrongType wrongType_;
};

}  // namespace

SwfOptions LoadSwfOptions(platform::RegistryStore& store, const std::string& key,
                          WrongType wrongType) {
  SwfOptions options;
  if (!store.KeyExists(key)) return options;
  const OptionsKey values(store, key, wrongType);
  options.resolution =
      values.Number("Resolution", options.resolution, kMinResolution, kMaxResolution);
  options.imageQuality = values.Number("ImageQuality", options.imageQuality, 1, 100);
  options.losslessSlides = values.Flag("LosslessSlides", options.losslessSlides);
  options.navigationButtons = values.Flag("NavigationButtons", options.navigationButtons);
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
