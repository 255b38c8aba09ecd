#pragma once

#include <optional>
#include <string>

#include "app/job_description.h"
#include "app/output_names.h"
#include "app/pdf_options.h"
#include "app/run_settings.h"
#include "platform/message_box.h"
#include "platform/registry_store.h"
#include "presentation/presentation.h"

namespace dialogs {

// Dialog mode of a print job: the save dialog, the outputs, the post-actions,
// the settings written back and the job's files deleted. Returns the exit
// status: 0 when done or cancelled; 2 after an error (the job files and the
// settings are left as they were); 3 when there is no desktop session (the
// job files are kept).
int RunDialogMode(const app::JobDescription& job, app::RunSettings& settings,
                  platform::RegistryStore& store);

// The message of a run without a job, in a message box when a desktop
// session can be reached, else on standard error.
void ShowNoJobMessage(const std::string& text, const std::string& caption);

// The part after Qt is up; the dialogs are answered by the user.
class DialogModeRun {
 public:
  DialogModeRun(const app::JobDescription& job, app::RunSettings& settings,
                platform::RegistryStore& store, platform::MessagePresenter& messages)
      : job_(job), settings_(settings), store_(store), messages_(messages), movie_(&store) {}

  int Run();

 private:
  enum class Outcome { Made, Cancelled, Failed };

  // The save dialog, again while an overwrite is refused; false when cancelled.
  bool AskForOutput();
  // Every question first (the movie's options, the PDF options), then the
  // files; cancelling anywhere makes nothing, and a movie made with a PDF
  // replaces its name only once the PDF is made too.
  Outcome SaveOutputs();
  // What the PDF options dialog was closed with: the options and the
  // document's producer.
  struct PdfChoice {
    app::PdfOptions options;
    std::string producer;
  };
  // The PDF options dialog; nothing when it is cancelled.
  std::optional<PdfChoice> AskPdfOptions();
  Outcome SavePdf(const PdfChoice& choice);
  void MoviePostActions();
  void DeleteJobFiles() const;

  const app::JobDescription& job_;
  app::RunSettings& settings_;
  platform::RegistryStore& store_;
  platform::MessagePresenter& messages_;
  // The movie component lives through the whole run, as the run expects.
  presentation::TPresentation movie_;
  // The file type chosen (stored for the next run) and what it makes;
  // nothing for a type the dialog does not list.
  int filterIndex_ = 0;
  std::optional<app::OutputKind> output_;
  std::string outputName_;
  // The movie's page was among the files the user agreed to replace.
  bool pageAsked_ = false;
};

}  // namespace dialogs
