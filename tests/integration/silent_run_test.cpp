#include <gtest/gtest.h>

#include <filesystem>

#include "support/emf_builder.h"
#include "support/pdf_inspect.h"
#include "support/temp_folder.h"

namespace {

using testing_support::ReadFile;
using testing_support::RunCommand;
using testing_support::TempFolder;
using testing_support::WriteFile;

// Runs the program on a job with the documents folder and the settings in `folder`.
int RunJob(const TempFolder& folder, const std::string& arguments, std::string* output) {
  const std::string env = "DISPLAY= WAYLAND_DISPLAY= XDG_DOCUMENTS_DIR='" + folder.file("docs") +
                          "' TALLOWCRAFT_REGISTRY='" + folder.file("settings.reg") + "' ";
  return RunCommand(env + TALLOWCRAFT_BIN + std::string(" ") + arguments + " 2>&1", output);
}

class SilentRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(folder_.file("docs"));
    emfbuild::EmfBuilder().writeFile(folder_.file("page0.emf"));
    WriteFile(folder_.file("settings.reg"),
              "Windows Registry Editor Version 5.00\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software\\Quillmark\\Tallowcraft]\r\n"
              "\"Silent\"=dword:00000001\r\n\"OutputFileFormat\"=\"pdf\"\r\n\r\n");
  }
  // A job of one blank page.
  void WriteJob(const std::string& document) const {
    WriteFile(folder_.file("job.ini"),
              document + "[EMF]\r\nCount=1\r\nFile0=" + folder_.file("page0.emf") + "\r\n");
  }
  TempFolder folder_;
};

TEST_F(SilentRunTest, noArgument_showsTheIniBoxAndFails) {
  std::string output;
  EXPECT_EQ(RunJob(folder_, "", &output), 1);
  EXPECT_NE(output.find("Printing error: INI file not found"), std::string::npos) << output;
}

TEST_F(SilentRunTest, unreadableJob_isRefusedLikeAMissingOne) {
  std::string output;
  EXPECT_EQ(RunJob(folder_, "/nonexistent/job.ini", &output), 1);
  EXPECT_NE(output.find("INI file not found"), std::string::npos) << output;
  EXPECT_FALSE(std::filesystem::exists(folder_.file("docs/Printer.pdf")));
}

TEST_F(SilentRunTest, onePageJob_writesAValidPdfToTheDocumentsFolder) {
  WriteJob("[Document]\r\nName=Blank\r\n");
  std::string output;
  ASSERT_EQ(RunJob(folder_, folder_.file("job.ini"), &output), 0) << output;
  const std::string pdf = folder_.file("docs/Printer.pdf");
  ASSERT_TRUE(std::filesystem::exists(pdf));
  EXPECT_EQ(ReadFile(pdf).substr(0, 8), "%PDF-1.3");
  if (!testing_support::HaveTool("qpdf")) GTEST_SKIP() << "qpdf not installed";
  bool ok = false;
  const auto report = testing_support::QpdfCheck(pdf, &ok);
  EXPECT_TRUE(ok) << report;
}

TEST_F(SilentRunTest, outputIsIndependentOfTheLocale) {
  WriteJob("");
  std::string output;
  ASSERT_EQ(RunJob(folder_, folder_.file("job.ini"), &output), 0) << output;
  std::string first = ReadFile(folder_.file("docs/Printer.pdf"));
  const std::string env = "LC_ALL=de_DE.UTF-8 LANG=de_DE.UTF-8 ";
  ASSERT_EQ(RunCommand(env + "XDG_DOCUMENTS_DIR='" + folder_.file("docs") +
                       "' TALLOWCRAFT_REGISTRY='" + folder_.file("settings.reg") + "' " +
                       TALLOWCRAFT_BIN + " " + folder_.file("job.ini") + " 2>&1"),
            0);
  std::string second = ReadFile(folder_.file("docs/Printer.pdf"));
  // Only the dates and the identifier may differ between the two runs.
  EXPECT_EQ(first.size(), second.size());
}

}  // namespace

// Every job starts the program, so it must not load the desktop libraries;
// jobs that need them continue in the program beside it.
TEST(ProgramStart, loadsNoDesktopLibrariesAndHasItsDesktopPartner) {
  std::string needed;
  ASSERT_EQ(RunCommand(std::string("readelf -d ") + TALLOWCRAFT_BIN + " | grep NEEDED", &needed),
            0);
  for (const char* library : {"Qt6", "poppler", "X11", "libpng", "libtiff"})
    EXPECT_EQ(needed.find(library), std::string::npos) << library << " in\n" << needed;
  const auto partner = std::filesystem::path(TALLOWCRAFT_BIN).parent_path() / "tallowcraft-desktop";
  EXPECT_TRUE(std::filesystem::is_regular_file(partner));
}
