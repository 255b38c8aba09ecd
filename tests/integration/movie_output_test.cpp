// Movies written as their slides are made: the header's length and frame
// count, the tags to the end, the slide limit refused before any page is
// drawn, bounded memory, the previous file kept on failure, and settings of
// the wrong type refused like the PDF options' ones.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <set>

#include "pdf/output_file.h"
#include "presentation/presentation.h"
#include "presentation/swf_movie.h"
#include "support/emf_builder.h"
#include "support/silent_job.h"

namespace {

using testing_support::Listing;
using testing_support::ReadFile;
using testing_support::SilentJob;
using testing_support::TempFolder;
using testing_support::WriteFile;

namespace fs = std::filesystem;

struct SwfTag {
  uint16_t code = 0;
  std::string body;
};

// A movie read back: the header's fields and the tags up to End.
struct SwfFile {
  std::string signature;
  uint32_t length = 0;
  int stageWidth = 0;  // pixels
  int stageHeight = 0;
  uint16_t frames = 0;
  std::vector<SwfTag> tags;
  bool endsWithEnd = false;  // the End tag is the file's last byte
};

uint32_t Little(const std::string& bytes, size_t at, int size) {
  uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes.at(at + i));
  return value;
}

// Unsigned fields of a RECT, most significant bit first.
uint32_t RectField(const std::string& bytes, size_t start, int bitOffset, int count) {
  uint32_t value = 0;
  for (int i = 0; i < count; ++i) {
    const int bit = bitOffset + i;
    value = value << 1 | (static_cast<uint8_t>(bytes.at(start + bit / 8)) >> (7 - bit % 8) & 1);
  }
  return value;
}

SwfFile ParseSwf(const std::string& bytes) {
  SwfFile swf;
  swf.signature = bytes.substr(0, 3);
  swf.length = Little(bytes, 4, 4);
  const int n = static_cast<uint8_t>(bytes.at(8)) >> 3;
  swf.stageWidth = static_cast<int>(RectField(bytes, 8, 5 + n, n)) / 20;
  swf.stageHeight = static_cast<int>(RectField(bytes, 8, 5 + 3 * n, n)) / 20;
  size_t at = 8 + (5 + 4 * n + 7) / 8 + 2;
  swf.frames = static_cast<uint16_t>(Little(bytes, at, 2));
  at += 2;
  while (at + 2 <= bytes.size()) {
    const uint32_t head = Little(bytes, at, 2);
    at += 2;
    size_t length = head & 0x3F;
    if (length == 0x3F) {
      length = Little(bytes, at, 4);
      at += 4;
    }
    if (at + length > bytes.size()) break;
    swf.tags.push_back({static_cast<uint16_t>(head >> 6), bytes.substr(at, length)});
    at += length;
    if (head >> 6 == presentation::kEnd) {
      swf.endsWithEnd = at == bytes.size();
      break;
    }
  }
  return swf;
}

int Count(const SwfFile& swf, uint16_t code) {
  int count = 0;
  for (const SwfTag& tag : swf.tags) count += tag.code == code;
  return count;
}

// Every character is defined once.
bool IdsAreUnique(const SwfFile& swf) {
  std::set<uint32_t> ids;
  int definitions = 0;
  for (const SwfTag& tag : swf.tags) {
    switch (tag.code) {
      case presentation::kDefineShape:
      case presentation::kDefineBitsJpeg2:
      case presentation::kDefineButton2:
      case presentation::kDefineBitsLossless2:
        ids.insert(Little(tag.body, 0, 2));
        ++definitions;
    }
  }
  return static_cast<int>(ids.size()) == definitions;
}

std::string WritePage(const TempFolder& folder, const std::string& name, int width, int height) {
  emfbuild::EmfBuilder page(width, height);
  page.createBrushIndirect(1, 0, emfbuild::Rgb(200, 40, 40)).selectObject(1);
  page.ellipse({2, 2, width - 2, height - 2});
  page.writeFile(folder.file(name));
  return folder.file(name);
}

