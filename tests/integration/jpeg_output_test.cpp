#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "app/jpeg_output.h"
#include "app/output_names.h"
#include "app/picture_outputs.h"
#include "emf2pdf/page_picture.h"
#include "pdf/jpeg_codec.h"
#include "support/emf_builder.h"
#include "support/hive_fixture.h"
#include "support/image_tools.h"
#include "support/output_pages.h"
#include "support/temp_folder.h"

namespace {

using testing_support::ReadFile;
using testing_support::TempFolder;

TEST(JpegOutput, pageNames_numberPagesOnlyForJobsOfManyPages) {
  const struct {
    const char* output;
    int page;
    int count;
    const char* expected;
  } kCases[] = {{"/out/photo.jpg", 1, 1, "/out/photo.jpg"},
                {"/out/photo.jpeg", 1, 1, "/out/photo.jpg"},
                {"/out/scan.jpg", 1, 3, "/out/scan1.jpg"},
                {"/out/scan.jpg", 3, 3, "/out/scan3.jpg"},
                {"/out.d/scan", 2, 2, "/out.d/scan2.jpg"}};
  for (const auto& c : kCases)
    EXPECT_EQ(app::PageFileName(c.output, c.page, c.count, ".jpg"), c.expected) << c.output;
}

TEST(JpegOutput, density_isPatchedOnlyWithinTheFirst50Bytes) {
  std::string near = std::string(20, 'x') + std::string("JFIF\0\1\1\0\0\1\0\1", 12) + "rest";
  app::SetJpegDensity(near, 600, 300);
  EXPECT_EQ(near.substr(20 + 7, 5), std::string("\1\x02\x58\x01\x2C", 5));
  EXPECT_EQ(near.substr(32), "rest");
  std::string far = std::string(46, 'x') + std::string("JFIF\0\1\1\0\0\1\0\1", 12);
  const std::string before = far;
  app::SetJpegDensity(far, 600, 600);
  EXPECT_EQ(far, before);
}

// Pages are drawn at the density written into them and look like a rendering
// of our own PDF of the page by pdftoppm.
TEST(JpegOutput, pages_haveTheirDensityAndLookLikeThePage) {
  TempFolder temp;
  const auto pages = testing_support::WriteTwoDistinctPages(temp.path());
  testing_support::WriteFile(temp.file("scan2.jpg"), "old");
  const app::RasterResolution resolution{150, 150, "test"};
  const auto result =
      app::WriteJpegPages(emf2pdf::WholeFilePages(pages), temp.file("scan.jpg"), resolution);
  ASSERT_EQ(result.written,
            (std::vector<std::string>{temp.file("scan1.jpg"), temp.file("scan2.jpg")}));
  EXPECT_EQ(result.replaced, std::vector<std::string>{temp.file("scan2.jpg")});

  for (size_t i = 0; i < pages.size(); ++i) {
    const std::string jpeg = ReadFile(result.written[i]);
    const auto info = pdf::ReadJpegInfo(jpeg);
    // The picture frame at 150 dpi: about 400 x 300 pixels at 96 dpi.
    const auto picture = emf2pdf::PagePicture::Load(pages[i]);
    const int width = static_cast<int>(std::lround(picture.WidthInches() * 150));
    const int height = static_cast<int>(std::lround(picture.HeightInches() * 150));
    EXPECT_NEAR(width, 625, 2);
    EXPECT_NEAR(height, 469, 2);
    EXPECT_EQ(info.width, width);
    EXPECT_EQ(info.height, height);
    const size_t jfif = jpeg.find(std::string("JFIF\0", 5));
    ASSERT_LT(jfif, 50u);
    EXPECT_EQ(jpeg.substr(jfif + 7, 5), std::string("\1\0\x96\0\x96", 5));

    testing_support::WriteFile(temp.file("page.pdf"), picture.MakePdf());
    ASSERT_EQ(std::system(("pdftoppm -scale-to-x " + std::to_string(width) + " -scale-to-y " +
                           std::to_string(height) + " -singlefile " + temp.file("page.pdf") + " " +
                           temp.file("reference"))
                              .c_str()),
              0);
    const auto reference = testing_support::ReadPnm(temp.file("reference.ppm"));
    ASSERT_TRUE(reference);
    const auto decoded = testing_support::PixelsOf(pdf::DecodeJpeg(jpeg));
    ASSERT_EQ(decoded.size(), reference->pixels.size());
    double difference = 0;
    for (size_t p = 0; p < decoded.size(); ++p)
      difference += std::abs(int(platform::ColorGreen(decoded[p])) -
                             int(platform::ColorGreen(reference->pixels[p])));
    EXPECT_LT(difference / decoded.size(), 2.0) << result.written[i];
  }
}

// Without a CUPS scheduler the first page's reference device gives the
// density, and the run says so.
TEST(JpegOutput, withoutAPrinter_theFirstPagesDeviceGivesTheDensity) {
  TempFolder temp;
  const auto pages = testing_support::WriteTwoDistinctPages(temp.path());
  setenv("CUPS_SERVER", "127.0.0.1:9", 1);  // the discard port: nothing answers
  testing::internal::CaptureStderr();
  testing_support::MemoryRegistry store;
  const auto result =
      app::RunPictureOutput(app::OutputKind::JpegPages, store, {pages[0]}, temp.file("one.jpeg"));
  const std::string said = testing::internal::GetCapturedStderr();
  unsetenv("CUPS_SERVER");
  ASSERT_EQ(result.written, std::vector<std::string>{temp.file("one.jpg")});
  const std::string jpeg = ReadFile(result.written[0]);
  EXPECT_EQ(jpeg.substr(jpeg.find(std::string("JFIF\0", 5)) + 7, 5),
            std::string("\1\0\x60\0\x60", 5));
  EXPECT_NE(said.find("reference device of " + pages[0]), std::string::npos) << said;
}

// A page whose frame is 20 km square gets the PDF path's A4 page, drawn at
// the density asked for, between two ordinary pages.
TEST(JpegOutput, pageOfNoUsablePageSize_isAnA4PageAmongTheOthers) {
  TempFolder temp;
  const auto pages = testing_support::WriteTwoDistinctPages(temp.path());
  const std::string huge = temp.file("huge.emf");
  emfbuild::EmfBuilder(400, 300).frame({0, 0, 2'000'000'000, 2'000'000'000}).writeFile(huge);
  testing::internal::CaptureStderr();
  const auto result =
      app::WriteJpegPages({pages[0], huge, pages[1]}, temp.file("photo.jpg"), {150, 150, "test"});
  const std::string said = testing::internal::GetCapturedStderr();
  ASSERT_EQ(result.written.size(), 3u);
  EXPECT_NE(said.find(huge + ": the picture's frame gives no page size; using A4"),
            std::string::npos)
      << said;
  const auto info = pdf::ReadJpegInfo(ReadFile(temp.file("photo2.jpg")));
  EXPECT_EQ(info.width, 1240);   // 595 points at 150 dpi
  EXPECT_EQ(info.height, 1754);  // 842 points
  EXPECT_EQ(pdf::ReadJpegInfo(ReadFile(temp.file("photo3.jpg"))).width, 625);
}

// A page that fails (not a metafile) leaves nothing of the job: no page file,
// no temporary file, and the photo that was there before untouched.
TEST(JpegOutput, failingPage_leavesNoFileOfTheJob) {
  TempFolder temp;
  const auto pages = testing_support::WriteTwoDistinctPages(temp.path());
  const std::string broken = temp.file("broken.emf");
  testing_support::WriteFile(broken, std::string(200, 'x'));
  testing_support::WriteFile(temp.file("photo1.jpg"), "old photo");
  const auto before = testing_support::Listing(temp.path());
  try {
    app::WriteJpegPages({pages[0], broken, pages[1]}, temp.file("photo.jpg"), {96, 96, "test"});
    FAIL() << "a job with a broken page succeeded";
  } catch (const std::runtime_error& error) {
    const std::string message = error.what();
    EXPECT_NE(message.find(temp.file("photo2.jpg")), std::string::npos) << message;
    EXPECT_NE(message.find(broken + " is not an enhanced metafile"), std::string::npos) << message;
  }
  EXPECT_EQ(testing_support::Listing(temp.path()), before);
  EXPECT_EQ(ReadFile(temp.file("photo1.jpg")), "old photo");
}

// Every page's file stays open until all are made: a job of more pages than
// the soft limit on open files allows still succeeds, and the limit is back
// afterwards.
TEST(JpegOutput, jobOfMorePagesThanTheOpenFileLimit_succeeds) {
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
  if (saved.rlim_max != RLIM_INFINITY && saved.rlim_max < 200)
    GTEST_SKIP() << "hard limit on open files " << saved.rlim_max;
  TempFolder temp;
  const auto pages = testing_support::WriteTwoDistinctPages(temp.path());
  rlimit low = saved;
  low.rlim_cur = 24;
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
  const std::vector<std::string> many(60, pages[0]);
  std::string failure;
  size_t written = 0;
  try {
    written =
        app::WriteJpegPages(emf2pdf::WholeFilePages(many), temp.file("many.jpg"), {4, 4, "test"})
            .written.size();
  } catch (const std::exception& error) {
    failure = error.what();
  }
  rlimit after{};
  getrlimit(RLIMIT_NOFILE, &after);
  setrlimit(RLIMIT_NOFILE, &saved);
  EXPECT_EQ(failure, "");
  EXPECT_EQ(written, 60u);
  EXPECT_EQ(after.rlim_cur, 24u);
  EXPECT_TRUE(std::filesystem::exists(temp.file("many60.jpg")));
}

TEST(JpegOutput, postActions_openOnePageAndShowTheFirstOfMany) {
  app::RasterRunResult one{{"/o/a.jpg"}, {}};
  app::RasterRunResult many{{"/o/a1.jpg", "/o/a2.jpg"}, {}};
  EXPECT_EQ(app::DecidePicturePostActions(one, true, false).open, "/o/a.jpg");
  EXPECT_FALSE(app::DecidePicturePostActions(one, true, false).explore);
  EXPECT_FALSE(app::DecidePicturePostActions(many, true, false).open);
  EXPECT_EQ(app::DecidePicturePostActions(many, true, false).explore, "/o/a1.jpg");
  EXPECT_FALSE(app::DecidePicturePostActions(many, false, false).explore);
}

}  // namespace
