#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/job_description.h"
#include "app/run_settings.h"
#include "platform/registry_store.h"

namespace app {

// One print job from start to end: the job description in, the output out.
class PrintJobRun {
 public:
  // Without a store the run uses the current user's hive.
  explicit PrintJobRun(platform::RegistryStore* store = nullptr) : store_(store) {}

  // Returns the process exit status.
  int Run(const std::vector<std::string>& arguments);

  // What silent mode decided, for the caller and for tests.
  const std::string& OutputFormat() const { return format_; }
  const std::string& OutputName() const { return outputName_; }

 private:
  int RunSilent();
  int RefuseDialogMode() const;

  platform::RegistryStore* store_;
  std::unique_ptr<platform::RegistryStore> ownStore_;
  JobDescription job_;
  RunSettings settings_;
  PdfFormatOptions pdfOptions_;
  std::string format_;
  std::string outputName_;
};

// The output format silent mode uses: the stored format when it is "pdf" or
// "swf" in any case, else the output name's extension; lower case.
std::string SilentOutputFormat(const std::string& storedFormat, const std::string& outputName);

// The output name, relative ones inside the save folder; a name without a
// file part gets the default one.
std::string CompleteOutputName(const std::string& outputName, const std::string& saveFolder);

}  // namespace app