TEST(MovieOutput, streamedMovie_headerHoldsItsLengthAndFramesAndTagsReachTheEnd) {
  TempFolder folder;
  const std::string wide = WritePage(folder, "wide.emf", 300, 200);
  const std::string tall = WritePage(folder, "tall.emf", 100, 300);
  const std::string buttons =
      std::string(TALLOWCRAFT_BIN).substr(0, std::string(TALLOWCRAFT_BIN).rfind('/')) +
      "/swfbuttons";
  for (const bool lossless : {true, false}) {
    presentation::TPresentation component;
    component.Options().SetNavigationTemplatesFolder(buttons);
    component.Options().Movie().losslessSlides = lossless;
    for (const std::string& page : {wide, tall, wide, tall})
      component.AddSlideFromFileName(page, 0);
    std::string name = folder.file("movie.swf");
    component.SaveToFile(name);

    const std::string bytes = ReadFile(name);
    const SwfFile swf = ParseSwf(bytes);
    EXPECT_EQ(swf.signature, "FWS");
    EXPECT_EQ(swf.length, bytes.size());
    EXPECT_EQ(swf.frames, 4);
    EXPECT_EQ(swf.stageWidth, 300);  // the first page at 96 dpi
    EXPECT_EQ(swf.stageHeight, 200);
    EXPECT_TRUE(swf.endsWithEnd);
    EXPECT_EQ(Count(swf, presentation::kShowFrame), 4);
    EXPECT_EQ(
        Count(swf, lossless ? presentation::kDefineBitsLossless2 : presentation::kDefineBitsJpeg2),
        lossless ? 4 + 4 : 4);  // the slides, and the four buttons' pictures
    EXPECT_TRUE(IdsAreUnique(swf));
  }
}

// A file written without commit stays out of sight; a failure in the middle
// of a movie keeps the previous file and leaves no temporary file.
TEST(MovieOutput, uncommittedOrFailedMovies_keepThePreviousFile) {
  TempFolder folder;
  fs::create_directory(folder.file("out"));
  const std::string movie = folder.file("out/movie.swf");
  WriteFile(movie, "previous");
  const std::string page = WritePage(folder, "page.emf", 120, 80);
  WriteFile(folder.file("broken.emf"), "not a metafile");

  presentation::TPresentation component;
  component.AddSlideFromFileName(page, 0);
  {
    pdf::OutputFile file(movie);
    component.WriteMovie(file);
    EXPECT_GT(file.position(), 100u);
    EXPECT_THROW(file.overwrite(file.position() - 1, "xy"), std::runtime_error);
  }
  EXPECT_TRUE(ReadFile(movie) == "previous");
  {
    pdf::OutputFile file(movie);
    component.WriteMovie(file);
    file.commit();
  }
  EXPECT_EQ(ParseSwf(ReadFile(movie)).length, ReadFile(movie).size());

  WriteFile(movie, "previous");
  component.AddSlideFromFileName(folder.file("broken.emf"), 0);
  std::string name = movie;
  EXPECT_THROW(component.SaveToFile(name), std::runtime_error);
  EXPECT_TRUE(ReadFile(movie) == "previous");
  EXPECT_EQ(Listing(folder.file("out")), std::vector<std::string>{"movie.swf"});
}

