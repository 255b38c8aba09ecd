#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "support/silent_job.h"

namespace {

using testing_support::ReadFile;
using testing_support::SilentJob;
using testing_support::WriteFile;

// The document without what differs between any two runs.
std::string WithoutDatesAndId(const std::string& pdf) {
  static const std::regex kVarying(R"(/(CreationDate|ModDate) \([^)]*\)|/ID \[[^\]]*\])");
  return std::regex_replace(pdf, kVarying, "");
}

TEST(FontCacheRun, runAnsweredFromTheCacheFile_writesTheSamePdf) {
  const std::string page = TALLOWCRAFT_CORPUS_DIR "/emf/libemf2svg/test-100.emf";
  if (!std::filesystem::exists(page)) GTEST_SKIP() << "corpus not found: " << page;
  SilentJob job;
  job.WriteSettings(std::string(SilentJob::kMainKeyLine) +
                    "\"Silent\"=dword:00000001\n\"OutputFileFormat\"=\"pdf\"\n");
  WriteFile(job.job(), "[Document]\r\nName=Text\r\n[EMF]\r\nCount=1\r\nFile0=" + page + "\r\n");
  const std::string cache = job.folder().file("cache");
  const std::string pdf = job.documents() + "/Printer.pdf";

  ASSERT_EQ(job.Run({"XDG_CACHE_HOME=" + cache}).exitStatus, 0);
  const std::string fromFontconfig = ReadFile(pdf);
  ASSERT_TRUE(std::filesystem::exists(cache + "/tallowcraft/fontconfig-answers"));
  ASSERT_EQ(job.Run({"XDG_CACHE_HOME=" + cache}).exitStatus, 0);
  const std::string fromCache = ReadFile(pdf);
  EXPECT_NE(fromCache.find("/FontFile2"), std::string::npos);
  EXPECT_EQ(WithoutDatesAndId(fromCache), WithoutDatesAndId(fromFontconfig));
}

// Another copy of the program (another build, another install) may choose
// faces differently: its answers are not taken, the file is answered anew.
TEST(FontCacheRun, answersOfAnotherCopyOfTheProgram_areNotTaken) {
  const std::string page = TALLOWCRAFT_CORPUS_DIR "/emf/libemf2svg/test-100.emf";
  if (!std::filesystem::exists(page)) GTEST_SKIP() << "corpus not found: " << page;
  SilentJob job;
  job.WriteSettings(std::string(SilentJob::kMainKeyLine) +
                    "\"Silent\"=dword:00000001\n\"OutputFileFormat\"=\"pdf\"\n");
  job.WritePages({page});
  const std::string cache = job.folder().file("cache");
  const std::string copy = job.folder().file("tallowcraft");
  std::filesystem::copy_file(TALLOWCRAFT_BIN, copy);
  const std::string answers = cache + "/tallowcraft/fontconfig-answers";
  const auto byCopy = testing_support::RunProgram(
      copy, {job.job()},
      {"TALLOWCRAFT_REGISTRY=" + job.registry(), "XDG_DOCUMENTS_DIR=" + job.documents(),
       "XDG_CACHE_HOME=" + cache, "HOME=" + job.folder().path()});
  ASSERT_EQ(byCopy.exitStatus, 0) << byCopy.standardError;
  ASSERT_NE(ReadFile(answers).find("program=" + copy), std::string::npos);
  ASSERT_EQ(job.Run({"XDG_CACHE_HOME=" + cache}).exitStatus, 0);
  EXPECT_EQ(ReadFile(answers).find("program=" + copy), std::string::npos);
}

}  // namespace
