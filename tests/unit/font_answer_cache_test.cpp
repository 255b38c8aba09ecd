#include "platform/font_answer_cache.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_folder.h"

namespace platform {
namespace {

using testing_support::ReadFile;
using testing_support::TempFolder;
using testing_support::WriteFile;

struct Answers {
  std::vector<FontFaceEntry> arial, unknown;
  std::string first;
  bool operator==(const Answers&) const = default;
};

// Asks what a text job asks: a face with aliases, one not installed, the fallback.
Answers Ask(FontCatalog& catalog) {
  return {catalog.Faces("Arial", kAnsiCharset), catalog.Faces("No Such Face 17", kAnsiCharset),
          catalog.FirstTrueTypeFamily(kAnsiCharset)};
}

TEST(FontAnswerCache, answersFromTheFile_matchFontconfigWithoutAskingIt) {
  TempFolder folder;
  const std::string file = folder.file("answers");
  FontCatalog fontconfigOnly("");
  const Answers expected = Ask(fontconfigOnly);
  ASSERT_FALSE(expected.arial.empty());

  FontCatalog first(file);
  EXPECT_EQ(Ask(first), expected);
  EXPECT_EQ(first.Queries(), 3);
  FontCatalog second(file);
  EXPECT_EQ(Ask(second), expected);
  EXPECT_EQ(second.Queries(), 0);
}

TEST(FontAnswerCache, damagedOrForeignFile_isIgnoredAndRewritten) {
  TempFolder folder;
  const std::string file = folder.file("answers");
  FontCatalog writer(file);
  const Answers expected = Ask(writer);
  const std::string whole = ReadFile(file);
  std::string flipped = whole;
  flipped[whole.find("Liberation")] = 'X';
  std::string otherContext = whole;
  otherContext.replace(otherContext.find("HOME="), 5, "HOMX=");
  const struct {
    const char* name;
    std::string bytes;
  } kDamage[] = {{"empty", ""},
                 {"foreign", "\x89PNG\r\n\x1a\n"},
                 {"cut short", whole.substr(0, whole.size() / 2)},
                 {"one byte changed", flipped},
                 {"another context", otherContext}};
  for (const auto& damage : kDamage) {
    WriteFile(file, damage.bytes);
    FontCatalog reader(file);
    EXPECT_EQ(Ask(reader), expected) << damage.name;
    EXPECT_EQ(reader.Queries(), 3) << damage.name;
    FontCatalog again(file);
    EXPECT_EQ(Ask(again), expected) << damage.name;
    EXPECT_EQ(again.Queries(), 0) << damage.name << ": the file was not rewritten";
  }
  EXPECT_EQ(std::filesystem::directory_iterator(folder.path())->path().filename(), "answers")
      << "no temporary file stays behind";
}

TEST(FontAnswerCache, changedOrNewWatchedPath_makesTheFileStale) {
  TempFolder folder;
  const std::string file = folder.file("answers");
  const std::string fonts = folder.file("fonts");
  const std::string userConfig = folder.file("fonts.conf");
  std::filesystem::create_directory(fonts);
  const auto save = [&] {
    FontAnswerCache cache(file, "context");
    cache.AddFirstFamily(0, "Liberation Sans");
    ASSERT_TRUE(cache.Save(StampsOf({fonts, userConfig})));
  };
  const auto loads = [&] {
    FontAnswerCache cache(file, "context");
    return cache.Load() && cache.FindFirstFamily(0) != nullptr;
  };
  save();
  EXPECT_TRUE(loads());
  std::filesystem::last_write_time(
      fonts, std::filesystem::last_write_time(fonts) + std::chrono::seconds(1));
  EXPECT_FALSE(loads()) << "font folder changed";
  save();
  WriteFile(userConfig, "<fontconfig/>");
  EXPECT_FALSE(loads()) << "configuration appeared";
  save();
  EXPECT_TRUE(loads());
}

TEST(FontAnswerCache, namesWithSeparators_comeBackWhole) {
  TempFolder folder;
  const std::string file = folder.file("answers");
  const std::string name = "Odd\nsum 1\n face 2:xy \xff";
  const FontFaceEntry face{"Fam ily\n", "/fonts/a b.ttf", 3, 700, true, 87, true};
  FontAnswerCache writer(file, "context");
  writer.AddFaces(name, 238, {face});
  writer.AddFirstFamily(0, "sum 5\n");
  ASSERT_TRUE(writer.Save(StampsOf({folder.file("no fonts here")})));
  FontAnswerCache reader(file, "context");
  ASSERT_TRUE(reader.Load());
  ASSERT_NE(reader.FindFaces(name, 238), nullptr);
  EXPECT_EQ(*reader.FindFaces(name, 238), std::vector<FontFaceEntry>{face});
  EXPECT_EQ(reader.FindFaces(name, 0), nullptr);
  EXPECT_EQ(*reader.FindFirstFamily(0), "sum 5\n");
}

}  // namespace
}  // namespace platform
