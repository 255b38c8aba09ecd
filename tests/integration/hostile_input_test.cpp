// Careless and hostile jobs: each ends with a message and a non-zero status,
// in bounded memory, with the previous output untouched and no temporary
// file left.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <sstream>

#include "support/emf_builder.h"
#include "support/silent_job.h"

namespace {

using testing_support::ReadFile;
using testing_support::SilentJob;
using testing_support::WriteFile;

// Far below what a run that reads or allocates without bound would take.
const std::vector<std::string> kLimited = {"prlimit", "--as=" + std::to_string(300 << 20)};

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class HostileInput : public ::testing::Test {
 protected:
  void SetUp() override {
    job_.WriteSettings(std::string(SilentJob::kMainKeyLine) + "\"Silent\"=dword:00000001\n" +
                       "\"OutputFileName\"=\"Printer.pdf\"\n");
    WriteFile(previous(), "previous output");
  }
  std::string previous() const { return job_.documents() + "/Printer.pdf"; }
  void WriteJob(const std::string& emfSection) const {
    WriteFile(job_.job(), "[Document]\r\nName=x\r\n" + emfSection);
  }
  // The run failed with `message` and changed nothing.
  void ExpectRefused(const testing_support::ProgramResult& run, const std::string& message,
                     int status = 2) const {
    EXPECT_EQ(run.exitStatus, status) << run.standardError;
    EXPECT_TRUE(Contains(run.standardError, message)) << run.standardError;
    EXPECT_EQ(ReadFile(previous()), "previous output");
    EXPECT_EQ(testing_support::Listing(job_.documents()), std::vector<std::string>{"Printer.pdf"});
  }
  SilentJob job_;
};

TEST_F(HostileInput, jobsWithoutUsablePages_makeNothing) {
  const struct {
    const char* job;
    const char* message;
  } kCases[] = {
      {"", "lists no pages to print (it has no [EMF] Count)"},
      {"[EMF]\r\nCount=-5\r\nFile0=a.emf\r\n", "Count is \"-5\""},
      {"[EMF]\r\nCount=99999999999\r\nFile0=a.emf\r\n", "Count is \"99999999999\""},
      {"[EMF]\r\nCount=20000001\r\nFile0=a.emf\r\nFile20000000=b.emf\r\n",
       "File1 is missing from the job"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.job);
    WriteJob(c.job);
    ExpectRefused(job_.RunUnder(kLimited), c.message);
  }
}

TEST_F(HostileInput, pageFilesThatAreNotFiles_areRefusedByName) {
  const std::string fifo = job_.folder().file("page.fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string sparse = job_.folder().file("huge.emf");
  WriteFile(sparse, "");
  ASSERT_EQ(::truncate(sparse.c_str(), off_t{4} << 30), 0);  // zeros: not a metafile
  const struct {
    std::string page;
    std::string message;
  } kCases[] = {
      {"/dev/zero", "/dev/zero: it is a device, not a file"},
      {fifo, fifo + ": it is a pipe or socket, not a file"},
      {job_.folder().path(), job_.folder().path() + ": it is a folder, not a file"},
      {sparse, sparse + " is not an enhanced metafile"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.page);
    WriteJob("[EMF]\r\nCount=1\r\nFile0=" + c.page + "\r\n");
    ExpectRefused(job_.RunUnder(kLimited), c.message);
  }
}

TEST_F(HostileInput, settingsFilesThatAreNotFiles_areRefusedByName) {
  const std::string fifo = job_.folder().file("settings.fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& settings : {std::string("/dev/zero"), fifo}) {
    const auto run = job_.RunUnder(kLimited, {"TALLOWCRAFT_REGISTRY=" + settings});
    // The job waits for settings that can be read instead of taking defaults.
    ExpectRefused(run, "settings file: Cannot read " + settings + ": it is ");
  }
}

// Reading settings never writes them: a missing PDF options key leaves the
// file's line ends, encoding and mode as they were.
TEST_F(HostileInput, silentRun_leavesTheSettingsFileAsItWas) {
  const std::string settings = "Windows Registry Editor Version 5.00\r\n\r\n" +
                               std::string(SilentJob::kMainKeyLine) +
                               "\"Silent\"=dword:00000001\r\n\"OutputFileFormat\"=\"pdf\"\r\n";
  std::string utf16 = "\xFF\xFE";
  for (const char c : settings) utf16 += {c, '\0'};
  for (const std::string& bytes : {settings, utf16}) {
    WriteFile(job_.registry(), bytes);
    ::chmod(job_.registry().c_str(), 0444);
    const auto run = job_.Run();
    ASSERT_EQ(run.exitStatus, 0) << run.standardError;
    EXPECT_EQ(ReadFile(job_.registry()), bytes);
    ::chmod(job_.registry().c_str(), 0644);
  }
}

// A 4 GiB page whose records end at its EMR_EOF costs only those records.
TEST_F(HostileInput, sparsePageWithEarlyEof_printsInBoundedMemory) {
  const std::string page = job_.folder().file("sparse.emf");
  emfbuild::EmfBuilder().moveTo(10, 10).lineTo(200, 100).writeFile(page);
  ASSERT_EQ(::truncate(page.c_str(), off_t{4} << 30), 0);
  WriteJob("[EMF]\r\nCount=1\r\nFile0=" + page + "\r\n");
  const auto run = job_.RunUnder(kLimited);
  ASSERT_EQ(run.exitStatus, 0) << run.standardError;
  EXPECT_EQ(ReadFile(previous()).substr(0, 5), "%PDF-");
}

// Past the file-size limit the write fails (SIGXFSZ does not kill the run)
// and the temporary file goes with it.
TEST_F(HostileInput, fileSizeLimit_failsTheRunCleanly) {
  const auto run = job_.RunUnder({"prlimit", "--fsize=600"});
  ExpectRefused(run, "File too large");
}

}  // namespace

// A run killed while it writes leaves the previous output and no temporary
// file, whichever signal ends it.
TEST_F(HostileInput, killedRun_leavesOnlyThePreviousOutput) {
  const std::string page = job_.folder().file("slow.emf");
  const emfbuild::Dib dib = emfbuild::DibRle8Halves(8000, 8000, 0x0000FF, 0x00FF00);
  emfbuild::EmfBuilder slow(600, 600);
  for (int i = 0; i < 4; ++i)
    slow.stretchDIBits({0, i * 100, 599, i * 100 + 99}, {0, i * 100}, 600, 100, {0, 0}, 8000, 8000,
                       0x00CC0020, dib);
  slow.writeFile(page);
  WriteJob("[EMF]\r\nCount=3\r\nFile0=" + page + "\r\nFile1=" + page + "\r\nFile2=" + page +
           "\r\n");
  for (const char* signal : {"TERM", "HUP", "INT", "KILL"}) {
    SCOPED_TRACE(signal);
    const auto run = job_.RunUnder({"timeout", "-s", signal, "0.5"});
    EXPECT_NE(run.exitStatus, 0) << "the run ended before the signal";
    EXPECT_EQ(ReadFile(previous()), "previous output");
    EXPECT_EQ(testing_support::Listing(job_.documents()), std::vector<std::string>{"Printer.pdf"});
  }
}

// Six 11584 x 11584 run-length pictures (1 MB each) on one page: the page's
// pictures together stay within the picture budget, in bounded memory.
TEST_F(HostileInput, hugePictures_areScaledToThePageBudget) {
  constexpr int kSide = 11584;
  const emfbuild::Dib dib = emfbuild::DibRle8Halves(kSide, kSide, 0x0000FF, 0x00FF00);
  emfbuild::EmfBuilder page(600, 600);
  for (int i = 0; i < 6; ++i)
    page.stretchDIBits({0, i * 100, 599, i * 100 + 99}, {0, i * 100}, 600, 100, {0, 0}, kSide,
                       kSide, 0x00CC0020, dib);
  page.writeFile(job_.folder().file("huge.emf"));
  WriteJob("[EMF]\r\nCount=1\r\nFile0=" + job_.folder().file("huge.emf") + "\r\n");
  const auto run = job_.RunUnder({"prlimit", "--as=" + std::to_string(int64_t{1} << 30)});
  ASSERT_EQ(run.exitStatus, 0) << run.standardError;
  EXPECT_TRUE(Contains(run.standardError, "a picture of 11584 x 11584 pixels is made at"))
      << run.standardError;
  EXPECT_TRUE(Contains(run.standardError, "may hold 48 million colour pixels together"));
  if (!testing_support::HaveTool("pdfimages")) GTEST_FAIL() << "pdfimages is not installed";
  const auto images = testing_support::RunProgram("pdfimages", {"-list", previous()});
  int64_t pixels = 0;
  int count = 0;
  std::istringstream lines(images.standardOutput);
  std::string line;
  while (std::getline(lines, line)) {
    int pageNumber = 0, number = 0, width = 0, height = 0;
    char type[16] = {};
    if (std::sscanf(line.c_str(), "%d %d %15s %d %d", &pageNumber, &number, type, &width,
                    &height) == 5) {
      pixels += int64_t{width} * height;
      ++count;
    }
  }
  EXPECT_EQ(count, 6) << images.standardOutput;
  EXPECT_GT(pixels, 45'000'000);  // every picture is there, smaller
  EXPECT_LE(pixels, 48'000'000);
}
