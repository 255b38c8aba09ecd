#include "pdf/output_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "platform/interrupt_cleanup.h"
#include "support/temp_folder.h"

namespace pdf {
namespace {

using testing_support::ReadFile;
using testing_support::TempFolder;
using testing_support::WriteFile;

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

// Runs `child` in a forked process and returns the signal that ended it (0
// when it exited).
template <typename Child>
int SignalEnding(Child child) {
  const pid_t pid = fork();
  if (pid == 0) {
    try {
      child();
    } catch (...) {
      _exit(3);
    }
    _exit(0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

// A run ended while it writes leaves the previous output and nothing else.
TEST(OutputFile, interruptedWriting_leavesOnlyThePreviousFile) {
  for (const int signal : {SIGTERM, SIGHUP, SIGINT, SIGKILL}) {
    TempFolder folder;
    const std::string pdf = folder.file("Printer.pdf");
    WriteFile(pdf, "previous");
    EXPECT_EQ(SignalEnding([&] {
                OutputFile output(pdf);
                output.write(std::string(1 << 20, 'x'));
                raise(signal);
              }),
              signal);
    EXPECT_EQ(Names(folder.path()), std::vector<std::string>{"Printer.pdf"}) << signal;
    EXPECT_EQ(ReadFile(pdf), "previous");
  }
}

TEST(RemoveOnInterrupt, endingSignals_removeTheFileAndStillEndTheProcess) {
  for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
    TempFolder folder;
    const std::string named = folder.file(".tallowcraft.abcdef");
    EXPECT_EQ(SignalEnding([&] {
                WriteFile(named, "partial");
                platform::RemoveOnInterrupt guard(named);
                raise(signal);
              }),
              signal);
    EXPECT_FALSE(std::filesystem::exists(named)) << signal;
  }
}

TEST(OutputFile, sweep_removesOnlyAbandonedTemporaries) {
  TempFolder folder;
  const std::string stale = folder.file(".tallowcraft.AAAAAA");
  const std::string busy = folder.file(".tallowcraft.BBBBBB");
  for (const std::string& name : {stale, busy, folder.file(".tallowcraft.toolong"),
                                  folder.file("tallowcraft.CCCCCC"), folder.file("x.pdf")})
    WriteFile(name, "data");
  const int lock = ::open(busy.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(::flock(lock, LOCK_EX), 0);  // a writer still running
  SweepStaleTemporaries(folder.path());
  ::close(lock);
  EXPECT_EQ(Names(folder.path()),
            (std::vector<std::string>{".tallowcraft.BBBBBB", ".tallowcraft.toolong",
                                      "tallowcraft.CCCCCC", "x.pdf"}));
}

TEST(OutputFile, replacedFile_keepsItsMode) {
  const mode_t mask = ::umask(022);
  for (const mode_t mode : {0600, 0640, 0604}) {
    TempFolder folder;
    const std::string pdf = folder.file("out.pdf");
    WriteFile(pdf, "old");
    ::chmod(pdf.c_str(), mode);
    OutputFile output(pdf);
    output.write("new");
    output.commit();
    EXPECT_EQ(ModeOf(pdf), mode);
    EXPECT_EQ(ReadFile(pdf), "new");
  }
  TempFolder folder;
  OutputFile fresh(folder.file("new.pdf"));
  fresh.commit();
  EXPECT_EQ(ModeOf(folder.file("new.pdf")), 0644);
  ::umask(mask);
}

// The temporary name does not grow with the destination's, so a name at the
// file system's limit of 255 bytes still works.
TEST(OutputFile, longestFileName_isWritten) {
  TempFolder folder;
  const std::string pdf = folder.file(std::string(251, 'n') + ".pdf");
  OutputFile output(pdf);
  output.write("%PDF");
  output.commit();
  EXPECT_EQ(ReadFile(pdf), "%PDF");
}

}  // namespace
}  // namespace pdf
