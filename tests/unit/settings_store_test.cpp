#include <gtest/gtest.h>

#include <cstdlib>

#include "app/registry_readers.h"
#include "app/settings_store.h"
#include "support/hive_fixture.h"

namespace app {
namespace {

using platform::RegValue;
using testing_support::MemoryRegistry;
using testing_support::TempFolder;

// Points the documents folder at a temporary folder for one test.
class DocumentsFolder {
 public:
  explicit DocumentsFolder(const std::string& path) {
    const char* saved = std::getenv("XDG_DOCUMENTS_DIR");
    had_ = saved != nullptr;
    if (had_) saved_ = saved;
    ::setenv("XDG_DOCUMENTS_DIR", path.c_str(), 1);
  }
  ~DocumentsFolder() {
    had_ ? ::setenv("XDG_DOCUMENTS_DIR", saved_.c_str(), 1) : ::unsetenv("XDG_DOCUMENTS_DIR");
  }

 private:
  bool had_ = false;
  std::string saved_;
};

TEST(ScramblePassword, matchesTheXorHexRuleAndUnscramblesBack) {
  const struct {
    const char* key;
    std::string plain;
    const char* scrambled;
  } kCases[] = {
      {"Rt4nQ9-e", "abc", "331657"},
      {"Rt4nQ9-e", "", ""},
      {"Rt4nQ9-e", "abcdefghij", "3316570a345f4a0d3b1e"},
      {"", "AZ", "415a"},
      {"Rt4nQ9-e", std::string("\xE9\x00", 2), "bb74"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(ScramblePassword(c.key, c.plain), c.scrambled) << c.scrambled;
    EXPECT_EQ(UnscramblePassword(c.key, c.scrambled), c.plain) << c.scrambled;
  }
}

TEST(UnscramblePassword, takesBadPairsAsSpaceAndDropsAnOddLastCharacter) {
  EXPECT_EQ(UnscramblePassword(kPasswordKey, "zz"), std::string(1, static_cast<char>(32 ^ 'R')));
  EXPECT_EQ(UnscramblePassword("", "4G41"), " A");
  EXPECT_EQ(UnscramblePassword(kPasswordKey, "3316575"), "abc");
  EXPECT_EQ(UnscramblePassword(kPasswordKey, "33165 "),
            std::string("ab") + static_cast<char>(32 ^ '4'));
  EXPECT_EQ(UnscramblePassword(kPasswordKey, "3316"), "ab");
  EXPECT_EQ(UnscramblePassword("", "4A4a"), "JJ");
}

TEST(RegistryReader, tolerant_readsIntegersFromEveryFormItKnowsAndDefaultsOtherwise) {
  const struct {
    const char* what;
    RegValue value;
    int64_t expected;
  } kCases[] = {
      {"dword", RegValue::Dword(7), 7},
      {"negative dword", RegValue::Dword(0xFFFFFFFF), -1},
      {"qword", RegValue::Qword(0x100000000ull), 0x100000000ll},
      {"binary of 2 bytes", RegValue::Binary("\x01\x02"), 0x0201},
      {"binary of 9 bytes", RegValue::Binary(std::string(9, '\1')), 99},
      {"decimal string", RegValue::String(" -12 "), -12},
      {"decimal expandable string", RegValue::ExpandString("5"), 5},
      {"word string", RegValue::String("yes"), 99},
      {"empty string", RegValue::String(""), 99},
      {"short dword", RegValue{platform::REG_DWORD, "\1"}, 99},
      {"multi-string", RegValue{platform::REG_MULTI_SZ, std::string("1\0\0\0", 4)}, 99},
  };
  for (const auto& c : kCases) {
    MemoryRegistry store;
    store.Set(kMainKey, "N", c.value);
    EXPECT_EQ(RegistryReader(store, kMainKey, Strictness::Tolerant).ReadInteger("N", 99),
              c.expected)
        << c.what;
  }
}

TEST(RegistryReader, tolerant_readsStringsFromStringsAndBinaryAndDefaultsOtherwise) {
  MemoryRegistry store;
  store.Set(kMainKey, "S", RegValue::String("a.pdf"));
  store.Set(kMainKey, "E", RegValue::ExpandString("%HOME%"));
  store.Set(kMainKey, "B", RegValue::Binary(std::string("bin\0tail", 8)));
  store.Set(kMainKey, "D", RegValue::Dword(1));
  const RegistryReader reader(store, kMainKey, Strictness::Tolerant);
  EXPECT_EQ(reader.ReadString("S", "x"), "a.pdf");
  EXPECT_EQ(reader.ReadString("E", "x"), "%HOME%");
  EXPECT_EQ(reader.ReadString("B", "x"), "bin");
  EXPECT_EQ(reader.ReadString("D", "x"), "x");
  EXPECT_EQ(reader.ReadString("Missing", "x"), "x");
  store.failReads = true;
  EXPECT_EQ(reader.ReadString("S", "x"), "x");
  EXPECT_TRUE(reader.ReadBool("S", true));
}

TEST(RegistryReader, strict_createsNothingAndRefusesWrongTypesNamingTheValue) {
  MemoryRegistry store;
  const std::string key = kPdfOptionsKey;
  RegistryReader reader(store, key, Strictness::Strict);
  EXPECT_TRUE(store.createdKeys.empty());
  EXPECT_EQ(reader.ReadInteger("PageSize", 2), 2);
  store.Set(key, "PageSize", RegValue::String("3"));
  store.Set(key, "Title", RegValue::Dword(3));
  store.Set(key, "Big", RegValue::Qword(3));
  store.Set(key, "Sub", RegValue::ExpandString("%X%"));
  store.Set(key, "Neg", RegValue::Dword(0xFFFFFFF6));
  try {
    reader.ReadInteger("PageSize", 2);
    ADD_FAILURE() << "a string was read as a number";
  } catch (const platform::RegistryError& error) {
    EXPECT_NE(std::string(error.what()).find("\"PageSize\""), std::string::npos) << error.what();
    EXPECT_NE(std::string(error.what()).find("PDFFormatOptions"), std::string::npos);
  }
  EXPECT_THROW(reader.ReadString("Title", ""), platform::RegistryError);
  EXPECT_THROW(reader.ReadBool("Big", false), platform::RegistryError);
  EXPECT_EQ(reader.ReadString("Sub", ""), "%X%");
  EXPECT_EQ(reader.ReadInteger("Neg", 0), -10);
}

TEST(LoadRunSettings, emptyHive_givesDialogModeWithEveryDefault) {
  TempFolder documents;
  DocumentsFolder guard(documents.path());
  MemoryRegistry store;
  const RunSettings settings = LoadRunSettings(store);
  EXPECT_TRUE(settings.htmlCheckBox);
  EXPECT_TRUE(settings.openFileCheckBox);
  EXPECT_TRUE(settings.exploreFileCheckBox);
  EXPECT_FALSE(settings.silent);
  EXPECT_EQ(settings.outputFileName, "Printer.swf");
  EXPECT_EQ(settings.fileSavePath, documents.path() + "/");
  EXPECT_EQ(ReadDefaultFilterIndex(store), 0);
}

TEST(LoadRunSettings, readsTheSilentValuesOnlyInSilentMode) {
  MemoryRegistry store;
  store.Set(kMainKey, "OutputFileName", RegValue::String("a.pdf"));
  store.Set(kMainKey, "OutputFileFormat", RegValue::String("PDF"));
  store.Set(kMainKey, "ControllerWindowHandle", RegValue::String("4711"));
  store.Set(kMainKey, "HTMLCheckBox", RegValue::Dword(0));
  EXPECT_EQ(LoadRunSettings(store).outputFileName, "Printer.swf");
  EXPECT_FALSE(LoadRunSettings(store).htmlCheckBox);

  store.Set(kMainKey, "Silent", RegValue::String("1"));
  const RunSettings settings = LoadRunSettings(store);
  EXPECT_TRUE(settings.silent);
  EXPECT_EQ(settings.outputFileName, "a.pdf");
  EXPECT_EQ(settings.outputFileFormat, "PDF");
  EXPECT_EQ(settings.controllerWindowHandle, "4711");
}

TEST(SaveFolder, keepsAnExistingFolderAndFallsBackOtherwise) {
  TempFolder documents;
  TempFolder stored;
  DocumentsFolder guard(documents.path());
  EXPECT_EQ(SaveFolder(stored.path() + "/"), stored.path() + "/");
  EXPECT_EQ(SaveFolder(stored.path()), stored.path());  // used unchanged
  EXPECT_EQ(SaveFolder(stored.path() + "/gone/"), documents.path() + "/");
  EXPECT_EQ(SaveFolder(""), documents.path() + "/");
}

TEST(SaveRunSettings, writesTheThreeFlagsAndTheOutputFolderInOrder) {
  MemoryRegistry store;
  RunSettings settings;
  settings.htmlCheckBox = false;
  SaveRunSettings(store, settings, "/home/u/out/report.pdf");
  EXPECT_EQ(store.writeLog,
            (std::vector<std::string>{std::string(kMainKey) + "\\OpenFileCheckBox",
                                      std::string(kMainKey) + "\\HTMLCheckBox",
                                      std::string(kMainKey) + "\\ExploreFileCheckBox",
                                      std::string(kMainKey) + "\\FileSavePath"}));
  EXPECT_EQ(store.ReadValue(kMainKey, "HTMLCheckBox"), RegValue::Dword(0));
  EXPECT_EQ(store.ReadValue(kMainKey, "OpenFileCheckBox"), RegValue::Dword(1));
  EXPECT_EQ(store.ReadValue(kMainKey, "FileSavePath"), RegValue::String("/home/u/out/"));
  SaveRunSettings(store, settings, "");  // a cancelled dialog
  EXPECT_EQ(store.ReadValue(kMainKey, "FileSavePath"), RegValue::String(""));

  WriteDefaultFilterIndex(store, 3);
  EXPECT_EQ(ReadDefaultFilterIndex(store), 3);
  store.Set(kMainKey, "DefaultFilterIndex", RegValue::String("3"));
  EXPECT_THROW(ReadDefaultFilterIndex(store), platform::RegistryError);
}

}  // namespace
}  // namespace app
