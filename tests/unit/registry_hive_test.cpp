#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/registry_hive.h"
#include "support/hive_fixture.h"

namespace platform {
namespace {

using testing_support::ReadFile;
using testing_support::TempFolder;
using testing_support::WriteFile;

constexpr const char* kKey = "Software\\Quillmark\\Tallowcraft";

TEST(RegistryHive, missingFile_readsAsAnEmptyHiveAndIsCreatedWithItsFolders) {
  TempFolder temp;
  const std::string path = temp.file("config/tallowcraft/registry.reg");
  RegistryHive hive(path);
  EXPECT_FALSE(hive.KeyExists(kKey));
  EXPECT_FALSE(hive.ReadValue(kKey, "Silent"));
  hive.WriteValues(kKey,
                   {{"Silent", RegValue::Dword(1)}, {"OutputFileName", RegValue::String("a")}});
  EXPECT_EQ(ReadFile(path),
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_CURRENT_USER\\Software\\Quillmark\\Tallowcraft]\n"
            "\"Silent\"=dword:00000001\n\"OutputFileName\"=\"a\"\n");
  EXPECT_EQ(RegistryHive(path).ReadValue(kKey, "silent"), RegValue::Dword(1));
}

TEST(RegistryHive, handEditedFile_keepsItsEditsAcrossASave) {
  TempFolder temp;
  const std::string path = temp.file("registry.reg");
  RegistryHive(path).WriteValues(kKey, {{"HTMLCheckBox", RegValue::Dword(1)}});
  // Someone edits the file by hand: a comment, a new value, another type.
  std::string text = ReadFile(path);
  text += "; my printer\n\"OutputFileFormat\"=\"PDF\"\n\"Big\"=hex(b):ff,00,00,00,00,00,00,00\n";
  WriteFile(path, text);

  RegistryHive hive(path);
  EXPECT_EQ(hive.ReadValue(kKey, "OutputFileFormat")->Text(), "PDF");
  hive.WriteValues(kKey, {{"HTMLCheckBox", RegValue::Dword(0)}});
  const std::string saved = ReadFile(path);
  EXPECT_NE(saved.find("; my printer\n\"OutputFileFormat\"=\"PDF\"\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("\"HTMLCheckBox\"=dword:00000000"), std::string::npos) << saved;
  EXPECT_EQ(RegistryHive(path).ReadValue(kKey, "Big"), RegValue::Qword(0xFF));
}

TEST(RegistryHive, save_appliesOnlyItsOwnValuesOverAChangedFile) {
  TempFolder temp;
  const std::string path = temp.file("registry.reg");
  RegistryHive first(path);
  EXPECT_FALSE(first.KeyExists(kKey));  // snapshot taken: empty
  RegistryHive(path).WriteValues(kKey, {{"Other", RegValue::String("kept")}});
  first.WriteValues(kKey, {{"Mine", RegValue::Dword(7)}});
  RegistryHive reread(path);
  EXPECT_EQ(reread.ReadValue(kKey, "Other"), RegValue::String("kept"));
  EXPECT_EQ(reread.ReadValue(kKey, "Mine"), RegValue::Dword(7));
}

TEST(RegistryHive, unparsableFile_isReportedWithItsLineAndNeverOverwritten) {
  TempFolder temp;
  const std::string path = temp.file("registry.reg");
  const std::string broken =
      "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software]\n\"A\"=dword:zz\n";
  WriteFile(path, broken);
  RegistryHive hive(path);
  try {
    hive.ReadValue(kKey, "Silent");
    ADD_FAILURE() << "a broken file was read";
  } catch (const RegistryError& error) {
    EXPECT_EQ(std::string(error.what()).rfind(path + ":4: ", 0), 0u) << error.what();
  }
  EXPECT_THROW(hive.WriteValues(kKey, {{"Silent", RegValue::Dword(0)}}), RegistryError);
  EXPECT_THROW(hive.CreateKey(kKey), RegistryError);
  EXPECT_EQ(ReadFile(path), broken);
}

TEST(RegistryHive, save_leavesNoTemporaryFileAndKeepsTheFileMode) {
  TempFolder temp;
  const std::string path = temp.file("registry.reg");
  WriteFile(path, "");
  std::filesystem::permissions(path, std::filesystem::perms(0640));
  RegistryHive(path).WriteValues(kKey, {{"A", RegValue::Dword(1)}});
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(temp.path())) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(name == "registry.reg" || name == "registry.reg.lock") << name;
    ++files;
  }
  EXPECT_EQ(files, 2);
  EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0640));
}

