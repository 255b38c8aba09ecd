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

}  // namespace
