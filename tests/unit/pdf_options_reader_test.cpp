#include <gtest/gtest.h>

#include "app/pdf_conversion.h"
#include "app/pdf_options_reader.h"
#include "app/settings_store.h"
#include "emf2pdf/emf2pdf_converter.h"
#include "support/hive_fixture.h"

namespace app {
namespace {

using platform::RegValue;
using testing_support::MemoryRegistry;

TEST(ReadPdfFormatOptions, missingKey_givesTheTableDefaultsAndCreatesNothing) {
  MemoryRegistry store;
  const PdfFormatOptions options = ReadPdfFormatOptions(store);
  EXPECT_TRUE(store.createdKeys.empty());
  EXPECT_EQ(options.protectionOptions, 0xFF);
  EXPECT_EQ(options.leftMargin, 5);
  EXPECT_EQ(options.bottomMargin, 5);
  EXPECT_FALSE(options.protectionEnabled);
  EXPECT_FALSE(options.setUserPassword);
  EXPECT_FALSE(options.setOwnerPassword);
  EXPECT_EQ(options.pageSize, 2);
  EXPECT_EQ(options.pdfVersion, 0);
  EXPECT_EQ(options.compressionType, 1);
  EXPECT_EQ(options.protectionKeyLength, 0);
  EXPECT_EQ(options.fontCharset, 1);
  EXPECT_EQ(options.title, "");
}

TEST(ReadPdfFormatOptions, permissionValues_mapToTheirBits) {
  const char* kNames[] = {"AllowPrinting",         "AllowModifyStructure",   "AllowCopyInformation",
                          "AllowModifyAnnotation", "AllowHiQualityPrinting", "AllowFillAnnotation",
                          "AllowExtractInfo",      "AllowAssemble"};
  for (int bit = 0; bit < 8; ++bit) {
    MemoryRegistry store;
    store.Set(kPdfOptionsKey, kNames[bit], RegValue::Dword(0));
    EXPECT_EQ(ReadPdfFormatOptions(store).protectionOptions, 0xFF & ~(1 << bit)) << kNames[bit];
  }
}

TEST(ReadPdfFormatOptions, passwords_followTheEnabledPlainScrambledOrder) {
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
        if (owner) {
          name.replace(name.find("User"), 4, "Master");
        }
        store.Set(kPdfOptionsKey, name, value);
      }
      const PdfFormatOptions options = ReadPdfFormatOptions(store);
      EXPECT_EQ(owner ? options.setOwnerPassword : options.setUserPassword, c.set) << c.what;
      EXPECT_EQ(owner ? options.ownerPassword : options.userPassword, c.password) << c.what;
      EXPECT_FALSE(owner ? options.setUserPassword : options.setOwnerPassword) << c.what;
    }
  }
}

TEST(ReadPdfFormatOptions, passwordsAndDocumentInformation_becomeWindows1252Bytes) {
  MemoryRegistry store;
  store.Set(kPdfOptionsKey, "UserPasswordEnabled", RegValue::Dword(1));
  store.Set(kPdfOptionsKey, "SilentUserPassword", RegValue::String("caf\xC3\xA9 \xE2\x82\xAC"));
  store.Set(kPdfOptionsKey, "MasterPasswordEnabled", RegValue::Dword(1));
  // Scrambled by the Windows program: already Windows-1252 bytes.
  store.Set(kPdfOptionsKey, "MasterPassword",
            RegValue::String(ScramblePassword(kPasswordKey, "\xE9t\xE9")));
  store.Set(kPdfOptionsKey, "Title", RegValue::String("Caf\xC3\xA9 \xE2\x82\xAC \xD0\x96"));
  const PdfFormatOptions options = ReadPdfFormatOptions(store);
  EXPECT_EQ(options.title, "Caf\xE9 \x80 ?");
  EXPECT_EQ(options.userPassword, "caf\xE9 \x80");
  EXPECT_EQ(options.ownerPassword, "\xE9t\xE9");
}

TEST(ReadPdfFormatOptions, passwordOutsideWindows1252_isRefusedNamingTheValue) {
  MemoryRegistry store;
  store.Set(kPdfOptionsKey, "UserPasswordEnabled", RegValue::Dword(1));
  store.Set(kPdfOptionsKey, "SilentUserPassword", RegValue::String("\xD0\xBF\xD0\xB0\xD1\x80"));
  try {
    ReadPdfFormatOptions(store);
    ADD_FAILURE() << "a Cyrillic password was accepted";
  } catch (const platform::RegistryError& error) {
    EXPECT_NE(std::string(error.what()).find("\"SilentUserPassword\""), std::string::npos)
        << error.what();
  }
}

TEST(ReadPdfFormatOptions, outOfRangeEnumerations_reachTheConverterUnchangedAndTakeDefaultsThere) {
  MemoryRegistry store;
  store.Set(kPdfOptionsKey, "PageSize", RegValue::Dword(40));
  store.Set(kPdfOptionsKey, "PDFVersion", RegValue::Dword(9));
  store.Set(kPdfOptionsKey, "PageOrientation", RegValue::Dword(0xFFFFFFFF));
  store.Set(kPdfOptionsKey, "CompressionType", RegValue::Dword(256));
  store.Set(kPdfOptionsKey, "ProtectionKeyLength", RegValue::Dword(2));
  const PdfFormatOptions options = ReadPdfFormatOptions(store);
  EXPECT_EQ(options.pageSize, 40);
  EXPECT_EQ(options.pdfVersion, 9);
  EXPECT_EQ(options.pageOrientation, -1);
  EXPECT_EQ(options.compressionType, 256);

  emf2pdf::TEMF2PDFConverter converter;
  ApplyPdfOptions(options, converter);
  EXPECT_EQ(converter.PageSize(), pdf::psA4);
  EXPECT_EQ(converter.Version(), pdf::v13);
  EXPECT_EQ(converter.PageOrientation(), pdf::poPagePortrait);
  EXPECT_EQ(converter.Compression(), pdf::ctFlate);
  EXPECT_EQ(converter.ProtectionKeyLength(), pdf::kl40);
}

TEST(ReadPdfFormatOptions, wrongType_isAnErrorNamingTheValue) {
  const char* kNames[] = {"AllowAssemble", "LeftMargin", "ProtectionEnabled", "PageSize",
                          "FontCharset"};
  for (const char* name : kNames) {
    MemoryRegistry store;
    store.Set(kPdfOptionsKey, name, RegValue::String("2"));
    try {
      ReadPdfFormatOptions(store);
      ADD_FAILURE() << name;
    } catch (const platform::RegistryError& error) {
      EXPECT_NE(std::string(error.what()).find(std::string("\"") + name + "\""), std::string::npos)
          << error.what();
    }
  }
  MemoryRegistry store;
  store.Set(kPdfOptionsKey, "Title", RegValue::Binary("x"));
  EXPECT_THROW(ReadPdfFormatOptions(store), platform::RegistryError);
}

}  // namespace
}  // namespace app
