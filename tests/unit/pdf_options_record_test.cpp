#include <gtest/gtest.h>

#include "app/pdf_options_reader.h"
#include "app/pdf_options_record.h"
#include "app/settings_store.h"
#include "support/hive_fixture.h"

namespace app {
namespace {

using platform::RegValue;
using testing_support::MemoryRegistry;

TEST(PdfOptionsRecord, savedRecord_loadsBackAndTheSilentReaderAgrees) {
  MemoryRegistry store;
  PdfOptionsRecord saved;
  saved.cryptoOptions = 0x5A;
  saved.protectionKeyLength = 1;
  saved.pageSize = 0;
  saved.pageOrientation = 1;
  saved.leftMargin = 12;
  saved.protectionEnabled = true;
  saved.userPasswordEnabled = true;
  saved.userPassword = "caf\xc3\xa9 ";  // "café ", kept with its blank
  saved.masterPasswordEnabled = false;
  saved.masterPassword = "never stored";
  saved.fontCharset = 186;
  saved.autoOpenPdf = false;
  saved.keywords = "k\xc3\xa9y";
  SavePdfOptionsRecord(store, saved);

  const PdfOptionsRecord loaded = LoadPdfOptionsRecord(store);
  EXPECT_EQ(loaded.cryptoOptions, 0x5A);
  EXPECT_EQ(loaded.pageSize, 0);
  EXPECT_EQ(loaded.leftMargin, 12);
  EXPECT_EQ(loaded.userPassword, saved.userPassword);
  EXPECT_FALSE(store.ReadValue(kPdfOptionsKey, "MasterPassword").has_value());
  EXPECT_EQ(loaded.fontCharset, 186);
  EXPECT_FALSE(loaded.autoOpenPdf);
  EXPECT_EQ(loaded.keywords, saved.keywords);
  // Stored as the Windows program stores it: Windows-1252 bytes, scrambled.
  EXPECT_EQ(store.ReadValue(kPdfOptionsKey, "UserPassword")->Text(),
            ScramblePassword(kPasswordKey, "caf\xe9 "));

  const PdfFormatOptions silent = ReadPdfFormatOptions(store);
  const PdfFormatOptions dialog = DialogPdfFormatOptions(loaded, "P");
  EXPECT_EQ(silent.userPassword, "caf\xe9 ");
  EXPECT_EQ(dialog.userPassword, silent.userPassword);
  EXPECT_EQ(dialog.keywords, silent.keywords);
  EXPECT_EQ(dialog.protectionOptions, silent.protectionOptions);
  EXPECT_EQ(dialog.pageSize, silent.pageSize);
  EXPECT_EQ(dialog.producer, "P");
  EXPECT_TRUE(dialog.createdToday);
}

TEST(PdfOptionsRecord, valuesOfTheWrongTypeLoadAsDefaults) {
  MemoryRegistry store;
  store.Set(kPdfOptionsKey, "PageSize", RegValue::String("3"));
  store.Set(kPdfOptionsKey, "AllowPrinting", RegValue::String("0"));
  store.Set(kPdfOptionsKey, "Title", RegValue::Dword(7));
  store.Set(kPdfOptionsKey, "LeftMargin", RegValue::Qword(9));
  const PdfOptionsRecord loaded = LoadPdfOptionsRecord(store);
  EXPECT_EQ(loaded.pageSize, 2);
  EXPECT_EQ(loaded.cryptoOptions, 0xFF);
  EXPECT_EQ(loaded.title, "");
  EXPECT_EQ(loaded.leftMargin, 5);
}

}  // namespace
}  // namespace app
