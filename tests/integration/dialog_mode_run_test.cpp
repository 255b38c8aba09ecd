#include <gtest/gtest.h>

#include <filesystem>
#include <future>

#include "support/emf_builder.h"
#include "support/silent_job.h"
#include "support/xvfb_session.h"

namespace {

using testing_support::ProgramResult;
using testing_support::ReadFile;
using testing_support::RunCommand;
using testing_support::SilentJob;
using testing_support::WriteFile;
using testing_support::XvfbSession;

namespace fs = std::filesystem;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A two-page job answered on a display of its own, the way a user at the
// keyboard answers it.
class DialogModeRun : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"Xvfb", "xdotool", "qpdf"})
      ASSERT_TRUE(testing_support::HaveTool(tool)) << tool << " is missing: run scripts/deps";
    for (int i = 0; i < 2; ++i) {
      pages.push_back(job.folder().file("page" + std::to_string(i) + ".emf"));
      emfbuild::EmfBuilder(400, 300).writeFile(pages.back());
    }
    WriteFile(job.job(),
              "[Document]\r\nName=C:\\work\\Budget <draft>.xls\r\n[EMF]\r\nCount=2\r\n"
              "File0=" +
                  pages[0] + "\r\nFile1=" + pages[1] + "\r\n");
    WriteFile(opener, "#!/bin/sh\necho \"$@\" >> " + job.folder().file("opened") + "\n");
    fs::permissions(opener, fs::perms::owner_all);
  }

  std::future<ProgramResult> start() {
    return std::async(std::launch::async, [this] {
      return job.Run({"DISPLAY=" + display.display(),
                      "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM=", "TALLOWCRAFT_OPENER=" + opener,
                      "DBUS_SESSION_BUS_ADDRESS=unix:path=" + job.folder().file("no-bus")});
    });
  }

  void answer(const std::string& window, const std::string& keys) {
    ASSERT_TRUE(display.WaitForFocus(window)) << window << " never had the keyboard focus";
    display.Xdotool(keys);
  }

  std::string setting(const std::string& name) {
    const std::string text = ReadFile(job.registry());
    const size_t at = text.find("\"" + name + "\"=");
    return at == std::string::npos ? "" : text.substr(at, text.find('\n', at) - at);
  }

  bool jobFilesExist() const {
    return fs::exists(job.job()) || fs::exists(pages[0]) || fs::exists(pages[1]);
  }

  SilentJob job;
  XvfbSession display;
  std::vector<std::string> pages;
  std::string opener = job.folder().file("opener.sh");
};

TEST_F(DialogModeRun, typedPathAndTwoReturns_makeThePdfAndCleanUp) {
  const std::string pdf = job.documents() + "/Quarter.pdf";
  auto run = start();
  answer("Save As", "key ctrl+a type --delay 5 '" + pdf + "'");
  display.Xdotool("key Return");
  answer("PDF Options", "key Return");
  const ProgramResult result = run.get();
  EXPECT_EQ(result.exitStatus, 0) << result.standardError;
  EXPECT_EQ(RunCommand("qpdf --check '" + pdf + "' >/dev/null"), 0);
  std::string info;
  RunCommand("pdfinfo '" + pdf + "'", &info);
  EXPECT_TRUE(Contains(info, "Pages:           2")) << info;
  EXPECT_TRUE(Contains(info, "Quillmark Tallowcraft pro 1.20a")) << info;
  EXPECT_EQ(setting("FileSavePath"), "\"FileSavePath\"=\"" + job.documents() + "/\"");
  EXPECT_EQ(setting("DefaultFilterIndex"), "\"DefaultFilterIndex\"=dword:00000002");
  EXPECT_EQ(setting("PageSize"), "\"PageSize\"=dword:00000002");
  EXPECT_FALSE(jobFilesExist());
  // Opened, then shown in its folder (no file manager on this bus).
  EXPECT_EQ(ReadFile(job.folder().file("opened")), pdf + "\n" + job.documents() + "/\n");
}

TEST_F(DialogModeRun, refusedOverwriteThenEscape_makesNothingAndForgetsTheFolder) {
  const std::string pdf = job.documents() + "/Budget draft.pdf";
  WriteFile(pdf, "old");
  job.WriteSettings(std::string(SilentJob::kMainKeyLine) +
                    "\"DefaultFilterIndex\"=dword:00000002\n");
  auto run = start();
  // The proposed name is the document's, sanitised, with the type's extension.
  answer("Save As", "key Return");
  answer("Replace File", "key Escape");
  answer("Save As", "key Escape");
  const ProgramResult result = run.get();
  EXPECT_EQ(result.exitStatus, 0) << result.standardError;
  EXPECT_EQ(ReadFile(pdf), "old");
  EXPECT_EQ(setting("FileSavePath"), "\"FileSavePath\"=\"\"");
  EXPECT_EQ(setting("OpenFileCheckBox"), "\"OpenFileCheckBox\"=dword:00000001");
  EXPECT_FALSE(jobFilesExist());
  EXPECT_FALSE(fs::exists(job.folder().file("opened")));
}

TEST_F(DialogModeRun, conversionError_isShownAndKeepsTheJobAndTheSettings) {
  WriteFile(pages[1], "not a metafile");
  const std::string pdf = job.documents() + "/Broken.pdf";
  auto run = start();
  answer("Save As", "key ctrl+a type --delay 5 '" + pdf + "'");
  display.Xdotool("key Return");
  answer("PDF Options", "key Return");
  answer("Error of converting", "key Return");
  const ProgramResult result = run.get();
  EXPECT_EQ(result.exitStatus, 2);
  EXPECT_FALSE(fs::exists(pdf));
  EXPECT_EQ(fs::directory_iterator(job.documents()), fs::directory_iterator());
  EXPECT_EQ(setting("FileSavePath"), "");
  EXPECT_TRUE(fs::exists(job.job()) && fs::exists(pages[0]) && fs::exists(pages[1]));
}

