#include "shell/session_bus.h"

#include <unistd.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFileInfo>
#include <chrono>

namespace calyxa {
namespace {

// An older launcher gets this long to tidy up (give the gestures back, save) before it is killed.
constexpr std::chrono::milliseconds kReplaceGrace{1500};
constexpr int kCallTimeoutMs = 3000;

bool isProcessIdText(const QString& text) {
  if (text.isEmpty() || text.size() > 10) return false;
  for (const QChar c : text) {
    if (!c.isDigit() || c.unicode() > 0x7F) return false;
  }
  return text.toLongLong() > 0;
}

}  // namespace

bool sessionBusAvailable() {
  if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) return true;
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  const QString socket = runtime + QStringLiteral("/bus");
  if (runtime.isEmpty() || !QFileInfo(socket).exists()) return false;
  qputenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + socket).toUtf8());
  return true;
}

bool RemoteControl::publish() {
  if (!sessionBusAvailable()) return false;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return false;
  if (!bus.registerObject(QString::fromLatin1(kBusObjectPath), this,
                          QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties)) {
    return false;
  }
  const auto reply = bus.interface()->registerService(
      QString::fromLatin1(kBusServiceName), QDBusConnectionInterface::ReplaceExistingService,
      QDBusConnectionInterface::AllowReplacement);
  return reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered;
}

void RemoteControl::Toggle() {
  if (onToggle) onToggle();
}
void RemoteControl::Show() {
  if (onShow) onShow();
}
void RemoteControl::Hide() {
  if (onHide) onHide();
}

RemoteCallResult callRunningInstance(RemoteCommand command) {
  if (!sessionBusAvailable()) return RemoteCallResult::noInstance;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return RemoteCallResult::noInstance;
  const char* method = command == RemoteCommand::toggle ? "Toggle"
                       : command == RemoteCommand::show ? "Show"
                                                        : "Hide";
  const QDBusMessage reply =
      bus.call(QDBusMessage::createMethodCall(
                   QString::fromLatin1(kBusServiceName), QString::fromLatin1(kBusObjectPath),
                   QString::fromLatin1(kBusInterface), QString::fromLatin1(method)),
               QDBus::Block, kCallTimeoutMs);
  return reply.type() == QDBusMessage::ReplyMessage ? RemoteCallResult::delivered
                                                    : RemoteCallResult::noInstance;
}

bool ReplaceInstanceListener::announcesOtherInstance(const QList<QVariant>& arguments,
                                                     const QString& ownPid) {
  if (arguments.isEmpty() || arguments.front().metaType().id() != QMetaType::QString) return false;
  const QString pid = arguments.front().toString();
  return isProcessIdText(pid) && pid != ownPid;
}

void ReplaceInstanceListener::handleSignal(const QDBusMessage& message) {
  if (announcesOtherInstance(message.arguments(), ownPid_) && onReplaced_) onReplaced_();
}

SessionBusInstanceCoordinator::SessionBusInstanceCoordinator(InstanceSearch search)
    : search_(std::move(search)) {}

SessionBusInstanceCoordinator::~SessionBusInstanceCoordinator() = default;

void SessionBusInstanceCoordinator::replaceOlderInstances() {
  terminateProcesses(findOtherInstances(search_), kReplaceGrace, search_.proc);
}

void SessionBusInstanceCoordinator::announce() {
  if (!sessionBusAvailable()) return;
  QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(kBusObjectPath),
                                                   QString::fromLatin1(kBusInterface),
                                                   QString::fromLatin1(kReplaceInstanceSignal));
  signal << QString::number(::getpid());
  QDBusConnection::sessionBus().send(signal);
}

void SessionBusInstanceCoordinator::listen(std::function<void()> onReplaced) {
  if (!sessionBusAvailable()) return;
  listener_ =
      std::make_unique<ReplaceInstanceListener>(QString::number(::getpid()), std::move(onReplaced));
  QDBusConnection::sessionBus().connect(QString(), QString::fromLatin1(kBusObjectPath),
                                        QString::fromLatin1(kBusInterface),
                                        QString::fromLatin1(kReplaceInstanceSignal),
                                        listener_.get(), SLOT(handleSignal(QDBusMessage)));
}

}  // namespace calyxa
