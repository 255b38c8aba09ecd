#include "support/preflight.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "support/temp_folder.h"

namespace testing_support {

namespace {

// Debian's Preflight and the libraries it loads (libpdfbox2-java,
// libactivation-java, libjaxb-api-java).
constexpr const char* kJars[] = {"preflight",       "pdfbox2",          "fontbox2", "xmpbox",
                                 "commons-logging", "javax.activation", "jaxb-api"};

std::optional<std::string> ClassPath() {
  std::string path;
  for (const char* jar : kJars) {
    const std::string file = std::string("/usr/share/java/") + jar + ".jar";
    if (!std::filesystem::exists(file)) {
      if (std::getenv("TALLOWCRAFT_REQUIRE_TOOLS") != nullptr)
        ADD_FAILURE() << file << " is missing (scripts/deps installs it)";
      return std::nullopt;
    }
    path += (path.empty() ? "" : ":") + file;
  }
  return path;
}

}  // namespace

std::optional<PreflightReport> Preflight(const std::vector<std::string>& pdfFiles) {
  if (!HaveTool("java")) return std::nullopt;
  const auto classPath = ClassPath();
  if (!classPath) return std::nullopt;
  std::string command = "java -Xshare:auto -cp '" + *classPath +
                        "' '" TALLOWCRAFT_SOURCE_DIR "/tests/support/PreflightMany.java'";
  for (const std::string& file : pdfFiles) command += " '" + file + "'";
  std::string output;
  const int status = RunCommand(command + " 2>&1", &output);
  EXPECT_EQ(status, 0) << output;
  PreflightReport report;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> fields;
    std::istringstream parts(line);
    for (std::string field; std::getline(parts, field, '\t');) fields.push_back(field);
    if (fields.size() < 2) continue;  // the JVM's own notes
    auto& errors = report[fields[0]];
    for (size_t i = 1; i < fields.size(); ++i)
      if (fields[i] != "ok") errors.push_back(fields[i]);
  }
  return report;
}

}  // namespace testing_support
