#include "dialogs/qt_message_box.h"

#include <QMessageBox>

namespace dialogs {

namespace {

QMessageBox::Icon QtIcon(platform::MessageIcon icon) {
  switch (icon) {
    case platform::MessageIcon::Error:
      return QMessageBox::Critical;
    case platform::MessageIcon::Warning:
      return QMessageBox::Warning;
    case platform::MessageIcon::Question:
      return QMessageBox::Question;
    case platform::MessageIcon::Information:
      break;
  }
  return QMessageBox::Information;
}

}  // namespace

platform::MessageAnswer ShowQtMessageBox(const std::string& text, const std::string& caption,
                                         platform::MessageIcon icon,
                                         platform::MessageButtons buttons) {
  // The texts are written with Windows line ends.
  QString body = QString::fromStdString(text);
  body.replace("\r\n", "\n");
  const bool question = buttons == platform::MessageButtons::YesNo;
  QMessageBox box(QtIcon(icon), QString::fromStdString(caption), body,
                  question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok);
  // The texts hold file names, which may look like markup: shown as written.
  box.setTextFormat(Qt::PlainText);
  if (question) box.setDefaultButton(QMessageBox::Yes);
  const int answer = box.exec();
  if (!question) return platform::MessageAnswer::Ok;
  return answer == QMessageBox::Yes ? platform::MessageAnswer::Yes : platform::MessageAnswer::No;
}

}  // namespace dialogs
