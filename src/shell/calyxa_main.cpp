#include "shell/calyxa_main.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "platform/qt/qt_folder_chooser.h"
#include "platform/qt/qt_platform_services.h"
#include "shell/app_delegate.h"
#include "shell/frame_log.h"
#include "shell/launch_arguments.h"
#include "shell/root_view.h"
#include "shell/session_bus.h"
#include "shell/termination_signals.h"

namespace calyxa {
namespace {

bool canConnectToSocket(const std::string& path) {
  sockaddr_un address = {};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof(address.sun_path)) return false;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
  ::close(fd);
  return connected;
}

// Whether a display can be reached; Qt would abort without one. A platform the user chose by
// QT_QPA_PLATFORM (other than X11 and Wayland) is taken as it is.
bool displayReachable() {
  const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  if (!platform.isEmpty() && !platform.startsWith("xcb") && !platform.startsWith("wayland")) {
    return true;
  }
  const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
  if (!wayland.isEmpty()) {
    const std::string socket =
        wayland.startsWith('/')
            ? wayland.toStdString()
            : qEnvironmentVariable("XDG_RUNTIME_DIR").toStdString() + "/" + wayland.toStdString();
    if (canConnectToSocket(socket)) return true;
  }
  const QByteArray display = qgetenv("DISPLAY");
  if (display.isEmpty()) return false;
  // A local display ":N" or ":N.S" has its socket in /tmp/.X11-unix; remote ones are trusted.
  if (!display.startsWith(':')) return true;
  const QByteArray number = display.mid(1).split('.').front();
  return canConnectToSocket("/tmp/.X11-unix/X" + number.toStdString());
}

// An X server that goes away makes the toolkit end the process on the spot (exit status 1): the
// system gestures are still given back and the last edit still saved, from the exit hook.
AppDelegate* delegateForExitHook = nullptr;

void tidyUpAtExit() {
  if (delegateForExitHook) delegateForExitHook->terminate();
}

}  // namespace

int runLauncher(int argc, char** argv) {
  const auto arguments = parseLaunchArguments(std::vector<std::string>(argv + 1, argv + argc));
  if (!arguments) {
    std::cerr << kLauncherUsage;
    return 64;
  }
  if (!displayReachable()) {
    std::cerr << "Calyxa: no display to show the launcher on (neither DISPLAY nor "
                 "WAYLAND_DISPLAY names one that can be reached)\n";
    return 2;
  }

  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Calyxa"));
  QApplication::setApplicationDisplayName(QStringLiteral("Calyxa Grid"));
  // The overlay only hides; the tray item and the loop stay.
  QApplication::setQuitOnLastWindowClosed(false);

  bool forceShow = false;
  if (arguments->remoteCommand) {
    if (callRunningInstance(*arguments->remoteCommand) == RemoteCallResult::delivered) return 0;
    if (*arguments->remoteCommand == RemoteCommand::hide) return 0;
    forceShow = true;
  }

  AppDelegate* delegate = nullptr;
  PlatformServices services = makeQtPlatformServices();
  services.folderChooser = std::make_shared<QtFolderChooser>(services.systemRoot, [&delegate] {
    return delegate ? static_cast<QWidget*>(delegate->overlayWindow()) : nullptr;
  });
  PlatformServices::installShared(std::move(services));

  InstanceSearch search;
  search.user = ::getuid();
  search.self = ::getpid();
  search.identity = {kBusServiceName, "Calyxa", "Calyxa"};
  search.sessionVariables = {"DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS"};
  search.ownEnvironment = environmentValues(search.sessionVariables);
  search.oneOffArguments = {"--snapshot"};

  AppDelegate launcher(
      {TilewellStore::shared(), MultitouchPinchMonitor::shared(),
       SystemGestureConflictResolver::shared(), PlatformServices::shared(),
       [&delegate](TilewellStore& store, std::function<void()> onDismiss, QWidget* parent) {
         // The settings' quit ends like the menu's: gestures back, save flushed.
         return makeRootView(store, std::move(onDismiss), parent, [&delegate] {
           if (delegate) delegate->quitAppAction();
         });
       },
       std::make_unique<SessionBusInstanceCoordinator>(search),
       [](int status) { QCoreApplication::exit(status); }});
  delegate = &launcher;
  TerminationSignals signals([&launcher](int) { launcher.terminate(); });
  delegateForExitHook = &launcher;
  std::atexit(tidyUpAtExit);

  // For the start-up benchmark: when each showing's first frame was on screen.
  std::unique_ptr<FrameLog> frameLog = FrameLog::fromEnvironment();
  if (frameLog) frameLog->attach(launcher);
  launcher.applicationDidFinishLaunching(forceShow);

  RemoteControl remote;
  remote.onToggle = [&] {
    if (frameLog) frameLog->note("request");
    launcher.toggleTilewell();
  };
  remote.onShow = [&] {
    if (frameLog) frameLog->note("request");
    launcher.isTilewellVisible() ? launcher.forceFocusAndFront() : launcher.showTilewell(true);
  };
  remote.onHide = [&launcher] { launcher.hideTilewell(true); };
  remote.isVisible = [&launcher] { return launcher.isTilewellVisible(); };
  remote.currentSearchText = [] {
    return QString::fromStdString(TilewellStore::shared().searchText.get());
  };
  remote.publish();

  // Ended by the signal or the menu before the loop ran: nothing is left to wait for.
  const int status = launcher.hasTerminated() ? 0 : application.exec();
  delegateForExitHook = nullptr;
  return status;
}

}  // namespace calyxa
