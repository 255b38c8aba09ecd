#include "app/swf_output.h"

#include "app/settings_store.h"
#include "platform/folders.h"

namespace app {

namespace {

void UseSettingsKey(presentation::TPresentation& component) {
  component.Options().SetUseRegistry(true);
  component.Options().SetRegistryKey(kSwfOptionsKey);
}

void AddSlides(presentation::TPresentation& component, const std::vector<std::string>& pages) {
  for (const std::string& page : pages) component.AddSlideFromFileName(page, 0);
}

}  // namespace

std::string NavigationTemplatesFolder() { return platform::ProgramFolder() + "swfbuttons"; }

void RunSilentSwf(presentation::TPresentation& component, const std::vector<std::string>& pageFiles,
                  const std::string& outputName) {
  UseSettingsKey(component);
  AddSlides(component, pageFiles);
  component.Options().SetNavigationTemplatesFolder(NavigationTemplatesFolder());
  UseSettingsKey(component);
  std::string name = outputName;
  component.SaveToFile(name);
}

std::shared_ptr<presentation::TPresentation> SaveSilentMovie(
    platform::RegistryStore& store, const std::vector<std::string>& pageFiles,
    const std::string& outputName) {
  auto component = std::make_shared<presentation::TPresentation>(&store);
  RunSilentSwf(*component, pageFiles, outputName);
  return component;
}

bool PrepareDialogSwf(presentation::TPresentation& component,
                      const std::vector<std::string>& pageFiles) {
  AddSlides(component, pageFiles);
  component.Options().SetNavigationTemplatesFolder(NavigationTemplatesFolder());
  UseSettingsKey(component);
  return component.ShowOptionsDialog(0);
}

}  // namespace app
