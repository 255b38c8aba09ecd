// `tallowcraft convert` end to end: the program is run as users run it and
// its outputs are checked with pdfinfo, qpdf and our JPEG decoder.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "pdf/jpeg_codec.h"
#include "support/emf_builder.h"
#include "support/hive_fixture.h"
#include "support/pdf_inspect.h"
#include "support/silent_job.h"
#include "support/spool_builder.h"
#include "support/temp_folder.h"

namespace {

using emfbuild::EmfBuilder;
using spoolbuild::SpoolBuilder;
using testing_support::ProgramResult;
using testing_support::ReadFile;
using testing_support::TempFolder;
using testing_support::WriteFile;

const std::string kSpl = std::string(TALLOWCRAFT_CORPUS_DIR) + "/spl/";
const std::string kThreePages = kSpl + "EMFSpoolfileReader__EMFSpoolfileReader_00004.SPL";
const std::string kXps = kSpl + "export__00015.SPL";

ProgramResult Convert(const std::vector<std::string>& arguments,
                      const std::vector<std::string>& environment = {}) {
  std::vector<std::string> all{"convert"};
  all.insert(all.end(), arguments.begin(), arguments.end());
  return testing_support::RunProgram(TALLOWCRAFT_BIN, all, environment);
}

// Every page's size in points, "W x H", from pdfinfo.
std::vector<std::string> PageSizes(const std::string& pdf) {
  std::string info;
  testing_support::RunCommand("pdfinfo -f 1 -l 1000 '" + pdf + "' 2>&1", &info);
  std::vector<std::string> sizes;
  std::istringstream lines(info);
  for (std::string line; std::getline(lines, line);) {
    const size_t at = line.find(" size: ");
    if (line.rfind("Page ", 0) == 0 && at != std::string::npos)
      sizes.push_back(line.substr(line.find_first_not_of(' ', at + 6),
                                  line.find(" pts") - line.find_first_not_of(' ', at + 6)));
  }
  return sizes;
}

std::vector<uint8_t> Picture(int width, int height) {
  return EmfBuilder(width, height).rectangle({10, 10, width - 10, height - 10}).bytes();
}

std::string Text(const std::vector<uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

// A spool page printed on landscape A4 whose picture has no frame, and a
// page with a frame of its own after it.
std::vector<uint8_t> DevModeSpool() {
  const auto frameless = EmfBuilder(200, 100).frame({0, 0, 0, 0}).bytes();
  return SpoolBuilder(u"memo")
      .devMode(0x3, 2, 9, 0, 0)
      .page(frameless)
      .page(Picture(200, 100))
      .bytes();
}

TEST(ConvertCommand, emfSpoolAndStandardInput_becomeOnePdfInOrder) {
  if (!testing_support::HaveTool("pdfinfo") || !testing_support::HaveTool("qpdf"))
    GTEST_SKIP() << "tool missing";
  TempFolder temp;
  const std::string emf = temp.file("plot.emf");
  EmfBuilder(200, 100).rectangle({10, 10, 190, 90}).writeFile(emf);
  WriteFile(temp.file("memo.spl"), Text(DevModeSpool()));
  const std::string pdf = temp.file("out.pdf");
  const std::string command = std::string(TALLOWCRAFT_BIN) + " convert '" + emf + "' '" +
                              kThreePages + "' - -o '" + pdf + "' < '" + temp.file("memo.spl") +
                              "' 2>&1";
  std::string output;
  ASSERT_EQ(testing_support::RunCommand(command, &output), 0) << output;
  EXPECT_EQ(output, "");  // not a terminal: no progress bar
  const auto sizes = PageSizes(pdf);
  ASSERT_EQ(sizes.size(), 6u);
  EXPECT_EQ(sizes[0], "150 x 75");   // the frame: 200 x 100 pixels at 96 dpi
  EXPECT_EQ(sizes[4], "842 x 595");  // no frame: the DEVMODE's landscape A4
  EXPECT_EQ(sizes[5], "150 x 75");   // a frame of its own wins over the DEVMODE
  bool ok = false;
  const std::string report = testing_support::QpdfCheck(pdf, &ok);
  EXPECT_TRUE(ok) << report;

  // The options of the settings file are the base; --page-size still applies.
  WriteFile(temp.file("settings.reg"),
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_CURRENT_USER\\Software\\Quillmark\\Tallowcraft\\PDFFormatOptions]\n"
            "\"PageOrientation\"=dword:00000001\n");
  const auto fromSettings =
      Convert({emf, "--settings", temp.file("settings.reg"), "-o", temp.file("a4.pdf")});
  ASSERT_EQ(fromSettings.exitStatus, 0) << fromSettings.standardError;
  EXPECT_EQ(PageSizes(temp.file("a4.pdf")), std::vector<std::string>{"842 x 595"});
  const auto letter = Convert({emf, "--page-size", "Letter", "-o", temp.file("letter.pdf")});
  ASSERT_EQ(letter.exitStatus, 0) << letter.standardError;
  EXPECT_EQ(PageSizes(temp.file("letter.pdf")), std::vector<std::string>{"612 x 792"});
}

TEST(ConvertCommand, standardOutput_takesOneFile) {
  TempFolder temp;
  const std::string emf = temp.file("page.emf");
  EmfBuilder(200, 100).rectangle({10, 10, 190, 90}).writeFile(emf);
  std::string pdf;
  ASSERT_EQ(testing_support::RunCommand(std::string(TALLOWCRAFT_BIN) + " convert '" + emf +
                                        "' -o - > '" + temp.file("piped.pdf") + "'"),
            0);
  EXPECT_EQ(ReadFile(temp.file("piped.pdf")).substr(0, 5), "%PDF-");
  if (testing_support::HaveTool("pdfinfo"))
    EXPECT_EQ(PageSizes(temp.file("piped.pdf")), std::vector<std::string>{"150 x 75"});

  const auto twoPages = Convert({emf, emf, "--format", "jpg", "-o", "-"});
  EXPECT_EQ(twoPages.exitStatus, 2);
  EXPECT_NE(twoPages.standardError.find("Standard output takes one file"), std::string::npos);
  EXPECT_EQ(twoPages.standardOutput, "");

  const auto jpeg = Convert({emf, "--format", "jpg", "--resolution", "48", "-o", "-"});
  ASSERT_EQ(jpeg.exitStatus, 0) << jpeg.standardError;
  const auto bitmap = pdf::DecodeJpeg(jpeg.standardOutput);
  EXPECT_EQ(bitmap.Width(), 100);
  EXPECT_EQ(bitmap.Height(), 50);
  const auto movie = Convert({emf, "--format", "swf", "-o", "-"});
  ASSERT_EQ(movie.exitStatus, 0) << movie.standardError;
  EXPECT_EQ(movie.standardOutput.substr(1, 2), "WS");
  EXPECT_EQ(testing_support::Listing(temp.path()),
            (std::vector<std::string>{"page.emf", "piped.pdf"}));
}

TEST(ConvertCommand, jpegPagesAndMovie_fromASpoolFile) {
  TempFolder temp;
  const auto jpeg =
      Convert({kThreePages, "--resolution", "30", "-o", temp.file("scan.jpg"), "--quiet"});
  ASSERT_EQ(jpeg.exitStatus, 0) << jpeg.standardError;
  for (const char* name : {"scan1.jpg", "scan2.jpg", "scan3.jpg"}) {
    const std::string data = ReadFile(temp.file(name));
    ASSERT_GT(data.size(), 20u) << name;
    EXPECT_EQ(data[13], 1) << name;  // JFIF density in dots per inch: 30
    EXPECT_EQ(static_cast<uint8_t>(data[15]), 30) << name;
  }
  const auto movie = Convert({kThreePages, "-o", temp.file("show.swf"), "--html"});
  ASSERT_EQ(movie.exitStatus, 0) << movie.standardError;
  EXPECT_EQ(ReadFile(temp.file("show.swf")).substr(1, 2), "WS");
  EXPECT_NE(ReadFile(temp.file("show.html")).find("show.swf"), std::string::npos);
}

// PNG pages numbered like JPEG pages with their density, and the TIFF
// document of every page in the colours asked for.
TEST(ConvertCommand, pngPagesAndTiffDocument_fromASpoolFile) {
  ASSERT_TRUE(testing_support::HaveTool("tiffinfo"));
  TempFolder temp;
  const auto png = Convert({kThreePages, "--resolution", "30", "-o", temp.file("p.png")});
  ASSERT_EQ(png.exitStatus, 0) << png.standardError;
  for (const char* name : {"p1.png", "p2.png", "p3.png"}) {
    const std::string data = ReadFile(temp.file(name));
    const size_t phys = data.find("pHYs");
    ASSERT_NE(phys, std::string::npos) << name;
    EXPECT_EQ(static_cast<uint8_t>(data[phys + 7]), 1181 & 0xFF) << name;  // 30 dpi in pixels/m
  }
  const auto tiff = Convert(
      {kThreePages, "--resolution", "30", "--tiff-colors", "bw", "-o", temp.file("fax.tiff")});
  ASSERT_EQ(tiff.exitStatus, 0) << tiff.standardError;
  std::string info;
  testing_support::RunCommand("tiffinfo '" + temp.file("fax.tiff") + "' 2>&1", &info);
  size_t pages = 0;
  for (size_t at = info.find("CCITT Group 4"); at != std::string::npos;
       at = info.find("CCITT Group 4", at + 1))
    ++pages;
  EXPECT_EQ(pages, 3u) << info;
}

// Bad inputs: status 2, a message naming the file,
// and the file that was there before left as it was.
TEST(ConvertCommand, refusals_makeNothing) {
  TempFolder temp;
  const std::string out = temp.file("out.pdf");
  WriteFile(out, "old");
  WriteFile(temp.file("notes.txt"), "hello, this is text\n");
  auto cut = SpoolBuilder().page(Picture(200, 100)).bytes();
  cut.resize(cut.size() - 40);
  WriteFile(temp.file("cut.spl"), Text(cut));
  WriteFile(temp.file("lying.spl"),
            Text(SpoolBuilder().pageOffset(4).page(Picture(200, 100)).bytes()));
  const std::vector<std::pair<std::string, std::string>> cases = {
      {kXps, "is a ZIP package (an XPS print job's spool file), not an EMF spool file"},
      {temp.file("notes.txt"), "notes.txt is neither an EMF file nor an EMF spool file"},
      {temp.file("cut.spl"), "no page comes before it, so nothing was made"},
      {temp.file("lying.spl"), "points to no page"},
      {temp.file("missing.emf"), "missing.emf"},
  };
  for (const auto& [input, message] : cases) {
    const auto result = Convert({input, "-o", out});
    EXPECT_EQ(result.exitStatus, 2) << input;
    EXPECT_NE(result.standardError.find(message), std::string::npos) << result.standardError;
    EXPECT_EQ(ReadFile(out), "old");
  }
  const auto argvPassword = Convert({kThreePages, "--user-password", "secret", "-o", out});
  EXPECT_EQ(argvPassword.exitStatus, 2);
  EXPECT_NE(argvPassword.standardError.find("--password-file"), std::string::npos);
  EXPECT_EQ(testing_support::Listing(temp.path()),
            (std::vector<std::string>{"cut.spl", "lying.spl", "notes.txt", "out.pdf"}));
}

TEST(ConvertCommand, progressBar_onlyOnATerminal) {
  if (!testing_support::HaveTool("script")) GTEST_SKIP() << "tool missing";
  TempFolder temp;
  const auto onTerminal = [&](const std::string& options) {
    std::string output;
    testing_support::RunCommand("script -qec \"" + std::string(TALLOWCRAFT_BIN) + " convert " +
                                    kThreePages + " " + options + " -o " + temp.file("t.pdf") +
                                    "\" /dev/null",
                                &output);
    return output;
  };
  EXPECT_NE(onTerminal("").find("3/3 pages"), std::string::npos);
  EXPECT_EQ(onTerminal("--quiet").find("pages"), std::string::npos);
}

TEST(ConvertCommand, passwords_fromFileOrEnvironment) {
  if (!testing_support::HaveTool("qpdf")) GTEST_SKIP() << "tool missing";
  TempFolder temp;
  WriteFile(temp.file("pw"), "user=from file\r\nowner=boss\n");
  const std::string fromFile = temp.file("file.pdf");
  ASSERT_EQ(Convert({kThreePages, "--password-file", temp.file("pw"), "--key-length", "aes256",
                     "-o", fromFile})
                .exitStatus,
            0);
  const std::string fromEnvironment = temp.file("env.pdf");
  ASSERT_EQ(Convert({kThreePages, "-o", fromEnvironment}, {"TALLOWCRAFT_USER_PASSWORD=env pw"})
                .exitStatus,
            0);
  bool ok = false;
  for (const auto& [pdf, password] :
       {std::pair{fromFile, "from file"}, {fromFile, "boss"}, {fromEnvironment, "env pw"}}) {
    testing_support::QpdfCheck(pdf, &ok, password);
    EXPECT_TRUE(ok) << pdf << " with " << password;
  }
  std::string output;
  EXPECT_NE(testing_support::RunCommand("qpdf --check '" + fromEnvironment + "' 2>&1", &output), 0)
      << "opens without a password";
}

// A job's File key may name a spool file: all its pages, in order.
TEST(ConvertCommand, jobFileKey_mayNameASpoolFile) {
  if (!testing_support::HaveTool("pdfinfo")) GTEST_SKIP() << "tool missing";
  testing_support::SilentJob job;
  job.WriteSettings(std::string(testing_support::SilentJob::kMainKeyLine) +
                    "\"Silent\"=dword:00000001\n\"OutputFileFormat\"=\"pdf\"\n" +
                    testing_support::SilentJob::kPdfKeyLine + "\"PageSize\"=dword:00000000\n");
  const std::string emf = job.folder().file("extra.emf");
  EmfBuilder(200, 100).writeFile(emf);
  job.WritePages({kThreePages, emf});
  const auto result = job.Run();
  ASSERT_EQ(result.exitStatus, 0) << result.standardError;
  const auto sizes = PageSizes(job.documents() + "/Printer.pdf");
  ASSERT_EQ(sizes.size(), 4u);
  EXPECT_EQ(sizes[3], "178 x 103");  // the frame and the stored 5 mm margins
}

}  // namespace

// Damage after a page keeps that page and says where the file broke;
// --verbose lists the font records read past.
TEST(ConvertCommand, damagedSpool_keepsThePagesBefore_andVerboseListsFonts) {
  if (!testing_support::HaveTool("pdfinfo")) GTEST_SKIP() << "tool missing";
  TempFolder temp;
  WriteFile(temp.file("damaged.spl"),
            Text(SpoolBuilder()
                     .record(spoolbuild::EMRI_ENGINE_FONT, std::vector<uint8_t>(12, 0))
                     .page(Picture(200, 100), spoolbuild::EMRI_METAFILE_DATA, 0)
                     .pageOffset(4)
                     .bytes()));
  const auto result = Convert({"--verbose", temp.file("damaged.spl"), "-o", temp.file("k.pdf")});
  ASSERT_EQ(result.exitStatus, 0) << result.standardError;
  EXPECT_EQ(PageSizes(temp.file("k.pdf")).size(), 1u);
  EXPECT_NE(result.standardError.find("points to no page; the pages before it (1) are kept"),
            std::string::npos)
      << result.standardError;
  EXPECT_NE(result.standardError.find("damaged.spl: EMRI_ENGINE_FONT at byte "), std::string::npos)
      << result.standardError;
}
