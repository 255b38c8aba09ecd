#pragma once

#include <string>
#include <vector>

#include "support/hive_fixture.h"

namespace testing_support {

// A job for build/bin/tallowcraft in a temporary folder: a job of one blank
// page, a documents folder and a settings file of its own, so that a
// run never sees the user's settings.
class SilentJob {
 public:
  SilentJob();

  // Writes the settings file: the header, then `body` as it is.
  void WriteSettings(const std::string& body) const;
  // Rewrites the job description with these page files.
  void WritePages(const std::vector<std::string>& pageFiles) const;
  ProgramResult Run(const std::vector<std::string>& extraEnvironment = {}) const;
  // Runs the program through `launcher` (a command and its arguments, such as
  // prlimit with a limit).
  ProgramResult RunUnder(const std::vector<std::string>& launcher,
                         const std::vector<std::string>& extraEnvironment = {}) const;
  // Runs the program with `options` before the job.
  ProgramResult RunWithOptions(const std::vector<std::string>& options,
                               const std::vector<std::string>& extraEnvironment = {}) const;

  const TempFolder& folder() const { return temp_; }
  const std::string& registry() const { return registry_; }
  const std::string& documents() const { return documents_; }
  const std::string& job() const { return job_; }

  static constexpr const char* kMainKeyLine =
      "[HKEY_CURRENT_USER\\Software\\Quillmark\\Tallowcraft]\n";
  static constexpr const char* kPdfKeyLine =
      "[HKEY_CURRENT_USER\\Software\\Quillmark\\Tallowcraft\\PDFFormatOptions]\n";

 private:
  std::vector<std::string> Environment(const std::vector<std::string>& extra) const;

  TempFolder temp_;
  std::string registry_;
  std::string documents_;
  std::string job_;
};

}  // namespace testing_support
