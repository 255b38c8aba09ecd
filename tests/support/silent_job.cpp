#include "support/silent_job.h"

#include <filesystem>

#include "support/emf_builder.h"

namespace testing_support {

SilentJob::SilentJob()
    : registry_(temp_.file("registry.reg")),
      documents_(temp_.file("docs")),
      job_(temp_.file("job.ini")) {
  std::filesystem::create_directory(documents_);
  const std::string page = temp_.file("page0.emf");
  emfbuild::EmfBuilder().writeFile(page);
  WriteFile(job_, "[Document]\r\nName=Report.xls\r\n[EMF]\r\nCount=1\r\nFile0=" + page + "\r\n");
}

void SilentJob::WriteSettings(const std::string& body) const {
  WriteFile(registry_, "Windows Registry Editor Version 5.00\r\n\r\n" + body);
}

void SilentJob::WritePages(const std::vector<std::string>& pageFiles) const {
  std::string text =
      "[Document]\r\nName=Report.xls\r\n[EMF]\r\nCount=" + std::to_string(pageFiles.size()) +
      "\r\n";
  for (size_t i = 0; i < pageFiles.size(); ++i)
    text += "File" + std::to_string(i) + "=" + pageFiles[i] + "\r\n";
  WriteFile(job_, text);
}

ProgramResult SilentJob::Run(const std::vector<std::string>& extraEnvironment) const {
  return RunUnder({}, extraEnvironment);
}

std::vector<std::string> SilentJob::Environment(const std::vector<std::string>& extra) const {
  std::vector<std::string> environment = {
      "TALLOWCRAFT_REGISTRY=" + registry_, "XDG_DOCUMENTS_DIR=" + documents_,
      "XDG_CONFIG_HOME=" + temp_.file("config"), "HOME=" + temp_.path(), "TMPDIR=" + temp_.path()};
  environment.insert(environment.end(), extra.begin(), extra.end());
  return environment;
}

ProgramResult SilentJob::RunWithOptions(const std::vector<std::string>& options,
                                        const std::vector<std::string>& extraEnvironment) const {
  std::vector<std::string> arguments = options;
  arguments.push_back(job_);
  return RunProgram(TALLOWCRAFT_BIN, arguments, Environment(extraEnvironment));
}

ProgramResult SilentJob::RunUnder(const std::vector<std::string>& launcher,
                                  const std::vector<std::string>& extraEnvironment) const {
  const std::vector<std::string> environment = Environment(extraEnvironment);
  if (launcher.empty()) return RunProgram(TALLOWCRAFT_BIN, {job_}, environment);
  std::vector<std::string> arguments(launcher.begin() + 1, launcher.end());
  arguments.push_back(TALLOWCRAFT_BIN);
  arguments.push_back(job_);
  return RunProgram(launcher.front(), arguments, environment);
}

}  // namespace testing_support
