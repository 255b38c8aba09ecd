#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "app/html_page.h"
#include "support/emf_builder.h"
#include "support/image_tools.h"
#include "support/silent_job.h"

namespace {

using testing_support::ReadFile;
using testing_support::RunCommand;
using testing_support::SilentJob;

// Runs a silent PDF job of these pages with PageSize 0 and the default 5 mm
// margins; returns the program's standard error.
std::string RunSameAsPrinted(SilentJob& job, const std::vector<std::string>& pages) {
  job.WritePages(pages);
  job.WriteSettings(std::string(SilentJob::kMainKeyLine) +
                    "\"Silent\"=dword:00000001\n\"OutputFileName\"=\"out.pdf\"\n" +
                    SilentJob::kPdfKeyLine + "\"PageSize\"=dword:00000000\n");
  const auto result = job.Run();
  EXPECT_EQ(result.exitStatus, 0) << result.standardError;
  return result.standardError;
}

// "Same as the printed page" (PageSize 0): each page is its picture's frame
// (hundredths of a millimetre) with the margins around it; a frame of no
// page size gives A4, and a page past PDF's 14,400 points is cut to it.
TEST(SilentPageSize, sameAsThePrintedPage_isTheFrameWithItsMargins) {
  SilentJob job;
  const struct {
    emfbuild::Rect frame;
    const char* size;
  } kPages[] = {
      {{0, 0, 27940, 21590}, "820 x 640 pts"},       // landscape Letter + 10 mm
      {{0, 0, 14800, 21000}, "448 x 624 pts"},       // A5 + 10 mm
      {{0, 0, 0, 0}, "595 x 842 pts (A4)"},          // no frame: A4
      {{0, 0, 508000, 100000}, "14400 x 2863 pts"},  // 200 inches wide: the largest page
  };
  std::vector<std::string> pages;
  for (size_t i = 0; i < std::size(kPages); ++i) {
    pages.push_back(job.folder().file("p" + std::to_string(i) + ".emf"));
    emfbuild::EmfBuilder(400, 300).frame(kPages[i].frame).writeFile(pages.back());
  }
  const std::string said = RunSameAsPrinted(job, pages);
  EXPECT_NE(said.find("gives no page size; using A4"), std::string::npos) << said;
  EXPECT_NE(said.find(pages[3] + ": the picture with its margins is beyond PDF's page sizes"),
            std::string::npos)
      << said;
  std::string info;
  RunCommand("pdfinfo -f 1 -l 4 '" + job.documents() + "/out.pdf'", &info);
  for (size_t i = 0; i < std::size(kPages); ++i)
    EXPECT_NE(info.find("Page    " + std::to_string(i + 1) + " size:  " + kPages[i].size),
              std::string::npos)
        << info;
}

// A 19 x 6 mm logo is neither refused for the margins nor shrunk: its page
// is 29 x 16 mm and the ink covers 19 x 6 mm, 5 mm from the edges.
TEST(SilentPageSize, smallPicture_keepsItsTrueSizeInsideTheMargins) {
  SilentJob job;
  const std::string logo = job.folder().file("logo.emf");
  // A device of 10 pixels per millimetre; a black box without an outline
  // fills the whole frame.
  emfbuild::EmfBuilder(190, 60)
      .device(2100, 2970, 210, 297)
      .frame({0, 0, 1900, 600})
      .createPen(1, 5 /* PS_NULL */, 0, 0)
      .selectObject(1)
      .createBrushIndirect(2, 0, 0)
      .selectObject(2)
      .rectangle({0, 0, 191, 61})
      .writeFile(logo);
  RunSameAsPrinted(job, {logo});
  const std::string pdf = job.documents() + "/out.pdf";
  std::string info;
  RunCommand("pdfinfo '" + pdf + "'", &info);
  EXPECT_NE(info.find("Page size:       82 x 45 pts"), std::string::npos) << info;  // 29 x 16 mm

  // 254 dpi: 10 pixels per millimetre.
  ASSERT_EQ(
      RunCommand("pdftoppm -r 254 -singlefile '" + pdf + "' '" + job.folder().file("logo") + "'"),
      0);
  const auto image = testing_support::ReadPnm(job.folder().file("logo.ppm"));
  ASSERT_TRUE(image);
  int left = image->width, right = -1, top = image->height, bottom = -1;
  for (int y = 0; y < image->height; ++y)
    for (int x = 0; x < image->width; ++x)
      if (platform::ColorGreen(image->pixels[static_cast<size_t>(y * image->width + x)]) < 128) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  EXPECT_NEAR(right - left + 1, 190, 2);
  EXPECT_NEAR(bottom - top + 1, 60, 2);
  EXPECT_NEAR(left, 50, 2);
  EXPECT_NEAR(top, 50, 2);
}

// A picture without a usable size gets the blank A4 page it gets in a PDF,
// here as the one slide of a movie made by the real program.
TEST(SilentPageSize, pictureWithoutASize_isABlankA4Slide) {
  const std::string page = TALLOWCRAFT_CORPUS_DIR "/emf/matrix-app-r/test.emf";
  if (!std::filesystem::exists(page)) GTEST_SKIP() << "corpus not found: " << page;
  SilentJob job;
  job.WritePages({page});
  const std::string movie = job.folder().file("movie.swf");
  job.WriteSettings(std::string(SilentJob::kMainKeyLine) +
                    "\"Silent\"=dword:00000001\n\"OutputFileFormat\"=\"swf\"\n"
                    "\"OutputFileName\"=\"" +
                    movie + "\"\n");
  const auto result = job.Run();
  ASSERT_EQ(result.exitStatus, 0) << result.standardError;
  EXPECT_NE(result.standardError.find("its page stays blank"), std::string::npos);
  const std::string bytes = ReadFile(movie);
  ASSERT_GT(bytes.size(), 20u);
  ASSERT_EQ(bytes.substr(0, 3), "FWS");
  const auto u32 = [&](size_t at) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) value |= uint32_t(uint8_t(bytes[at + i])) << (8 * i);
    return value;
  };
  EXPECT_EQ(u32(4), bytes.size());
  // A4 at the movie's default 96 dpi.
  EXPECT_EQ(app::ReadSwfStageSize(movie), std::make_pair(793, 1123));
  // The frame count follows the stage rectangle and the frame rate.
  const size_t rectBytes = (5 + 4 * (uint8_t(bytes[8]) >> 3) + 7) / 8;
  const size_t frames = 8 + rectBytes + 2;
  EXPECT_EQ(uint8_t(bytes[frames]) | uint8_t(bytes[frames + 1]) << 8, 1);
}

}  // namespace
