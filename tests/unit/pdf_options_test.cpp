#include "app/pdf_options.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "app/pdf_conversion.h"
#include "app/settings_store.h"
#include "emf2pdf/emf2pdf_converter.h"
#include "pdf/saslprep.h"
#include "platform/registry_hive.h"
#include "support/hive_fixture.h"
#include "support/pdf_option_values.h"
#include "support/temp_folder.h"

namespace app {
namespace {

using platform::RegValue;
using testing_support::MemoryRegistry;
using testing_support::OptionDifferences;

TEST(PdfOptions, missingKey_readsAsTheTableDefaultsAndCreatesNothing) {
  MemoryRegistry store;
  EXPECT_EQ(OptionDifferences(ReadPdfOptions(store), PdfOptions{}), std::vector<std::string>{});
  EXPECT_EQ(OptionDifferences(LoadPdfOptions(store), PdfOptions{}), std::vector<std::string>{});
  EXPECT_TRUE(store.createdKeys.empty());
  const PdfOptions defaults;
  EXPECT_EQ(defaults.Permissions(), 0xFF);
  EXPECT_EQ(defaults.pageSize, 2);
  EXPECT_EQ(defaults.leftMargin, 5);
  EXPECT_EQ(defaults.compressionType, 1);
  EXPECT_EQ(defaults.fontCharset, 1);
  EXPECT_FALSE(defaults.protectionEnabled);
}

// Saved to a settings file and read back, by the silent run and the dialog.
TEST(PdfOptions, everyFieldRoundTripsThroughTheSettingsFile) {
  testing_support::TempFolder folder;
  const PdfOptions saved = testing_support::OptionsOffTheDefaults();
  {
    platform::RegistryHive writer(folder.file("r.reg"));
    SavePdfOptions(writer, saved);
  }
  platform::RegistryHive store(folder.file("r.reg"));
  EXPECT_EQ(OptionDifferences(LoadPdfOptions(store), saved), std::vector<std::string>{});
  // The silent run refuses PDF/A with protection: each is read without the other.
  for (const bool pdfa : {false, true}) {
    PdfOptions alone = saved;
    if (pdfa)
      alone.protectionEnabled = false;
    else
      alone.pdfaCompliance = 0;
    testing_support::TempFolder other;
    platform::RegistryHive hive(other.file("r.reg"));
    SavePdfOptions(hive, alone);
    EXPECT_EQ(OptionDifferences(ReadPdfOptions(hive), alone), std::vector<std::string>{});
  }
  // Stored as the Windows program stores it: Windows-1252 bytes, scrambled.
  EXPECT_EQ(store.ReadValue(kPdfOptionsKey, "UserPassword")->Text(),
            ScramblePassword(kPasswordKey, "caf\xE9 \x80 UserPassword"));
}

TEST(PdfOptions, passwordsAreStoredOnlyWhileTheirFlagIsOn) {
  MemoryRegistry store;
  PdfOptions options;
  options.masterPassword = "never stored";
  options.userPasswordEnabled = true;
  options.userPassword = "kept ";
  SavePdfOptions(store, options);
  EXPECT_FALSE(store.ReadValue(kPdfOptionsKey, "MasterPassword").has_value());
  EXPECT_EQ(LoadPdfOptions(store).userPassword, "kept ");
}

TEST(PdfOptions, wrongTypes_areRefusedByTheSilentRunAndDefaultsInTheDialog) {
  for (const PdfOptionField& field : PdfOptionFields()) {
    MemoryRegistry store;
    // A password is read only while it is on.
    if (field.enabledBy != nullptr) store.Set(kPdfOptionsKey, field.enabledBy, RegValue::Dword(1));
    store.Set(kPdfOptionsKey, field.name, testing_support::WrongTypeFor(field));
    const bool number = store.ReadValue(kPdfOptionsKey, field.name)->type == platform::REG_SZ;
    try {
      ReadPdfOptions(store);
      ADD_FAILURE() << field.name << " of the wrong type was read";
    } catch (const platform::RegistryError& error) {
      EXPECT_EQ(
          std::string(error.what()),
          std::string("settings value \"") + field.name +
              "\" in HKEY_CURRENT_USER\\Software\\Quillmark\\Tallowcraft\\PDFFormatOptions "
              "has the wrong type: " +
              (number ? "string where a 32-bit number (dword:)" : "32-bit number where a string") +
              " is expected");
    }
    PdfOptions expected;
    if (field.enabledBy != nullptr)
      expected.*std::get<bool PdfOptions::*>(PdfOptionFieldNamed(field.enabledBy).member) = true;
    EXPECT_EQ(OptionDifferences(LoadPdfOptions(store), expected), std::vector<std::string>{})
        << field.name;
  }
}

TEST(PdfOptions, numbersOutsideTheAllowedValues_readAsTheDefault) {
  MemoryRegistry store;
  for (const auto& [name, value] :
       std::vector<std::pair<const char*, uint32_t>>{{"PageSize", 40},
                                                     {"PDFVersion", 5},
                                                     {"PageOrientation", 0xFFFFFFFF},
                                                     {"CompressionType", 256},
                                                     {"ProtectionKeyLength", 4},
                                                     {"LeftMargin", 10000},
                                                     {"TopMargin", 0xFFFFFFFB},
                                                     {"FontCharset", 200}})
    store.Set(kPdfOptionsKey, name, RegValue::Dword(value));
  EXPECT_EQ(OptionDifferences(ReadPdfOptions(store), PdfOptions{}), std::vector<std::string>{});
  EXPECT_EQ(OptionDifferences(LoadPdfOptions(store), PdfOptions{}), std::vector<std::string>{});

  // Options made in code take the defaults at the converter.
  PdfOptions odd;
  odd.pageSize = 40;
  odd.pdfVersion = 9;
  emf2pdf::TEMF2PDFConverter converter;
  ApplyPdfOptions(odd, std::nullopt, converter);
  EXPECT_EQ(converter.PageSize(), pdf::psA4);
  EXPECT_EQ(converter.Version(), pdf::v13);
}

TEST(PdfOptions, permissionFlags_mapToTheirBits) {
  int bit = 0;
  for (const PdfOptionField& field : PdfOptionFields()) {
    if (std::string(field.name).rfind("Allow", 0) != 0) continue;
    MemoryRegistry store;
    store.Set(kPdfOptionsKey, field.name, RegValue::Dword(0));
    EXPECT_EQ(ReadPdfOptions(store).Permissions(), 0xFF & ~(1 << bit)) << field.name;
    ++bit;
  }
  EXPECT_EQ(bit, 8);
}

TEST(PdfOptions, silentPasswords_followTheEnabledPlainScrambledOrder) {
  const struct {
    const char* what;
    std::vector<std::pair<std::string, RegValue>> values;
    bool set;
    std::string password;
  } kCases[] = {
      {"not enabled", {{"SilentUserPassword", RegValue::String("p")}}, false, ""},
      {"enabled off",
       {{"UserPasswordEnabled", RegValue::Dword(0)}, {"SilentUserPassword", RegValue::String("p")}},
       false,
       ""},
      {"plain wins",
       {{"UserPasswordEnabled", RegValue::Dword(1)},
        {"SilentUserPassword", RegValue::String("plain")},
        {"UserPassword", RegValue::String(ScramblePassword(kPasswordKey, "scrambled"))}},
       true,
       "plain"},
      {"scrambled",
       {{"UserPasswordEnabled", RegValue::Dword(1)},
        {"UserPassword", RegValue::String(ScramblePassword(kPasswordKey, "scrambled"))}},
       true,
       "scrambled"},
      {"enabled alone", {{"UserPasswordEnabled", RegValue::Dword(1)}}, true, ""},
      {"empty plain wins",
       {{"UserPasswordEnabled", RegValue::Dword(1)},
        {"SilentUserPassword", RegValue::String("")},
        {"UserPassword", RegValue::String("3316")}},
       true,
       ""},
  };
  for (const auto& c : kCases) {
    for (const bool owner : {false, true}) {
      MemoryRegistry store;
      for (auto [name, value] : c.values) {
        if (owner) name.replace(name.find("User"), 4, "Master");
        store.Set(kPdfOptionsKey, name, value);
      }
      emf2pdf::TEMF2PDFConverter converter;
      ApplyPdfOptions(ReadPdfOptions(store), std::nullopt, converter);
      EXPECT_EQ(owner ? converter.OwnerPassword() : converter.UserPassword(), c.password) << c.what;
      EXPECT_EQ(converter.UserPassword().empty(), owner || c.password.empty()) << c.what;
    }
  }
}

TEST(PdfOptions, passwordsAndDocumentInformation_becomeWindows1252Bytes) {
  MemoryRegistry store;
  store.Set(kPdfOptionsKey, "UserPasswordEnabled", RegValue::Dword(1));
  store.Set(kPdfOptionsKey, "SilentUserPassword", RegValue::String("caf\xC3\xA9 \xE2\x82\xAC"));
  store.Set(kPdfOptionsKey, "MasterPasswordEnabled", RegValue::Dword(1));
  // Scrambled by the Windows program: already Windows-1252 bytes.
  store.Set(kPdfOptionsKey, "MasterPassword",
            RegValue::String(ScramblePassword(kPasswordKey, "\xE9t\xE9")));
  store.Set(kPdfOptionsKey, "Title", RegValue::String("Caf\xC3\xA9 \xE2\x82\xAC \xD0\x96"));
  emf2pdf::TEMF2PDFConverter converter;
  ApplyPdfOptions(ReadPdfOptions(store), std::nullopt, converter);
  EXPECT_EQ(converter.DocumentInfo().Title, "Caf\xE9 \x80 ?");
  EXPECT_EQ(converter.UserPassword(), "caf\xE9 \x80");
  EXPECT_EQ(converter.OwnerPassword(), "\xE9t\xE9");
  // The dialog shows the scrambled Windows-1252 bytes as text.
  EXPECT_EQ(LoadPdfOptions(store).masterPassword, "\xC3\xA9t\xC3\xA9");
}

TEST(PdfOptions, passwordOutsideWindows1252_isRefusedNamingTheValue) {
  MemoryRegistry store;
  store.Set(kPdfOptionsKey, "UserPasswordEnabled", RegValue::Dword(1));
  store.Set(kPdfOptionsKey, "SilentUserPassword", RegValue::String("\xD0\xBF\xD0\xB0\xD1\x80"));
  try {
    ReadPdfOptions(store);
    ADD_FAILURE() << "a Cyrillic password was accepted";
  } catch (const platform::RegistryError& error) {
    EXPECT_NE(std::string(error.what()).find("\"SilentUserPassword\""), std::string::npos)
        << error.what();
  }
}

// 256-bit AES takes any password SASLprep accepts, as UTF-8; other key
// lengths keep the Windows-1252 rule, and a prohibited character is refused
// naming the value.
TEST(PdfOptions, aes256Passwords_areUnicodeAfterSaslPrep) {
  const std::string russian = "\xD0\xBF\xD0\xB0\xD1\x80";
  EXPECT_EQ(PdfPasswordFor(russian, kAes256KeyLength), russian);
  EXPECT_EQ(PdfPasswordFor(russian, 2), std::nullopt);
  EXPECT_EQ(PdfPasswordFor("caf\xC3\xA9", 2), "caf\xE9");
  EXPECT_EQ(PdfPasswordFor("caf\xE9", kAes256KeyLength), "caf\xC3\xA9");  // stored Windows-1252

  MemoryRegistry store;
  store.Set(kPdfOptionsKey, "ProtectionEnabled", RegValue::Dword(1));
  store.Set(kPdfOptionsKey, "ProtectionKeyLength", RegValue::Dword(3));
  store.Set(kPdfOptionsKey, "UserPasswordEnabled", RegValue::Dword(1));
  store.Set(kPdfOptionsKey, "SilentUserPassword", RegValue::String(russian));
  emf2pdf::TEMF2PDFConverter converter;
  ApplyPdfOptions(ReadPdfOptions(store), std::nullopt, converter);
  EXPECT_EQ(converter.UserPassword(), russian);
  EXPECT_EQ(converter.ProtectionKeyLength(), pdf::klAES256);
  EXPECT_EQ(converter.Version(), pdf::v17);
  // The random owner password is one SASLprep keeps.
  EXPECT_TRUE(pdf::SaslPrepPassword(converter.OwnerPassword()).ok);

  // Saved and read back as the same text.
  PdfOptions options = ReadPdfOptions(store);
  SavePdfOptions(store, options);
  EXPECT_EQ(LoadPdfOptions(store).userPassword, russian);

  store.Set(kPdfOptionsKey, "SilentUserPassword", RegValue::String("bell\x07"));
  try {
    ReadPdfOptions(store);
    ADD_FAILURE() << "a password with a control character was accepted";
  } catch (const platform::RegistryError& error) {
    EXPECT_NE(std::string(error.what()).find("\"SilentUserPassword\""), std::string::npos);
    EXPECT_NE(std::string(error.what()).find("cannot be used with 256-bit AES"), std::string::npos)
        << error.what();
  }
}

// The README's table of PDF options gives every stored value with the
// table's default.
TEST(PdfOptions, readmeTable_listsEveryFieldWithItsDefault) {
  std::ifstream file(std::string(TALLOWCRAFT_SOURCE_DIR) + "/README.md");
  std::stringstream text;
  text << file.rdbuf();
  std::map<std::string, std::string> documented;
  const std::regex row(R"(^\| (.*?) \| (.*?) \| .*\|$)");
  const std::regex name("`(\\w+)`");
  const std::string readme = text.str();
  const size_t start = readme.find("\nThe PDF options ");
  ASSERT_NE(start, std::string::npos);
  std::istringstream lines(readme.substr(start + 1));
  std::string line;
  while (std::getline(lines, line) && line.rfind("|", 0) != 0) continue;
  for (; !line.empty() && line[0] == '|'; std::getline(lines, line)) {
    std::smatch cells;
    if (!std::regex_match(line, cells, row)) continue;
    const std::string names = cells[1];
    for (std::sregex_iterator it(names.begin(), names.end(), name), end; it != end; ++it)
      documented[(*it)[1]] = cells[2];
  }
  for (const PdfOptionField& field : PdfOptionFields()) {
    const bool text = field.type == PdfOptionType::Text || field.type == PdfOptionType::Password;
    const std::string expected = text ? "empty" : std::to_string(field.fallback);
    ASSERT_TRUE(documented.count(field.name)) << field.name << " is missing from README.md";
    EXPECT_EQ(documented[field.name], expected) << field.name;
  }
}

}  // namespace
}  // namespace app
