#include "dialogs/movie_and_jpeg_outputs.h"

#include "app/html_page.h"
#include "app/picture_outputs.h"
#include "app/swf_output.h"
#include "dialogs/explore_to_file.h"
#include "pdf/output_file.h"
#include "presentation/qt/swf_options_dialog.h"

namespace dialogs {

bool AskMovieOptions(presentation::TPresentation& component,
                     const std::vector<emf2pdf::PageSource>& pages) {
  component.SetOptionsDialog(presentation::ShowSwfOptionsDialog);
  return app::PrepareDialogSwf(component, pages);
}

std::unique_ptr<pdf::OutputFile> WriteMovie(presentation::TPresentation& component,
                                            const std::string& movieName) {
  auto file = std::make_unique<pdf::OutputFile>(movieName);
  component.WriteMovie(*file);
  return file;
}

void MakeMoviePage(platform::MessagePresenter& messages, const std::string& movieName,
                   bool replaceAgreed) {
  const app::ConfirmReplace ask = [&messages](const std::string& text, const std::string& caption) {
    return messages.AskYesNo(text, caption, platform::MessageIcon::Question);
  };
  const app::ConfirmReplace agreed = [](auto&, auto&) { return true; };
  // No title and no size: the page takes the movie's file name and stage size.
  app::MakeHTMLPage(movieName, "", 0, 0, replaceAgreed ? agreed : ask, messages);
}

void OpenMoviePage(platform::MessagePresenter& messages, const std::string& pageName,
                   const std::string& movieName) {
  try {
    app::OpenHtmlPage(pageName, movieName);
  } catch (const std::exception& error) {
    messages.Show(error.what(), "Error", platform::MessageIcon::Error);
  }
}

void SavePictures(app::OutputKind kind, platform::RegistryStore& store,
                  const std::vector<emf2pdf::PageSource>& pages, const std::string& outputName,
                  bool openFile, bool& exploreFile) {
  const app::RasterRunResult result = app::RunPictureOutput(kind, store, pages, outputName);
  const app::PicturePostActions actions =
      app::DecidePicturePostActions(result, openFile, exploreFile);
  if (actions.open) OpenFile(*actions.open);
  if (actions.explore) {
    exploreFile = true;
    ExploreToFile(*actions.explore);
  }
}

}  // namespace dialogs
