#include "dialogs/movie_and_jpeg_outputs.h"

#include "app/html_page.h"
#include "app/jpeg_output.h"
#include "app/swf_output.h"
#include "dialogs/explore_to_file.h"
#include "platform/message_box.h"
#include "presentation/qt/swf_options_dialog.h"

namespace dialogs {

namespace {

bool AskYesNo(const std::string& text, const std::string& caption) {
  return platform::ShowMessageBox(text, caption, platform::MessageIcon::Question,
                                  platform::MessageButtons::YesNo) == platform::MessageAnswer::Yes;
}

}  // namespace

bool SaveMovie(platform::RegistryStore& store, const std::vector<std::string>& pageFiles,
               const std::string& outputName) {
  // The component stays for the rest of the process, as the run expects.
  static presentation::TPresentation component(&store);
  component.SetOptionsDialog(presentation::ShowSwfOptionsDialog);
  return app::RunDialogSwf(component, pageFiles, outputName);
}

void MakeMoviePage(const std::string& movieName) {
  // No title and no size: the page takes the movie's file name and stage size.
  app::MakeHTMLPage(movieName, "", 0, 0, AskYesNo);
}

void OpenMoviePage(const std::string& pageName) {
  try {
    app::OpenHtmlPage(pageName);
  } catch (const std::exception& error) {
    platform::ShowMessageBox(error.what(), "Error", platform::MessageIcon::Error);
  }
}

void SaveJpegPages(const std::vector<std::string>& pageFiles, const std::string& outputName,
                   bool openFile, bool& exploreFile) {
  const app::JpegRunResult result = app::RunJpegOutput(pageFiles, outputName);
  const app::JpegPostActions actions = app::DecideJpegPostActions(result, openFile, exploreFile);
  if (actions.open) OpenFile(*actions.open);
  if (actions.explore) {
    exploreFile = true;
    ExploreToFile(*actions.explore);
  }
}

}  // namespace dialogs
