#include "app/swf_output.h"

#include "app/settings_store.h"
#include "platform/folders.h"

namespace app {

namespace {

void UseSettingsKey(presentation::TPresentation& component) {
  component.Options().SetUseRegistry(true);
  component.Options().SetRegistryKey(kSwfOptionsKey);
}

void AddSlides(presentation::TPresentation& component,
               const std::vector<emf2pdf::PageSource>& pages) {
  for (const emf2pdf::PageSource& page : pages) component.AddSlide(page);
}

}  // namespace

std::string NavigationTemplatesFolder() { return platform::ProgramFolder() + "swfbuttons"; }

void RunSilentSwf(presentation::TPresentation& component,
                  const std::vector<emf2pdf::PageSource>& pages, const std::string& outputName) {
  UseSettingsKey(component);
  AddSlides(component, pages);
  component.Options().SetNavigationTemplatesFolder(NavigationTemplatesFolder());
  UseSettingsKey(component);
  std::string name = outputName;
  component.SaveToFile(name);
}

std::shared_ptr<presentation::TPresentation> SaveSilentMovie(
    platform::RegistryStore& store, const std::vector<emf2pdf::PageSource>& pages,
    const std::string& outputName) {
  auto component = std::make_shared<presentation::TPresentation>(&store);
  RunSilentSwf(*component, pages, outputName);
  return component;
}

bool PrepareDialogSwf(presentation::TPresentation& component,
                      const std::vector<emf2pdf::PageSource>& pages) {
  AddSlides(component, pages);
  component.Options().SetNavigationTemplatesFolder(NavigationTemplatesFolder());
  UseSettingsKey(component);
  return component.ShowOptionsDialog(0);
}

}  // namespace app
