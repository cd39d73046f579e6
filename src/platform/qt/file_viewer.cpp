#include "platform/qt/file_viewer.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QUrl>

namespace calyxa {

void revealInFileViewer(const std::filesystem::path& path) {
  const QUrl file = QUrl::fromLocalFile(QString::fromStdString(path.string()));
  const QUrl folder = QUrl::fromLocalFile(QString::fromStdString(path.parent_path().string()));
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    QDesktopServices::openUrl(folder);
    return;
  }
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.FileManager1"),
      QStringLiteral("/org/freedesktop/FileManager1"),
      QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
  call << QStringList{file.toString()} << QString();
  // Asked without waiting: a desktop without a file-manager service gets the folder opened.
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call));  // deletes itself when done
  QObject::connect(watcher, &QDBusPendingCallWatcher::finished,
                   [folder](QDBusPendingCallWatcher* w) {
                     if (w->isError()) QDesktopServices::openUrl(folder);
                     w->deleteLater();
                   });
}

}  // namespace calyxa
