#include "platform/qt/file_viewer.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QUrl>

namespace calyxa {

void revealInFileViewer(const std::filesystem::path& path) {
  const QUrl file = QUrl::fromLocalFile(QString::fromStdString(path.string()));
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (bus.isConnected()) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{file.toString()} << QString();
    const QDBusMessage reply = bus.call(call, QDBus::Block, 2000);
    if (reply.type() == QDBusMessage::ReplyMessage) return;
  }
  QDesktopServices::openUrl(
      QUrl::fromLocalFile(QString::fromStdString(path.parent_path().string())));
}

}  // namespace calyxa
