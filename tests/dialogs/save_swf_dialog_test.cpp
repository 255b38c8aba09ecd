#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "dialogs/save_swf_dialog.h"

namespace dialogs {
namespace {

TEST(TSaveSWFDialog, offersTheSixTypesAndThreeBoxesUnderTheTypeList) {
  TSaveSWFDialog dialog;
  EXPECT_EQ(dialog.nameFilters(),
            QStringList({"Flash animations files (*.swf)", "PDF documents (*.pdf)",
                         "Both SWF and PDF documents (*.swf;*.pdf)", "JPEG Image File (*.jpg)",
                         "PNG images (*.png)", "TIFF document (*.tif)"}));
  EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
  EXPECT_TRUE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
  const char* kBoxes[][2] = {{"cbHtml", "Generate HTML page with movie"},
                             {"cbFileOpen", "Open generated file"},
                             {"cbFileExplore", "Explore folder with generated movie"}};
  dialog.show();
  (void)QTest::qWaitForWindowExposed(&dialog);  // the geometry below is what is checked
  const auto* types = dialog.findChild<QComboBox*>("fileTypeCombo");
  ASSERT_NE(types, nullptr);
  int top = types->geometry().bottom();
  for (const auto& [name, caption] : kBoxes) {
    const auto* box = dialog.findChild<QCheckBox*>(name);
    ASSERT_NE(box, nullptr) << name;
    EXPECT_EQ(box->text(), caption);
    const QPoint at = box->mapTo(&dialog, QPoint(0, 0));
    EXPECT_GT(at.y(), top) << name;
    EXPECT_EQ(at.x(), types->mapTo(&dialog, QPoint(0, 0)).x()) << name;
    top = at.y();
  }
  // Typing goes to the file name at once.
  EXPECT_EQ(QApplication::focusWidget(), dialog.findChild<QLineEdit*>("fileNameEdit"));
}

TEST(TSaveSWFDialog, propertiesAndFilterIndexReadBackAsSet) {
  TSaveSWFDialog dialog;
  const struct {
    int set, read;
  } kIndexes[] = {{0, 1}, {1, 1}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 1}, {-2, 1}};
  for (const auto& c : kIndexes) {
    dialog.SetFilterIndex(c.set);
    EXPECT_EQ(dialog.FilterIndex(), c.read) << c.set;
  }
  for (const bool on : {false, true}) {
    dialog.SetGenerateHTML(on);
    dialog.SetOpenGeneratedFile(!on);
    dialog.SetFileExplore(on);
    EXPECT_EQ(dialog.GenerateHTML(), on);
    EXPECT_EQ(dialog.OpenGeneratedFile(), !on);
    EXPECT_EQ(dialog.FileExplore(), on);
  }
}

}  // namespace
}  // namespace dialogs
