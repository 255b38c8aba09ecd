#include <gtest/gtest.h>

#include <filesystem>

#include "support/emf_builder.h"
#include "support/silent_job.h"

namespace {

using testing_support::Listing;
using testing_support::ReadFile;
using testing_support::SilentJob;
using testing_support::WriteFile;

namespace fs = std::filesystem;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(SilentSettingsRun, formatAndName_followTheStoredValuesAndTheSaveFolder) {
  const struct {
    const char* what;
    std::string mainValues;    // lines under the main key besides "Silent"
    std::string expectedFile;  // relative to the job folder; empty: nothing made
    int exitStatus;
    const char* stderrPart;
  } kCases[] = {
      {"format compares without case, the PDF gets .pdf",
       "\"OutputFileFormat\"=\"PDF\"\n\"OutputFileName\"=\"out.swf\"\n", "docs/out.pdf", 0, ""},
      {"empty format takes the extension", "\"OutputFileName\"=\"a.Pdf\"\n", "docs/a.pdf", 0, ""},
      {"a name with a folder is used as it is",
       "\"OutputFileFormat\"=\"pdf\"\n\"OutputFileName\"=\"@/out/x.txt\"\n", "out/x.pdf", 0, ""},
      {"a stored save folder that exists",
       "\"OutputFileFormat\"=\"pdf\"\n\"OutputFileName\"=\"x\"\n\"FileSavePath\"=\"@/save/\"\n",
       "save/x.pdf", 0, ""},
      {"a stored save folder that is gone",
       "\"OutputFileFormat\"=\"pdf\"\n\"OutputFileName\"=\"x\"\n\"FileSavePath\"=\"@/gone/\"\n",
       "docs/x.pdf", 0, ""},
      {"an extension that is no output format", "\"OutputFileName\"=\"a.gif\"\n", "", 3, "\"gif\""},
      {"an unknown stored format falls back to the extension",
       "\"OutputFileFormat\"=\"gif\"\n\"OutputFileName\"=\"a.pdf\"\n", "docs/a.pdf", 0, ""},
  };
  for (const auto& c : kCases) {
    SilentJob job;
    fs::create_directories(job.folder().file("out"));
    fs::create_directories(job.folder().file("save"));
    std::string values = c.mainValues;
    for (size_t at; (at = values.find('@')) != std::string::npos;)
      values.replace(at, 1, job.folder().path());
    job.WriteSettings(std::string(SilentJob::kMainKeyLine) + "\"Silent\"=dword:00000001\n" +
                      values);
    const auto result = job.Run();
    EXPECT_EQ(result.exitStatus, c.exitStatus) << c.what << "\n" << result.standardError;
    EXPECT_TRUE(Contains(result.standardError, c.stderrPart)) << c.what << "\n"
                                                              << result.standardError;
    if (c.expectedFile.empty()) {
      EXPECT_TRUE(Listing(job.documents()).empty()) << c.what;
      EXPECT_TRUE(Listing(job.folder().file("out")).empty()) << c.what;
    } else {
      EXPECT_TRUE(fs::is_regular_file(job.folder().file(c.expectedFile))) << c.what;
      EXPECT_EQ(ReadFile(job.folder().file(c.expectedFile)).substr(0, 5), "%PDF-") << c.what;
    }
  }
}

TEST(SilentSettingsRun, failedMovie_keepsAnExistingFileOfThatName) {
  SilentJob job;
  const std::string page = job.folder().file("broken.emf");
  WriteFile(page, "not a metafile");
  job.WritePages({page});
  WriteFile(job.documents() + "/movie.swf", "old movie");
  job.WriteSettings(std::string(SilentJob::kMainKeyLine) +
                    "\"Silent\"=dword:00000001\n\"OutputFileName\"=\"movie.swf\"\n");
  EXPECT_EQ(job.Run().exitStatus, 2);
  EXPECT_EQ(ReadFile(job.documents() + "/movie.swf"), "old movie");
}

TEST(SilentSettingsRun, movieNames_takeTheMovieExtension) {
  const struct {
    const char* what;
    std::string mainValues;
    std::string expectedFile;
  } kCases[] = {
      {"no values: the default name", "", "docs/Printer.swf"},
      {"another extension is changed",
       "\"OutputFileFormat\"=\"swf\"\n\"OutputFileName\"=\"report.pdf\"\n", "docs/report.swf"},
      {"no extension gets one", "\"OutputFileFormat\"=\"swf\"\n\"OutputFileName\"=\"report\"\n",
       "docs/report.swf"},
      {"an empty format takes the extension in any case", "\"OutputFileName\"=\"@/a.SWF\"\n",
       "a.SWF"},
  };
  for (const auto& c : kCases) {
    SilentJob job;
    const std::string page = job.folder().file("page.emf");
    emfbuild::EmfBuilder(120, 80).writeFile(page);
    job.WritePages({page});
    std::string values = c.mainValues;
    if (const size_t at = values.find('@'); at != std::string::npos)
      values.replace(at, 1, job.folder().path());
    job.WriteSettings(std::string(SilentJob::kMainKeyLine) + "\"Silent\"=dword:00000001\n" +
                      values);
    WriteFile(job.documents() + "/report.pdf", "a PDF of before");
    const auto result = job.Run();
    EXPECT_EQ(result.exitStatus, 0) << c.what << "\n" << result.standardError;
    EXPECT_EQ(ReadFile(job.folder().file(c.expectedFile)).substr(0, 3), "FWS") << c.what;
    EXPECT_EQ(ReadFile(job.documents() + "/report.pdf"), "a PDF of before") << c.what;
  }
}

TEST(SilentSettingsRun, withoutSilentOrDesktop_saysHowToTurnSilentOnAndTouchesNothing) {
  for (const bool withFile : {false, true}) {
    SilentJob job;
    const std::string settings = std::string(SilentJob::kMainKeyLine) +
                                 "\"Silent\"=dword:00000000\n\"OutputFileName\"=\"a.pdf\"\n";
    if (withFile) job.WriteSettings(settings);
    const std::string jobText = ReadFile(job.job());
    const auto result = job.Run({"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="});
    EXPECT_EQ(result.exitStatus, 3);
    EXPECT_TRUE(Contains(result.standardError, "needs a desktop session")) << result.standardError;
    EXPECT_TRUE(Contains(result.standardError, "\"Silent\"=dword:00000001"))
        << result.standardError;
    EXPECT_TRUE(Contains(result.standardError, job.registry())) << result.standardError;
    EXPECT_EQ(ReadFile(job.job()), jobText);
    EXPECT_TRUE(Listing(job.documents()).empty());
    if (withFile) {
      EXPECT_EQ(ReadFile(job.registry()),
                "Windows Registry Editor Version 5.00\r\n\r\n" + settings);
    } else {
      EXPECT_FALSE(fs::exists(job.registry()));
    }
  }
}

TEST(SilentSettingsRun, pdfOptionOfTheWrongType_endsTheRunNamingTheValue) {
  SilentJob job;
  job.WriteSettings(std::string(SilentJob::kMainKeyLine) +
                    "\"Silent\"=dword:00000001\n\"OutputFileName\"=\"a.pdf\"\n\n" +
                    SilentJob::kPdfKeyLine + "\"PageSize\"=\"2\"\n");
  const auto result = job.Run();
  EXPECT_EQ(result.exitStatus, 2);
  EXPECT_TRUE(Contains(result.standardError, "\"PageSize\"")) << result.standardError;
  EXPECT_TRUE(Listing(job.documents()).empty());
}

TEST(SilentSettingsRun, passwordOutsideWindows1252_endsTheRunWithoutAFile) {
  SilentJob job;
  job.WriteSettings(std::string(SilentJob::kMainKeyLine) +
                    "\"Silent\"=dword:00000001\n\"OutputFileName\"=\"a.pdf\"\n\n" +
                    SilentJob::kPdfKeyLine +
                    "\"ProtectionEnabled\"=dword:1\n\"UserPasswordEnabled\"=dword:1\n"
                    "\"SilentUserPassword\"=\"\xE5\xAF\x86\xE7\xA0\x81\"\n");
  const auto result = job.Run();
  EXPECT_EQ(result.exitStatus, 2);
  EXPECT_TRUE(Contains(result.standardError, "\"SilentUserPassword\"")) << result.standardError;
  EXPECT_TRUE(Listing(job.documents()).empty());
}

// Archival files cannot be encrypted: a run asked for both makes neither and
// says which two values clash.
TEST(SilentSettingsRun, pdfaWithProtection_isRefusedNamingBothValues) {
  SilentJob job;
  WriteFile(job.documents() + "/a.pdf", "earlier");
  job.WriteSettings(std::string(SilentJob::kMainKeyLine) +
                    "\"Silent\"=dword:00000001\n\"OutputFileName\"=\"a.pdf\"\n\n" +
                    SilentJob::kPdfKeyLine +
                    "\"PDFACompliance\"=dword:00000002\n\"ProtectionEnabled\"=dword:1\n");
  const auto result = job.Run();
  EXPECT_EQ(result.exitStatus, 2);
  EXPECT_TRUE(Contains(result.standardError,
                       "\"PDFACompliance\"=dword:2 (PDF/A-2b) and \"ProtectionEnabled\"=dword:1"))
      << result.standardError;
  EXPECT_EQ(ReadFile(job.documents() + "/a.pdf"), "earlier");
  EXPECT_EQ(Listing(job.documents()), std::vector<std::string>{"a.pdf"});
}

TEST(SilentSettingsRun, brokenSettingsFile_isReportedWithItsLineAndLeftAlone) {
  SilentJob job;
  const std::string broken =
      std::string(SilentJob::kMainKeyLine) + "\"Silent\"=dword:00000001\n\"OutputFileName\"=pdf\n";
  job.WriteSettings(broken);
  const std::string jobText = ReadFile(job.job());
  const auto result = job.Run({"DISPLAY=", "WAYLAND_DISPLAY="});
  EXPECT_EQ(result.exitStatus, 2);
  // One message: the file, its line and what became of the job; no defaults taken.
  EXPECT_TRUE(Contains(result.standardError, job.registry() + ":5:")) << result.standardError;
  EXPECT_TRUE(Contains(result.standardError, "job files were left in place"))
      << result.standardError;
  EXPECT_EQ(result.standardError.find(job.registry() + ":5:"),
            result.standardError.rfind(job.registry() + ":5:"))
      << result.standardError;
  EXPECT_FALSE(Contains(result.standardError, "default")) << result.standardError;
  EXPECT_EQ(ReadFile(job.registry()), "Windows Registry Editor Version 5.00\r\n\r\n" + broken);
  EXPECT_EQ(ReadFile(job.job()), jobText);
  EXPECT_TRUE(Listing(job.documents()).empty());
}

TEST(SilentSettingsRun, handEditedSettings_areLeftByteForByte) {
  SilentJob job;
  job.WriteSettings(
      std::string("; my office printer\r\n") + SilentJob::kMainKeyLine +
      "\"Silent\"=dword:00000001\r\n; pdf please\r\n\"OutputFileName\"=\"a.pdf\"\r\n");
  const std::string before = ReadFile(job.registry());
  ASSERT_EQ(job.Run().exitStatus, 0);
  // No key is created and no value written in silent mode.
  EXPECT_EQ(ReadFile(job.registry()), before);
  EXPECT_TRUE(fs::exists(job.documents() + "/a.pdf"));
}

}  // namespace
