#include "dialogs/dialog_mode_run.h"

#include <unistd.h>

#include <QCoreApplication>
#include <cstdio>
#include <exception>

#include "app/output_names.h"
#include "app/path_rules.h"
#include "app/pdf_conversion.h"
#include "app/print_job_run.h"
#include "app/program_entry.h"
#include "app/settings_store.h"
#include "dialogs/desktop_session.h"
#include "dialogs/explore_to_file.h"
#include "dialogs/movie_and_jpeg_outputs.h"
#include "dialogs/pdf_options_dialog.h"
#include "dialogs/qt_message_box.h"
#include "dialogs/save_swf_dialog.h"
#include "pdf/output_file.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "platform/shell.h"

namespace dialogs {

namespace {

constexpr int kFailed = 2;
constexpr int kNothingMade = 3;

// The PDF replaces an existing file by a rename in its folder; say early
// when that cannot happen. The conversion then reports its own error.
void WarnWhenNotReplaceable(platform::MessagePresenter& messages, const std::string& pdfName) {
  if (!platform::FileExists(pdfName)) return;
  const std::string folder = app::ExtractFilePath(platform::AbsolutePath(pdfName));
  if (access(folder.c_str(), W_OK) == 0) return;
  messages.Show("Error while saving file. Probably file is locked or disk is write protected",
                "Unable to save file", platform::MessageIcon::Warning);
}

}  // namespace

int RunDialogMode(const app::JobDescription& job, app::RunSettings& settings,
                  platform::RegistryStore& store) {
  const auto application = StartDesktopSession();
  if (!application) {
    std::fprintf(stderr,
                 "tallowcraft: dialog mode needs a desktop session (DISPLAY or WAYLAND_DISPLAY) "
                 "to show its dialogs, and none could be reached; nothing was made and the job "
                 "files were left in place. %s\n",
                 app::SilentModeHint().c_str());
    return kNothingMade;
  }
  QtMessages messages;
  try {
    return DialogModeRun(job, settings, store, messages).Run();
  } catch (const std::exception& error) {
    // Nobody reads standard error at a desktop.
    std::fprintf(stderr, "tallowcraft: %s\n", error.what());
    messages.Show(error.what(), "Printing error", platform::MessageIcon::Error);
  }
  return kFailed;
}

void ShowNoJobMessage(const std::string& text, const std::string& caption) {
  const auto application = StartDesktopSession();
  QtMessages box;
  platform::StandardErrorMessages standardError;
  platform::MessagePresenter& messages =
      application ? static_cast<platform::MessagePresenter&>(box) : standardError;
  messages.Show(text, caption, platform::MessageIcon::Error);
}

int DialogModeRun::Run() {
  if (AskForOutput()) {
    const Outcome outcome = SaveOutputs();
    if (outcome == Outcome::Failed) return kFailed;
    if (outcome == Outcome::Made) MoviePostActions();
  }
  app::SaveRunSettings(store_, settings_, outputName_);
  DeleteJobFiles();
  return 0;
}

bool DialogModeRun::AskForOutput() {
  TSaveSWFDialog dialog;
  dialog.SetGenerateHTML(settings_.htmlCheckBox);
  dialog.SetOpenGeneratedFile(settings_.openFileCheckBox);
  dialog.SetFileExplore(settings_.exploreFileCheckBox);
  dialog.SetInitialDir(settings_.fileSavePath);
  const int stored = app::ReadDefaultFilterIndex(store_);
  dialog.SetFilterIndex(stored);
  dialog.SetFileName(app::ProposedFileName(job_.documentName, stored));
  const int pageCount = static_cast<int>(job_.pages.size());
  for (;;) {
    if (!dialog.Execute()) return false;
    filterIndex_ = app::FilterIndexForName(dialog.FileName(), dialog.FilterIndex());
    output_ = app::OutputKindOfFilter(filterIndex_);
    // The page is made when it is to be opened.
    pageAsked_ = dialog.GenerateHTML() && dialog.OpenGeneratedFile();
    if (!output_ ||
        app::ConfirmOverwrite(messages_, dialog.FileName(), *output_, pageCount, pageAsked_))
      break;
  }
  outputName_ = app::CompleteFileName(dialog.FileName(), filterIndex_);
  app::WriteDefaultFilterIndex(store_, filterIndex_);
  settings_.htmlCheckBox = dialog.GenerateHTML();
  settings_.openFileCheckBox = dialog.OpenGeneratedFile();
  settings_.exploreFileCheckBox = dialog.FileExplore();
  return true;
}

DialogModeRun::Outcome DialogModeRun::SaveOutputs() {
  if (!output_) return Outcome::Cancelled;
  if (app::MakesPictures(*output_)) {
    SavePictures(*output_, store_, job_.pages, outputName_, settings_.openFileCheckBox,
                 settings_.exploreFileCheckBox);
    return Outcome::Made;
  }
  const bool movie = app::MakesMovie(*output_);
  const bool pdf = app::MakesPdf(*output_);
  if (movie && !AskMovieOptions(movie_, job_.pages)) return Outcome::Cancelled;
  std::optional<PdfChoice> pdfChoice;
  if (pdf && !(pdfChoice = AskPdfOptions())) return Outcome::Cancelled;

  // Discarded unless committed: a failed PDF takes the new movie with it.
  std::unique_ptr<pdf::OutputFile> movieFile;
  if (movie) movieFile = WriteMovie(movie_, app::MovieFileName(outputName_));
  if (pdf && SavePdf(*pdfChoice) == Outcome::Failed) return Outcome::Failed;
  if (movieFile) movieFile->commit();
  if (pdf) {
    const std::string pdfName = app::ChangeFileExt(outputName_, ".pdf");
    if (settings_.openFileCheckBox && platform::FileExists(pdfName)) OpenFile(pdfName);
    if (settings_.exploreFileCheckBox) ExploreToFile(pdfName);
  }
  return Outcome::Made;
}

std::optional<DialogModeRun::PdfChoice> DialogModeRun::AskPdfOptions() {
  PdfChoice choice;
  TfrmSavePDFDlg dialog(choice.options, messages_);
  dialog.SetProducer(app::kProducer);
  dialog.LoadSettings(store_);
  dialog.SetAutoOpenPDF(settings_.openFileCheckBox);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  settings_.openFileCheckBox = dialog.AutoOpenPDF();
  dialog.SaveSettings(store_);
  choice.producer = dialog.Producer();
  return choice;
}

DialogModeRun::Outcome DialogModeRun::SavePdf(const PdfChoice& choice) {
  WarnWhenNotReplaceable(messages_, app::ChangeFileExt(outputName_, ".pdf"));
  try {
    app::ConvertToPdf(job_.pages, outputName_, choice.options, choice.producer,
                      [] { QCoreApplication::processEvents(); });
  } catch (const std::exception& error) {
    messages_.Show(error.what(), "Error of converting", platform::MessageIcon::Error);
    return Outcome::Failed;
  }
  return Outcome::Made;
}

void DialogModeRun::MoviePostActions() {
  if (!output_ || !app::MakesMovie(*output_)) return;
  const std::string movie = app::MovieFileName(outputName_);
  if (settings_.openFileCheckBox && platform::FileExists(movie)) {
    if (settings_.htmlCheckBox) {
      MakeMoviePage(messages_, movie, pageAsked_);
      const std::string page = app::ChangeFileExt(movie, ".html");
      if (platform::FileExists(page)) OpenMoviePage(messages_, page, movie);
    } else {
      OpenFile(movie);
    }
  }
  // With a PDF, its folder was shown already.
  if (*output_ == app::OutputKind::Movie && settings_.exploreFileCheckBox) ExploreToFile(movie);
}

void DialogModeRun::DeleteJobFiles() const {
  for (const std::string& page : job_.pageFiles) std::remove(page.c_str());
  std::remove(job_.path.c_str());
}

}  // namespace dialogs
