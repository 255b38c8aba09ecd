#include "dialogs/qt_message_box.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

#include <functional>

namespace dialogs {
namespace {

// Calls `handle` with the message box once it is up, from the box's own event loop.
void WhenBoxIsUp(const std::function<void(QMessageBox&)>& handle, int triesLeft = 200) {
  QTimer::singleShot(10, [=] {
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (auto* box = qobject_cast<QMessageBox*>(widget); box != nullptr && box->isVisible())
        return handle(*box);
    if (triesLeft > 0) WhenBoxIsUp(handle, triesLeft - 1);
  });
}

TEST(QtMessageBox, showsMarkupInFileNamesAsWrittenAndAnswersTheButtonClicked) {
  const std::string text = "<b>x</b><img src=\"y.png\">.pdf already exists.\r\nReplace it?";
  bool labelFound = false;
  Qt::TextFormat format = Qt::RichText;
  QString shownText;
  WhenBoxIsUp([&](QMessageBox& box) {
    if (const auto* label = box.findChild<QLabel*>("qt_msgbox_label")) {
      labelFound = true;
      format = label->textFormat();
      shownText = label->text();
    }
    box.button(QMessageBox::No)->click();
  });
  const auto answer = ShowQtMessageBox(text, "Tallowcraft", platform::MessageIcon::Question,
                                       platform::MessageButtons::YesNo);
  EXPECT_EQ(answer, platform::MessageAnswer::No);
  ASSERT_TRUE(labelFound);
  EXPECT_EQ(format, Qt::PlainText);
  EXPECT_EQ(shownText.toStdString(),
            "<b>x</b><img src=\"y.png\">.pdf already exists.\nReplace it?");
}

}  // namespace
}  // namespace dialogs
