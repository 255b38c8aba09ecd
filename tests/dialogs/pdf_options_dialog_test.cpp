#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include "app/pdf_conversion.h"
#include "app/settings_store.h"
#include "dialogs/pdf_options_dialog.h"
#include "pdf/pdf_types.h"
#include "platform/message_box.h"
#include "platform/registry_hive.h"
#include "support/emf_builder.h"
#include "support/hive_fixture.h"
#include "support/pdf_option_values.h"
#include "support/temp_folder.h"

namespace dialogs {
namespace {

using platform::RegValue;
using testing_support::MemoryRegistry;
using testing_support::OptionDifferences;
using NoDifferences = std::vector<std::string>;

// Keeps the messages shown, "caption: text".
class RecordedMessages final : public platform::MessagePresenter {
 public:
  std::vector<std::string> shown;

 protected:
  platform::MessageAnswer Present(const std::string& text, const std::string& caption,
                                  platform::MessageIcon, platform::MessageButtons) override {
    shown.push_back(caption + ": " + text);
    return platform::MessageAnswer::Ok;
  }
};

class PdfOptionsDialogTest : public testing::Test {
 protected:
  PdfOptionsDialogTest() : dialog(record, messages) {}

  template <typename W>
  W* find(const char* name) {
    W* widget = dialog.findChild<W*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QCheckBox* box(const char* name) { return find<QCheckBox>(name); }
  QComboBox* list(const char* name) { return find<QComboBox>(name); }
  QLineEdit* edit(const char* name) { return find<QLineEdit>(name); }
  QString current(const char* name) { return list(name)->currentText(); }
  void loadFrom(platform::RegistryStore& store) { dialog.LoadSettings(store); }
  // Shows the dialog, clicks Continue and tells whether it closed with OK.
  bool pressContinue() {
    dialog.show();
    find<QPushButton>("Button1")->click();
    return dialog.result() == QDialog::Accepted && !dialog.isVisible();
  }

  app::PdfOptions record;
  RecordedMessages messages;
  TfrmSavePDFDlg dialog;
  std::vector<std::string>& shown = messages.shown;
};

TEST_F(PdfOptionsDialogTest, emptyKey_showsTheDefaults) {
  MemoryRegistry store;
  loadFrom(store);
  EXPECT_EQ(dialog.windowTitle(), "PDF Options");
  auto* tabs = find<QTabWidget>("pgcOptions");
  ASSERT_EQ(tabs->count(), 4);
  EXPECT_EQ(tabs->tabText(0), "&General");
  EXPECT_EQ(tabs->tabText(1), "&Security");
  EXPECT_EQ(tabs->tabText(2), "Page Set&up");
  EXPECT_EQ(tabs->tabText(3), "&Misc");
  for (const char* name : {"cbAllowPrinting", "cbAllowModifyStructure", "cbAllowCopyInformation",
                           "cbAllowModifyAnnotations", "cbAllowHiQualityPrinting",
                           "cbAllowFillAnnotations", "cbAllowExtractInfo", "cbAllowAssemble"})
    EXPECT_TRUE(box(name)->isChecked()) << name;
  EXPECT_EQ(current("cbxProtectionKeyLength"), "40-bit");
  EXPECT_EQ(current("cbxCompressionType"), "Flate");
  EXPECT_EQ(current("cbxCompatibility"), "Acrobat 4.x and higher");
  EXPECT_EQ(current("cbxPageOrientation"), "Portrait");
  EXPECT_EQ(current("cbxPageSize"), "A4");
  EXPECT_EQ(list("cbxPageSize")->count(), 20);
  EXPECT_EQ(list("cbxPageSize")->itemText(0), "Same as the printed page");
  EXPECT_EQ(list("cbxPageSize")->itemText(19), "Env11");
  for (const char* name : {"seLeftMargin", "seTopMargin", "seRightMargin", "seBottomMargin"})
    EXPECT_EQ(find<QSpinBox>(name)->value(), 5) << name;
  EXPECT_FALSE(box("cbProtectionEnabled")->isChecked());
  EXPECT_FALSE(box("cbUserPassword")->isChecked());
  EXPECT_FALSE(box("cbMasterPassword")->isChecked());
  EXPECT_EQ(current("cbxCharset"), "Default charset");
  EXPECT_EQ(list("cbxCharset")->count(), 19);
  EXPECT_TRUE(box("cbDownloadImages")->isChecked());
  EXPECT_TRUE(box("cbAutoOpenPDF")->isChecked());
  EXPECT_EQ(edit("edTitle")->text(), "");
  EXPECT_EQ(find<QPushButton>("Button1")->text(), "Continue");
  EXPECT_TRUE(find<QPushButton>("Button1")->isDefault());
  EXPECT_EQ(find<QPushButton>("Button2")->text(), "Cancel");
}

TEST_F(PdfOptionsDialogTest, enableRules_followTheThreeBoxes) {
  const struct {
    bool protection, master, user;
  } kCases[] = {{false, false, false}, {false, true, true}, {true, false, false},
                {true, true, false},   {true, false, true}, {true, true, true}};
  const char* kFollowProtection[] = {"cbxProtectionKeyLength", "cbMasterPassword",
                                     "cbUserPassword",         "cbAllowPrinting",
                                     "cbAllowAssemble",        "cbAllowExtractInfo"};
  for (const auto& c : kCases) {
    // A click, as the user makes it, runs the rule.
    box("cbMasterPassword")->setChecked(c.master);
    box("cbUserPassword")->setChecked(c.user);
    box("cbProtectionEnabled")->setChecked(!c.protection);
    box("cbProtectionEnabled")->click();
    const std::string what =
        std::to_string(c.protection) + std::to_string(c.master) + std::to_string(c.user);
    for (const char* name : kFollowProtection)
      EXPECT_EQ(dialog.findChild<QWidget*>(name)->isEnabled(), c.protection) << name << what;
    EXPECT_EQ(edit("edMasterPassword")->isEnabled(), c.protection && c.master) << what;
    EXPECT_EQ(edit("edUserPassword")->isEnabled(), c.protection && c.user) << what;
  }
  box("cbUserPassword")->click();
  EXPECT_FALSE(edit("edUserPassword")->isEnabled());
  box("cbUserPassword")->click();
  EXPECT_TRUE(edit("edUserPassword")->isEnabled());
}

TEST_F(PdfOptionsDialogTest, pdfa_setsItsVersionAndLocksItAndProtectionWithTheReason) {
  MemoryRegistry store;
  store.Set(app::kPdfOptionsKey, "ProtectionEnabled", RegValue::Dword(1));
  loadFrom(store);
  auto* pdfa = list("cbxPdfA");
  ASSERT_EQ(pdfa->count(), 3);
  EXPECT_EQ(pdfa->itemText(0), "None");
  EXPECT_TRUE(list("cbxCompatibility")->isEnabled());
  EXPECT_TRUE(box("cbProtectionEnabled")->isEnabled());
  EXPECT_TRUE(find<QLabel>("lblPdfAProtection")->isHidden());
  const struct {
    const char* item;
    const char* version;
  } kCases[] = {{"PDF/A-1b", "Acrobat 5.x and higher"}, {"PDF/A-2b", "Acrobat 8.x and higher"}};
  for (const auto& c : kCases) {
    pdfa->setCurrentIndex(pdfa->findText(c.item));
    EXPECT_EQ(current("cbxCompatibility"), c.version) << c.item;
    EXPECT_FALSE(list("cbxCompatibility")->isEnabled()) << c.item;
    EXPECT_FALSE(box("cbProtectionEnabled")->isChecked()) << c.item;
    EXPECT_FALSE(box("cbProtectionEnabled")->isEnabled()) << c.item;
    EXPECT_FALSE(box("cbAllowPrinting")->isEnabled()) << c.item;
    EXPECT_FALSE(find<QLabel>("lblPdfAProtection")->isHidden()) << c.item;
    EXPECT_TRUE(find<QLabel>("lblPdfAVersion")->text().startsWith(c.item)) << c.item;
  }
  ASSERT_TRUE(pressContinue());
  EXPECT_EQ(record.pdfaCompliance, 2);
  EXPECT_EQ(record.pdfVersion, 4);
  EXPECT_FALSE(record.protectionEnabled);
  // Back to none: both can be changed again.
  pdfa->setCurrentIndex(0);
  EXPECT_TRUE(list("cbxCompatibility")->isEnabled());
  EXPECT_TRUE(box("cbProtectionEnabled")->isEnabled());
  EXPECT_TRUE(find<QLabel>("lblPdfAVersion")->isHidden());
}

TEST_F(PdfOptionsDialogTest, storedValues_selectTheirItemsAndOddOnesTheDefaults) {
  const struct {
    const char* value;
    RegValue stored;
    const char* list;
    const char* item;
  } kCases[] = {
      {"FontCharset", RegValue::Dword(186), "cbxCharset", "Baltic characters"},
      {"FontCharset", RegValue::Dword(200), "cbxCharset", "Default charset"},
      {"PageSize", RegValue::Dword(1), "cbxPageSize", "Letter"},
      {"PageSize", RegValue::Dword(0), "cbxPageSize", "Same as the printed page"},
      {"PageSize", RegValue::Dword(40), "cbxPageSize", "A4"},
      {"PageSize", RegValue::Dword(0xFFFFFFFF), "cbxPageSize", "A4"},
      {"PageSize", RegValue::String("3"), "cbxPageSize", "A4"},
      {"PDFVersion", RegValue::Dword(1), "cbxCompatibility", "Acrobat 5.x and higher"},
      {"PDFVersion", RegValue::Dword(3), "cbxCompatibility", "Acrobat 4.x and higher"},
      {"PDFVersion", RegValue::Dword(4), "cbxCompatibility", "Acrobat 8.x and higher"},
      {"ProtectionKeyLength", RegValue::Dword(2), "cbxProtectionKeyLength", "128-bit AES"},
      {"ProtectionKeyLength", RegValue::Dword(3), "cbxProtectionKeyLength", "256-bit AES"},
      {"CompressionType", RegValue::Dword(7), "cbxCompressionType", "Flate"},
      {"PageOrientation", RegValue::Binary("\1"), "cbxPageOrientation", "Portrait"},
  };
  for (const auto& c : kCases) {
    MemoryRegistry store;
    store.Set(app::kPdfOptionsKey, c.value, c.stored);
    loadFrom(store);
    EXPECT_EQ(current(c.list), c.item) << c.value;
  }
}

TEST_F(PdfOptionsDialogTest, continue_savesWhatWasSetAndItComesBack) {
  MemoryRegistry store;
  loadFrom(store);
  edit("edKeywords")->setText("alpha beta");
  list("cbxPageSize")->setCurrentIndex(19);
  list("cbxCharset")->setCurrentIndex(14);
  box("cbAllowCopyInformation")->setChecked(false);
  box("cbProtectionEnabled")->click();
  box("cbMasterPassword")->click();
  edit("edMasterPassword")->setText(" x ");
  ASSERT_TRUE(pressContinue());
  dialog.SaveSettings(store);
  const auto stored = [&](const char* name) { return store.ReadValue(app::kPdfOptionsKey, name); };
  EXPECT_EQ(stored("Keywords")->Text(), "alpha beta");
  EXPECT_EQ(stored("PageSize")->Number(), 19u);
  EXPECT_EQ(stored("FontCharset")->Number(), 186u);
  EXPECT_EQ(stored("AllowCopyInformation")->Number(), 0u);
  EXPECT_EQ(stored("MasterPassword")->Text(), app::ScramblePassword(app::kPasswordKey, " x "));
  EXPECT_FALSE(stored("Producer").has_value());

  app::PdfOptions again;
  TfrmSavePDFDlg second(again, messages);
  second.LoadSettings(store);
  EXPECT_EQ(second.findChild<QLineEdit*>("edKeywords")->text(), "alpha beta");
  EXPECT_EQ(second.findChild<QLineEdit*>("edTitle")->text(), "");
  EXPECT_EQ(second.findChild<QLineEdit*>("edMasterPassword")->text(), " x ");
}

TEST_F(PdfOptionsDialogTest, passwordsReadAsEmptyWhileProtectionIsOff) {
  MemoryRegistry store;
  loadFrom(store);
  box("cbMasterPassword")->setChecked(true);
  edit("edMasterPassword")->setText("secret");
  ASSERT_TRUE(pressContinue());
  EXPECT_EQ(record.masterPassword, "");
  EXPECT_TRUE(record.masterPasswordEnabled);
}

TEST_F(PdfOptionsDialogTest, continue_refusesInputThatCannotMakeThePdf) {
  const struct {
    const char* what;
    const char* password;
    int leftMargin;
    const char* message;
    int keyLengthPosition = 0;
  } kCases[] = {
      {"blank password", " \t ", 5, "Enter Password: Please enter password or uncheck"},
      {"outside Windows-1252", "\xd0\xb6", 5, "Enter Password: A PDF password can only hold"},
      {"outside Windows-1252 for AES-128", "\xd0\xb6", 5,
       "Enter Password: A PDF password can only hold", 2},
      {"prohibited by SASLprep", "bell\x07", 5,
       "Enter Password: This password cannot be used with 256-bit AES: it holds a character", 3},
      {"margins wider than A4", "ok", 205, "Page Setup: The margins leave no room"},
  };
  for (const auto& c : kCases) {
    MemoryRegistry store;
    loadFrom(store);
    shown.clear();
    box("cbProtectionEnabled")->click();
    box("cbUserPassword")->click();
    find<QComboBox>("cbxProtectionKeyLength")->setCurrentIndex(c.keyLengthPosition);
    edit("edUserPassword")->setText(QString::fromUtf8(c.password));
    find<QSpinBox>("seLeftMargin")->setValue(c.leftMargin);
    EXPECT_FALSE(pressContinue()) << c.what;
    ASSERT_EQ(shown.size(), 1u) << c.what;
    EXPECT_EQ(shown[0].rfind(c.message, 0), 0u) << shown[0];
  }
}

// Settings file -> dialog -> settings file gives back every value, to the
// silent run and to the dialog.
TEST_F(PdfOptionsDialogTest, everyFieldRoundTripsThroughTheDialog) {
  testing_support::TempFolder folder;
  // PDF 1.7 and 256-bit AES, the last values of their lists; PDF/A, which
  // would turn protection off, is left out (its rules are tested below).
  app::PdfOptions saved = testing_support::OptionsOffTheDefaults();
  saved.pdfaCompliance = 0;
  platform::RegistryHive store(folder.file("registry.reg"));
  app::SavePdfOptions(store, saved);
  loadFrom(store);
  // What is saved now comes from the widgets; Creator has none and is kept
  // as loaded.
  const std::string creator = record.creator;
  record = app::PdfOptions{};
  record.creator = creator;
  dialog.save();
  dialog.SaveSettings(store);
  platform::RegistryHive again(folder.file("registry.reg"));
  EXPECT_EQ(OptionDifferences(app::ReadPdfOptions(again), saved), NoDifferences{});
  EXPECT_EQ(OptionDifferences(app::LoadPdfOptions(again), saved), NoDifferences{});
}

TEST_F(PdfOptionsDialogTest, wrongTypes_showTheDefaultsAndSavingPutsThemRight) {
  MemoryRegistry store;
  for (const app::PdfOptionField& field : app::PdfOptionFields())
    store.Set(app::kPdfOptionsKey, field.name, testing_support::WrongTypeFor(field));
  EXPECT_THROW(app::ReadPdfOptions(store), platform::RegistryError);
  loadFrom(store);
  dialog.save();
  EXPECT_EQ(OptionDifferences(record, app::PdfOptions{}), NoDifferences{});
  dialog.SaveSettings(store);
  EXPECT_EQ(OptionDifferences(app::ReadPdfOptions(store), app::PdfOptions{}), NoDifferences{});
}

// The dialog's margin check and the converter agree on every page size, in
// both orientations, at the largest margin that fits and one more.
TEST_F(PdfOptionsDialogTest, margins_areRefusedExactlyWhereTheConverterRefusesThem) {
  testing_support::TempFolder folder;
  const std::string page = folder.file("page.emf");
  emfbuild::EmfBuilder(400, 300).writeFile(page);
  MemoryRegistry store;
  loadFrom(store);
  for (int size = 0; size < pdf::kPageSizeCount; ++size) {
    for (const int orientation : {0, 1}) {
      const auto points = pdf::PageSizeDimensions(static_cast<pdf::TPDFPageSize>(size));
      const int across = orientation == 1 ? std::max(points.width, points.height)
                                          : std::min(points.width, points.height);
      // Size 0 has no page of its own: the largest margins must fit too.
      const int widest = size == 0 ? 9999 : static_cast<int>(across * 25.4 / 72);
      for (const int left : {widest, widest + 1}) {
        if (left > 9999) continue;
        app::PdfOptions options;
        options.pageSize = size;
        options.pageOrientation = orientation;
        options.leftMargin = left;
        options.rightMargin = 0;
        bool converted = true;
        try {
          app::ConvertToPdf({page}, folder.file("out.pdf"), options);
        } catch (const std::runtime_error&) {
          converted = false;
        }
        list("cbxPageSize")->setCurrentIndex(size);
        list("cbxPageOrientation")->setCurrentIndex(orientation);
        find<QSpinBox>("seLeftMargin")->setValue(left);
        find<QSpinBox>("seRightMargin")->setValue(0);
        shown.clear();
        EXPECT_EQ(pressContinue(), converted) << size << " " << orientation << " " << left;
        EXPECT_EQ(shown.size(), converted ? 0u : 1u);
      }
    }
  }
}

TEST_F(PdfOptionsDialogTest, returnPressesContinueAndEscapeCancels) {
  MemoryRegistry store;
  loadFrom(store);
  dialog.show();
  QTest::keyClick(edit("edTitle"), Qt::Key_Return);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  dialog.show();
  QTest::keyClick(edit("edTitle"), Qt::Key_Escape);
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_FALSE(dialog.isVisible());
}

}  // namespace
}  // namespace dialogs
