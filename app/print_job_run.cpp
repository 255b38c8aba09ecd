#include "app/print_job_run.h"

#include <cstdio>

#include "app/path_rules.h"
#include "app/pdf_conversion.h"
#include "platform/message_box.h"

namespace app {

namespace {

// Until the settings store exists every run is silent, makes a PDF and
// uses every default.
RunSettings SettingsWithoutStore() {
  RunSettings settings;
  settings.silent = true;
  settings.outputFileFormat = "pdf";
  settings.fileSavePath = DefaultSaveFolder();
  return settings;
}

}  // namespace

std::string SilentOutputFormat(const std::string& storedFormat, const std::string& outputName) {
  const std::string format = LowerCase(storedFormat);
  if (format == "pdf" || format == "swf") return format;
  const std::string extension = ExtractFileExt(outputName);
  return LowerCase(extension.empty() ? extension : extension.substr(1));
}

std::string CompleteOutputName(const std::string& outputName, const std::string& saveFolder) {
  if (outputName.find('/') != std::string::npos) return outputName;
  return saveFolder + outputName;
}

int PrintJobRun::Run(const std::vector<std::string>& arguments) {
  if (arguments.empty()) {
    platform::ShowMessageBox("INI file not found", "Printing error", platform::MessageIcon::Error);
    return 1;
  }
  // A job description that cannot be read is refused like a missing one
  // instead of becoming an empty document reported as done.
  auto job = ReadJobDescription(arguments[0]);
  if (!job) {
    platform::ShowMessageBox("INI file not found", "Printing error", platform::MessageIcon::Error);
    return 1;
  }
  job_ = std::move(*job);
  settings_ = SettingsWithoutStore();
  RunSilent();
  return 0;
}

void PrintJobRun::RunSilent() {
  format_ = SilentOutputFormat(settings_.outputFileFormat, settings_.outputFileName);
  outputName_ = CompleteOutputName(settings_.outputFileName, settings_.fileSavePath);
  if (format_ == "pdf") {
    outputName_ = ConvertToPdf(job_.pageFiles, outputName_, pdfOptions_);
  }
}

}  // namespace app
