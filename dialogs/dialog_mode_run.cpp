#include "dialogs/dialog_mode_run.h"

#include <unistd.h>

#include <QCoreApplication>
#include <cstdio>
#include <exception>

#include "app/output_names.h"
#include "app/path_rules.h"
#include "app/pdf_conversion.h"
#include "app/pdf_options_record.h"
#include "app/print_job_run.h"
#include "app/program_entry.h"
#include "app/settings_store.h"
#include "dialogs/desktop_session.h"
#include "dialogs/explore_to_file.h"
#include "dialogs/movie_and_jpeg_outputs.h"
#include "dialogs/pdf_options_dialog.h"
#include "dialogs/save_swf_dialog.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "platform/shell.h"

namespace dialogs {

namespace {

constexpr int kFailed = 2;
constexpr int kNothingMade = 3;

// The PDF replaces an existing file by a rename in its folder; say early
// when that cannot happen. The conversion then reports its own error.
void WarnWhenNotReplaceable(const std::string& pdfName) {
  if (!platform::FileExists(pdfName)) return;
  const std::string folder = app::ExtractFilePath(platform::AbsolutePath(pdfName));
  if (access(folder.c_str(), W_OK) == 0) return;
  platform::ShowMessageBox(
      "Error while saving file. Probably file is locked or disk is write protected",
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
  int status = kFailed;
  try {
    status = DialogModeRun(job, settings, store).Run();
  } catch (const std::exception& error) {
    // Nobody reads standard error at a desktop.
    std::fprintf(stderr, "tallowcraft: %s\n", error.what());
    platform::ShowMessageBox(error.what(), "Printing error", platform::MessageIcon::Error);
  }
  platform::SetMessagePresenter(nullptr);
  return status;
}

void ShowNoJobMessage(const std::string& text, const std::string& caption) {
  const auto application = StartDesktopSession();
  platform::ShowMessageBox(text, caption, platform::MessageIcon::Error);
  platform::SetMessagePresenter(nullptr);
}

int DialogModeRun::Run() {
  if (AskForOutput()) {
    if (SaveOutputs() == Outcome::Failed) return kFailed;
    MoviePostActions();
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
  for (;;) {
    if (!dialog.Execute()) return false;
    filterIndex_ = app::FilterIndexForName(dialog.FileName(), dialog.FilterIndex());
    if (app::ConfirmOverwrite(dialog.FileName(), filterIndex_)) break;
  }
  outputName_ = app::CompleteFileName(dialog.FileName(), filterIndex_);
  app::WriteDefaultFilterIndex(store_, filterIndex_);
  settings_.htmlCheckBox = dialog.GenerateHTML();
  settings_.openFileCheckBox = dialog.OpenGeneratedFile();
  settings_.exploreFileCheckBox = dialog.FileExplore();
  return true;
}

DialogModeRun::Outcome DialogModeRun::SaveOutputs() {
  if (filterIndex_ == app::kFilterJpeg) {
    SaveJpegPages(job_.pageFiles, outputName_, settings_.openFileCheckBox,
                  settings_.exploreFileCheckBox);
    return Outcome::Made;
  }
  Outcome movie = Outcome::Made;
  if (filterIndex_ == app::kFilterSwf || filterIndex_ == app::kFilterSwfAndPdf)
    movie = SaveMovie(store_, job_.pageFiles, outputName_) ? Outcome::Made : Outcome::Cancelled;
  if (filterIndex_ != app::kFilterPdf && filterIndex_ != app::kFilterSwfAndPdf) return movie;
  return SavePdf();
}

DialogModeRun::Outcome DialogModeRun::SavePdf() {
  app::PdfOptionsRecord record;
  TfrmSavePDFDlg dialog(record);
  dialog.SetProducer(app::kProducer);
  dialog.LoadSettings(store_);
  dialog.SetAutoOpenPDF(settings_.openFileCheckBox);
  if (dialog.exec() != QDialog::Accepted) return Outcome::Cancelled;
  settings_.openFileCheckBox = dialog.AutoOpenPDF();
  dialog.SaveSettings(store_);

  const std::string pdfName = app::ChangeFileExt(outputName_, ".pdf");
  WarnWhenNotReplaceable(pdfName);
  try {
    app::ConvertToPdf(job_.pageFiles, outputName_,
                      app::DialogPdfFormatOptions(record, dialog.Producer()),
                      [] { QCoreApplication::processEvents(); });
  } catch (const std::exception& error) {
    platform::ShowMessageBox(error.what(), "Error of converting", platform::MessageIcon::Error);
    return Outcome::Failed;
  }
  if (settings_.openFileCheckBox && platform::FileExists(pdfName)) OpenFile(pdfName);
  if (settings_.exploreFileCheckBox) ExploreToFile(pdfName);
  return Outcome::Made;
}

void DialogModeRun::MoviePostActions() {
  if (filterIndex_ != app::kFilterSwf && filterIndex_ != app::kFilterSwfAndPdf) return;
  const std::string movie = app::ChangeFileExt(outputName_, ".swf");
  if (settings_.openFileCheckBox && platform::FileExists(movie)) {
    if (settings_.htmlCheckBox) {
      MakeMoviePage(movie);
      const std::string page = app::ChangeFileExt(movie, ".html");
      if (platform::FileExists(page)) OpenMoviePage(page);
    } else {
      OpenFile(movie);
    }
  }
  if (filterIndex_ == app::kFilterSwf && settings_.exploreFileCheckBox) ExploreToFile(movie);
}

void DialogModeRun::DeleteJobFiles() const {
  for (const std::string& page : job_.pageFiles) std::remove(page.c_str());
  std::remove(job_.path.c_str());
}

}  // namespace dialogs
