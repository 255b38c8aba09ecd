#include "dialogs/explore_to_file.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QUrl>
#include <exception>

#include "app/path_rules.h"
#include "platform/folders.h"
#include "platform/shell.h"

namespace dialogs {

namespace {

bool ShowInFileManager(const std::string& path) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return false;
  QDBusInterface manager("org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
                         "org.freedesktop.FileManager1", bus);
  if (!manager.isValid()) return false;
  manager.setTimeout(5000);
  const QStringList items{QUrl::fromLocalFile(QString::fromStdString(path)).toString()};
  const QDBusReply<void> reply = manager.call("ShowItems", items, QString());
  return reply.isValid();
}

}  // namespace

void OpenFile(const std::string& file) {
  try {
    platform::ShellOpen(file);
  } catch (const std::exception&) {
    // The desktop has said why, if it could; the file is made all the same.
  }
}

void ExploreToFile(const std::string& file) {
  if (!platform::FileExists(file)) return;
  const std::string path = platform::AbsolutePath(file);
  if (!ShowInFileManager(path)) OpenFile(app::ExtractFilePath(path));
}

}  // namespace dialogs
