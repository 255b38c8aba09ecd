#include "dialogs/movie_and_jpeg_outputs.h"

#include "app/html_page.h"
#include "app/jpeg_output.h"
#include "app/swf_output.h"
#include "dialogs/explore_to_file.h"
#include "pdf/output_file.h"
#include "platform/message_box.h"
#include "presentation/qt/swf_options_dialog.h"

namespace dialogs {

namespace {

bool AskYesNo(const std::string& text, const std::string& caption) {
  return platform::ShowMessageBox(text, caption, platform::MessageIcon::Question,
                                  platform::MessageButtons::YesNo) == platform::MessageAnswer::Yes;
}

}  // namespace

bool AskMovieOptions(presentation::TPresentation& component,
                     const std::vector<std::string>& pageFiles) {
  component.SetOptionsDialog(presentation::ShowSwfOptionsDialog);
  return app::PrepareDialogSwf(component, pageFiles);
}

std::unique_ptr<pdf::OutputFile> WriteMovie(presentation::TPresentation& component,
                                            const std::string& movieName) {
  auto file = std::make_unique<pdf::OutputFile>(movieName);
  component.WriteMovie(*file);
  return file;
}

void MakeMoviePage(const std::string& movieName, bool replaceAgreed) {
  // No title and no size: the page takes the movie's file name and stage size.
  app::MakeHTMLPage(movieName, "", 0, 0,
                    replaceAgreed ? app::ConfirmReplace([](auto&, auto&) { return true; })
                                  : app::ConfirmReplace(AskYesNo));
}

void OpenMoviePage(const std::string& pageName, const std::string& movieName) {
  try {
    app::OpenHtmlPage(pageName, movieName);
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