TEST(RegistryHive, hiveThatCannotBeWritten_stillReadsButRefusesValues) {
  TempFolder temp;
  const std::string path = temp.file("registry.reg");
  const std::string text =
      "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software]\n\"A\"=dword:1\n";
  WriteFile(path, text);
  // The lock cannot be taken (this works even for root, unlike permissions).
  std::filesystem::create_directory(path + ".lock");
  RegistryHive hive(path);
  EXPECT_NO_THROW(hive.CreateKey(kKey));
  EXPECT_EQ(hive.ReadValue("Software", "A"), RegValue::Dword(1));
  EXPECT_THROW(hive.WriteValues(kKey, {{"B", RegValue::Dword(2)}}), RegistryError);
  EXPECT_EQ(ReadFile(path), text);
}

TEST(RegistryHive, symbolicLink_keepsPointingAtTheHiveAfterASave) {
  TempFolder temp;
  const std::string real = temp.file("real.reg");
  const std::string link = temp.file("link.reg");
  WriteFile(real, "");
  std::filesystem::create_symlink(real, link);
  RegistryHive(link).WriteValues(kKey, {{"A", RegValue::Dword(1)}});
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(RegistryHive(real).ReadValue(kKey, "A"), RegValue::Dword(1));
}

TEST(RegistryHive, twoProcessesSavingAtOnce_loseNeitherOnesValues) {
  TempFolder temp;
  const std::string path = temp.file("registry.reg");
  constexpr int kSaves = 40;
  pid_t children[2];
  for (int c = 0; c < 2; ++c) {
    children[c] = ::fork();
    ASSERT_GE(children[c], 0);
    if (children[c] == 0) {
      int status = 0;
      try {
        for (int i = 0; i < kSaves; ++i) {
          // A fresh hive per save, as separate jobs would open it.
          RegistryHive hive(path);
          hive.WriteValues(kKey, {{"P" + std::to_string(c) + "_" + std::to_string(i),
                                   RegValue::Dword(static_cast<uint32_t>(i))},
                                  {"Last" + std::to_string(c), RegValue::Dword(i)}});
        }
      } catch (...) {
        status = 1;
      }
      ::_exit(status);
    }
  }
  for (pid_t child : children) {
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  RegistryHive hive(path);
  for (int c = 0; c < 2; ++c) {
    EXPECT_EQ(hive.ReadValue(kKey, "Last" + std::to_string(c)), RegValue::Dword(kSaves - 1));
    for (int i = 0; i < kSaves; ++i)
      EXPECT_EQ(hive.ReadValue(kKey, "P" + std::to_string(c) + "_" + std::to_string(i)),
                RegValue::Dword(static_cast<uint32_t>(i)))
          << c << " " << i;
  }
}

TEST(RegistryHive, hivePath_followsTheEnvironment) {
  const char* savedRegistry = std::getenv("TALLOWCRAFT_REGISTRY");
  const char* savedConfig = std::getenv("XDG_CONFIG_HOME");
  const std::string registry = savedRegistry ? savedRegistry : "";
  const std::string config = savedConfig ? savedConfig : "";

  ::setenv("TALLOWCRAFT_REGISTRY", "/srv/office.reg", 1);
  EXPECT_EQ(CurrentUserHivePath(), "/srv/office.reg");
  ::unsetenv("TALLOWCRAFT_REGISTRY");
  ::setenv("XDG_CONFIG_HOME", "/cfg/", 1);
  EXPECT_EQ(CurrentUserHivePath(), "/cfg/tallowcraft/registry.reg");
  ::setenv("XDG_CONFIG_HOME", "relative", 1);  // not absolute: ignored
  EXPECT_NE(CurrentUserHivePath().find("/.config/tallowcraft/registry.reg"), std::string::npos);

  savedRegistry ? ::setenv("TALLOWCRAFT_REGISTRY", registry.c_str(), 1)
                : ::unsetenv("TALLOWCRAFT_REGISTRY");
  savedConfig ? ::setenv("XDG_CONFIG_HOME", config.c_str(), 1) : ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace platform
