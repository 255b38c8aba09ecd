#include "app/job_description.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "app/path_rules.h"
#include "app/print_job_run.h"
#include "platform/code_pages.h"
#include "platform/ini_file.h"
#include "support/temp_folder.h"

namespace app {
namespace {

using testing_support::TempFolder;
using testing_support::WriteFile;

JobDescription ReadText(const std::string& text) {
  TempFolder folder;
  WriteFile(folder.file("job.ini"), text);
  auto job = ReadJobDescription(folder.file("job.ini"));
  EXPECT_TRUE(job.has_value());
  return job.value_or(JobDescription{});
}

TEST(JobDescription, readsPagesInIndexOrder) {
  const auto job = ReadText(
      "[Document]\r\nName=Budget.xls\r\nPaperWidth=2100\r\nPaperLength=2970\r\n"
      "[EMF]\r\nCount=3\r\nFile2=c.emf\r\nFile0=a.emf\r\nFile1=b.emf\r\n");
  EXPECT_EQ(job.documentName, "Budget.xls");
  EXPECT_EQ(job.paperWidth, 2100);
  EXPECT_EQ(job.paperLength, 2970);
  EXPECT_EQ(job.pageFiles, (std::vector<std::string>{"a.emf", "b.emf", "c.emf"}));
}

TEST(JobDescription, keepsTheKeysPresentBelowCount) {
  const struct {
    const char* emf;
    std::vector<std::string> pages;
    const char* missing;
  } kCases[] = {
      {"Count=0\nFile0=a", {}, ""},
      {"Count=-5\nFile0=a", {}, ""},
      {"File0=a", {}, ""},
      {"Count=1\nFile0=a\nFile1=b", {"a"}, ""},
      {"Count=3\nFile0=a\nFile2=c", {"a", "c"}, "File1"},
      {"Count=3\nFile0=a\nFile1=\nFile2=c", {"a", "c"}, "File1"},   // empty counts as missing
      {"Count=2000000000\nFile0=a\nFile1=b", {"a", "b"}, "File2"},  // no two billion entries
      {"Count=20000001\nFile0=a\nFile20000000=z", {"a", "z"}, "File1"},
      {"Count=abc\nFile0=a", {}, ""},
      {"Count=2\nFile00=x\nfile1=b", {"b"}, "File0"},  // no leading zeros; names ignore case
  };
  for (const auto& c : kCases) {
    const auto job = ReadText(std::string("[EMF]\n") + c.emf);
    EXPECT_EQ(job.pageFiles, c.pages) << c.emf;
    EXPECT_EQ(job.missingKey, c.missing) << c.emf;
  }
}

TEST(JobDescription, unusableJobs_sayWhy) {
  const struct {
    const char* text;
    const char* message;
  } kCases[] = {
      {"", "lists no pages to print (it has no [EMF] Count)"},
      {"[Document]\nName=x\n", "lists no pages to print (it has no [EMF] Count)"},
      {"[EMF]\nCount=-5\n", "its [EMF] Count is \"-5\", not a number of pages"},
      {"[EMF]\nCount=99999999999\nFile0=a\n", "its [EMF] Count is \"99999999999\""},
      {"[EMF]\nCount=2\nFile0=a\n", "File1 is missing from the job"},
  };
  for (const auto& c : kCases) {
    try {
      RequireUsablePages(ReadText(c.text));
      ADD_FAILURE() << "accepted " << c.text;
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
  EXPECT_NO_THROW(RequireUsablePages(ReadText("[EMF]\nCount=1\nFile0=a\n")));
}

TEST(JobDescription, windowsEncodingsAndLineEnds_areRead) {
  const std::string ascii =
      "[Document]\r\nName=R\xC3\xA9sum\xC3\xA9\r\n[EMF]\r\nCount=1\r\nFile0=a\r\n";
  std::string utf16le = "\xFF\xFE";
  for (const char16_t unit : platform::Utf8ToUtf16(ascii)) {
    utf16le.push_back(static_cast<char>(unit & 0xFF));
    utf16le.push_back(static_cast<char>(unit >> 8));
  }
  std::string crOnly = ascii;
  std::erase(crOnly, '\n');
  for (const std::string& text : {ascii, utf16le, crOnly}) {
    const auto job = ReadText(text);
    EXPECT_EQ(job.documentName, "R\xC3\xA9sum\xC3\xA9");
    EXPECT_EQ(job.pageFiles, std::vector<std::string>{"a"});
  }
}

TEST(JobDescription, missingFile_isReported) {
  EXPECT_FALSE(ReadJobDescription("/nonexistent/job.ini").has_value());
  TempFolder folder;
  EXPECT_FALSE(ReadJobDescription(folder.path()).has_value());  // a folder is not readable
  // Neither is a device or a pipe, which is refused without waiting on it.
  EXPECT_FALSE(ReadJobDescription("/dev/zero").has_value());
  const std::string fifo = folder.file("job.fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(ReadJobDescription(fifo).has_value());
}

TEST(IniFile, behavesLikeTheProfileCalls) {
  const auto ini = platform::IniFile::Parse(
      "\xEF\xBB\xBF; comment\n[Doc]\n  Key = \" spaced \" \nN=0x1F\nM=$10\nBig=99999999999\n"
      "Neg=-7\n[doc]\nKey=second\n");
  EXPECT_EQ(ini.ReadString("DOC", "key", "-"), " spaced ");
  EXPECT_EQ(ini.ReadString("Doc", "missing", "-"), "-");
  EXPECT_EQ(ini.ReadInteger("Doc", "N", 0), 31);
  EXPECT_EQ(ini.ReadInteger("Doc", "M", 0), 16);
  EXPECT_EQ(ini.ReadInteger("Doc", "Big", 5), 5);
  EXPECT_EQ(ini.ReadInteger("Doc", "Neg", 0), -7);
}

TEST(PathRules, splitAtTheSlash) {
  EXPECT_EQ(ExtractFilePath("/a/b.c/d.pdf"), "/a/b.c/");
  EXPECT_EQ(ExtractFileName("/a/b.c/d.pdf"), "d.pdf");
  EXPECT_EQ(ExtractFileExt("/a/b.c/d"), "");
  EXPECT_EQ(ExtractFileExt("d.tar.GZ"), ".GZ");
  EXPECT_EQ(ChangeFileExt("/a/b.c/d", ".pdf"), "/a/b.c/d.pdf");
  EXPECT_EQ(ChangeFileExt("out.swf", ".pdf"), "out.pdf");
  EXPECT_EQ(ExtractFilePath("name"), "");
}

TEST(SilentMode, formatAndNameRules) {
  EXPECT_EQ(SilentOutputFormat("PDF", "out.swf"), "pdf");
  EXPECT_EQ(SilentOutputFormat("", "/jobs/a.SWF"), "swf");
  EXPECT_EQ(SilentOutputFormat("", "a.jpg"), "jpg");
  EXPECT_EQ(SilentOutputFormat("swf", "report.pdf"), "swf");
  EXPECT_EQ(SilentOutputFormat("TIF", "report.pdf"), "tif");
  EXPECT_EQ(SilentOutputFormat("gif", "noextension"), "");
  const struct {
    const char* name;
    const char* folder;
    const char* completed;
  } kNames[] = {
      {"out.pdf", "/home/u/Documents/", "/home/u/Documents/out.pdf"},
      {"/tmp/out.pdf", "/home/u/Documents/", "/tmp/out.pdf"},
      {"x.pdf", "/srv/out", "/srv/out/x.pdf"},  // joined, not glued
      {"../x.pdf", "/srv/out/", "/srv/out/../x.pdf"},
      {"", "/srv/out/", "/srv/out/Printer.swf"},
      {"/dir/", "/srv/out/", "/dir/Printer.swf"},
      {"/dir/.", "/srv/out/", "/dir/./Printer.swf"},
  };
  for (const auto& c : kNames)
    EXPECT_EQ(CompleteOutputName(c.name, c.folder), c.completed) << c.name;
}

}  // namespace
}  // namespace app