TEST(MovieOutput, oneSlideTooMany_isRefusedBeforeAnyPageIsDrawn) {
  TempFolder folder;
  const std::string page = WritePage(folder, "page.emf", 40, 30);
  presentation::TPresentation component;
  for (int i = 0; i <= presentation::kMaxSlides; ++i) component.AddSlideFromFileName(page, 0);
  std::string name = folder.file("movie.swf");
  const auto start = std::chrono::steady_clock::now();
  try {
    component.SaveToFile(name);
    ADD_FAILURE() << "the movie was made";
  } catch (const std::runtime_error& error) {
    const std::string message = error.what();
    EXPECT_NE(message.find("Too many slides for one movie"), std::string::npos) << message;
    EXPECT_NE(message.find(std::to_string(presentation::kMaxSlides + 1)), std::string::npos);
    EXPECT_NE(message.find(std::to_string(presentation::kMaxSlides)), std::string::npos);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_FALSE(fs::exists(name));
}

// The limit is exact: a movie of that many slides has all of them, each
// character with an id of its own beside the navigation's.
TEST(MovieOutput, aMovieOfTheMostSlides_keepsEveryIdApart) {
  presentation::StringSwfSink sink;
  presentation::SwfOptions options;
  options.losslessSlides = false;  // JPEG slides are the quicker ones to encode
  presentation::SwfMovieWriter movie(sink, 4, 4, presentation::kMaxSlides, options, {});
  const platform::TBitmap slide(1, 1, platform::TPixelFormat::pf24bit);
  for (int i = 0; i < presentation::kMaxSlides; ++i) movie.AddSlide(slide);
  movie.Finish();
  const SwfFile swf = ParseSwf(sink.Bytes());
  EXPECT_EQ(swf.frames, presentation::kMaxSlides);
  EXPECT_EQ(swf.length, sink.Bytes().size());
  EXPECT_EQ(Count(swf, presentation::kShowFrame), presentation::kMaxSlides);
  EXPECT_TRUE(IdsAreUnique(swf));
}

// Five slides of 1500 x 1500 noise (close to 40 MB of movie) are made in an
// address space that a movie held in memory, and copied, would exceed.
TEST(MovieOutput, largeMovies_areMadeInMemoryOfOneSlide) {
  SilentJob job;
  constexpr int kSide = 1500;
  std::mt19937 random(11);
  std::vector<uint32_t> noise(size_t{kSide} * kSide);
  for (uint32_t& color : noise) color = random() & 0xFFFFFF;
  emfbuild::EmfBuilder page(240, 240);  // 2.5 inches: 1500 pixels at 600 dpi
  page.stretchDIBits({0, 0, 239, 239}, {0, 0}, 240, 240, {0, 0}, kSide, kSide, 0x00CC0020,
                     emfbuild::Dib24(kSide, kSide, noise));
  const std::string pageFile = job.folder().file("noise.emf");
  page.writeFile(pageFile);
  job.WritePages(std::vector<std::string>(5, pageFile));
  job.WriteSettings(std::string(SilentJob::kMainKeyLine) +
                    "\"Silent\"=dword:00000001\n\"OutputFileName\"=\"movie.swf\"\n\n"
                    "[HKEY_CURRENT_USER\\Software\\Quillmark\\Tallowcraft\\SWFFormatOptions]\n"
                    "\"Resolution\"=dword:00000258\n");
  const auto run = job.RunUnder({"prlimit", "--as=" + std::to_string(256 << 20)});
  ASSERT_EQ(run.exitStatus, 0) << run.standardError;
  const std::string bytes = ReadFile(job.documents() + "/movie.swf");
  EXPECT_GT(bytes.size(), 35u << 20);
  const SwfFile swf = ParseSwf(bytes);
  EXPECT_EQ(swf.length, bytes.size());
  EXPECT_EQ(swf.frames, 5);
  EXPECT_EQ(swf.stageWidth, kSide);
  EXPECT_TRUE(swf.endsWithEnd);
}

TEST(MovieOutput, settingOfTheWrongType_endsASilentRunWithItsName) {
  SilentJob job;
  WriteFile(job.documents() + "/movie.swf", "previous");
  job.WriteSettings(std::string(SilentJob::kMainKeyLine) +
                    "\"Silent\"=dword:00000001\n\"OutputFileName\"=\"movie.swf\"\n\n"
                    "[HKEY_CURRENT_USER\\Software\\Quillmark\\Tallowcraft\\SWFFormatOptions]\n"
                    "\"Resolution\"=\"96\"\n");
  const auto run = job.Run();
  EXPECT_EQ(run.exitStatus, 2);
  EXPECT_NE(run.standardError.find("settings value \"Resolution\" in HKEY_CURRENT_USER\\Software"
                                   "\\Quillmark\\Tallowcraft\\SWFFormatOptions has the wrong "
                                   "type: string where a 32-bit number (dword:) is expected"),
            std::string::npos)
      << run.standardError;
  EXPECT_TRUE(ReadFile(job.documents() + "/movie.swf") == "previous");
  EXPECT_EQ(Listing(job.documents()), std::vector<std::string>{"movie.swf"});
}

}  // namespace
