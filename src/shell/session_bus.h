#pragma once

#include <QDBusMessage>
#include <QObject>
#include <functional>
#include <optional>

#include "platform/posix/proc_instances.h"
#include "shell/app_delegate.h"

namespace calyxa {

// The program's name on the session bus, its object and interface. The single-instance signal
// is the interface's "replaceInstance", carrying the sender's process id as decimal text.
inline constexpr const char* kBusServiceName = "com.vantorel.tilewell";
inline constexpr const char* kBusObjectPath = "/com/vantorel/tilewell";
inline constexpr const char* kBusInterface = "com.vantorel.tilewell";
inline constexpr const char* kReplaceInstanceSignal = "replaceInstance";

// Whether this process has a session bus to talk to. Sets DBUS_SESSION_BUS_ADDRESS from the
// user's standard bus socket when only that exists, and never lets the bus library start a bus
// of its own.
bool sessionBusAvailable();

// The running launcher's commands for desktop keyboard shortcuts (Toggle, Show, Hide), and two
// read-only properties for scripts: Visible and SearchText.
class RemoteControl final : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "com.vantorel.tilewell")
  Q_PROPERTY(bool Visible READ visible)
  Q_PROPERTY(QString SearchText READ searchText)

 public:
  std::function<void()> onToggle;
  std::function<void()> onShow;
  std::function<void()> onHide;
  std::function<bool()> isVisible;
  std::function<QString()> currentSearchText;

  bool visible() const { return isVisible && isVisible(); }
  QString searchText() const { return currentSearchText ? currentSearchText() : QString(); }

  // Offers the service on the session bus, taking the name over from a launcher that is going
  // away; false without a bus or when the name cannot be had.
  bool publish();

 public Q_SLOTS:
  void Toggle();
  void Show();
  void Hide();
};

enum class RemoteCommand { toggle, show, hide };
enum class RemoteCallResult { delivered, noInstance };
// Sends the command to the running launcher of this session.
RemoteCallResult callRunningInstance(RemoteCommand command);

// Hears the single-instance signal; ignores signals that carry no process id text and our own.
class ReplaceInstanceListener final : public QObject {
  Q_OBJECT

 public:
  ReplaceInstanceListener(QString ownPid, std::function<void()> onReplaced)
      : ownPid_(std::move(ownPid)), onReplaced_(std::move(onReplaced)) {}

  // Whether a signal's arguments announce another instance.
  static bool announcesOtherInstance(const QList<QVariant>& arguments, const QString& ownPid);

 public Q_SLOTS:
  void handleSignal(const QDBusMessage& message);

 private:
  QString ownPid_;
  std::function<void()> onReplaced_;
};

// The single-instance steps over /proc and the session bus.
class SessionBusInstanceCoordinator final : public InstanceCoordinator {
 public:
  explicit SessionBusInstanceCoordinator(InstanceSearch search);
  ~SessionBusInstanceCoordinator() override;

  void replaceOlderInstances() override;
  void announce() override;
  void listen(std::function<void()> onReplaced) override;

 private:
  InstanceSearch search_;
  std::unique_ptr<ReplaceInstanceListener> listener_;
};

}  // namespace calyxa
