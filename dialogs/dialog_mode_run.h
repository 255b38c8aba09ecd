#pragma once

#include <string>

#include "app/job_description.h"
#include "app/run_settings.h"
#include "platform/registry_store.h"

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
                platform::RegistryStore& store)
      : job_(job), settings_(settings), store_(store) {}

  int Run();

 private:
  enum class Outcome { Made, Cancelled, Failed };

  // The save dialog, again while an overwrite is refused; false when cancelled.
  bool AskForOutput();
  Outcome SaveOutputs();
  Outcome SavePdf();
  void MoviePostActions();
  void DeleteJobFiles() const;

  const app::JobDescription& job_;
  app::RunSettings& settings_;
  platform::RegistryStore& store_;
  int filterIndex_ = 0;
  std::string outputName_;
};

}  // namespace dialogs