TEST_F(DialogModeRun, movieWithItsPage_isMadeOpenedOverLoopbackAndCleansUp) {
  const std::string movie = job.documents() + "/clip.swf";
  auto run = start();
  answer("Save As", "key ctrl+a type --delay 5 '" + movie + "'");
  display.Xdotool("key Return");
  answer("Movie options", "key Return");
  const ProgramResult result = run.get();
  EXPECT_EQ(result.exitStatus, 0) << result.standardError;
  EXPECT_EQ(ReadFile(movie).substr(1, 2), "WS");
  EXPECT_TRUE(Contains(ReadFile(job.documents() + "/clip.html"), "clip.swf"));
  EXPECT_EQ(setting("DefaultFilterIndex"), "\"DefaultFilterIndex\"=dword:00000001");
  EXPECT_FALSE(jobFilesExist());
  // The page through the loopback server, then the folder (no file manager on this bus).
  const std::string opened = ReadFile(job.folder().file("opened"));
  EXPECT_TRUE(Contains(opened, "http://127.0.0.1:")) << opened;
  EXPECT_TRUE(Contains(opened, "/clip.html\n" + job.documents() + "/\n")) << opened;
}

// "Both SWF and PDF" under a name without extension: name.swf and name.pdf,
// every file to be replaced asked about before anything is written, and
// cancelling the last question makes nothing at all.
TEST_F(DialogModeRun, movieAndPdf_takeTheirExtensionsAndCancellingLateMakesNothing) {
  const std::string base = job.documents() + "/Both";
  WriteFile(base, "keep");
  WriteFile(base + ".swf", "old movie");
  job.WriteSettings(std::string(SilentJob::kMainKeyLine) +
                    "\"DefaultFilterIndex\"=dword:00000003\n");
  {
    auto run = start();
    answer("Save As", "key ctrl+a type --delay 5 '" + base + "'");
    display.Xdotool("key Return");
    answer("Replace File", "key Return");
    answer("Movie options", "key Return");
    answer("PDF Options", "key Escape");
    const ProgramResult result = run.get();
    EXPECT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_EQ(ReadFile(base + ".swf"), "old movie");
    EXPECT_FALSE(fs::exists(base + ".pdf"));
  }
  WriteFile(base + ".html", "old page");
  for (const std::string& page : pages) emfbuild::EmfBuilder(400, 300).writeFile(page);
  WriteFile(job.job(), "[Document]\r\nName=Both\r\n[EMF]\r\nCount=2\r\nFile0=" + pages[0] +
                           "\r\nFile1=" + pages[1] + "\r\n");
  auto run = start();
  answer("Save As", "key ctrl+a type --delay 5 '" + base + "'");
  display.Xdotool("key Return");
  answer("Replace File", "key Return");  // Both.swf
  answer("Replace File", "key Return");  // Both.html, asked before anything is written
  answer("Movie options", "key Return");
  answer("PDF Options", "key Return");
  const ProgramResult result = run.get();
  EXPECT_EQ(result.exitStatus, 0) << result.standardError;
  EXPECT_EQ(ReadFile(base), "keep");
  EXPECT_EQ(ReadFile(base + ".swf").substr(1, 2), "WS");
  EXPECT_EQ(RunCommand("qpdf --check '" + base + ".pdf' >/dev/null"), 0);
  EXPECT_TRUE(Contains(ReadFile(base + ".html"), "Both.swf"));
}

// A typed ".tif" picks the TIFF document: an existing one is asked about,
// then every page goes into it, and the one file is opened.
TEST_F(DialogModeRun, typedTifName_makesTheTiffDocumentAndOpensIt) {
  ASSERT_TRUE(testing_support::HaveTool("tiffinfo")) << "tiffinfo is missing: run scripts/deps";
  const std::string tiff = job.documents() + "/fax.tif";
  WriteFile(tiff, "old fax");
  job.WriteSettings(std::string(SilentJob::kMainKeyLine) +
                    "\"DefaultFilterIndex\"=dword:00000002\n\"ExploreFileCheckBox\"=dword:0\n");
  auto run = start();
  answer("Save As", "key ctrl+a type --delay 5 '" + tiff + "'");
  display.Xdotool("key Return");
  answer("Replace File", "key Return");
  const ProgramResult result = run.get();
  EXPECT_EQ(result.exitStatus, 0) << result.standardError;
  std::string info;
  RunCommand("tiffinfo '" + tiff + "' 2>&1 | grep -c 'TIFF Directory'", &info);
  EXPECT_EQ(info, "2\n");
  EXPECT_EQ(setting("DefaultFilterIndex"), "\"DefaultFilterIndex\"=dword:00000006");
  EXPECT_FALSE(jobFilesExist());
  EXPECT_EQ(ReadFile(job.folder().file("opened")), tiff + "\n");
}

TEST_F(DialogModeRun, noJob_isSaidInAMessageBoxAtTheDesktop) {
  auto run = std::async(std::launch::async, [this] {
    return RunCommand("DISPLAY=" + display.display() +
                      " WAYLAND_DISPLAY= QT_QPA_PLATFORM= " + TALLOWCRAFT_BIN + " 2>&1");
  });
  answer("Printing error", "key Return");
  EXPECT_EQ(run.get(), 1);
}

}  // namespace
