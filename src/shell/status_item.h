#pragma once

#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>
#include <memory>

namespace calyxa {

class AppDelegate;
class TilewellStore;

// The tray item: a grid glyph with the program's name as tool tip; a left click toggles the
// overlay, the context menu holds the launcher's commands.
class StatusItem {
 public:
  static constexpr const char* kToolTip = "Calyxa Grid 启动台";
  static constexpr const char* kLaunchAtLoginTitle = "开机自动启动";

  StatusItem(AppDelegate& delegate, TilewellStore& store);
  ~StatusItem();

  QSystemTrayIcon& trayIcon() { return *trayIcon_; }
  QMenu& menu() { return *menu_; }
  // Makes the launch-at-login check mark true to the system; the menu does it as it opens.
  void refreshMenu();

  // The tray glyph, the grid symbol, drawn at the usual tray sizes.
  static QIcon gridIcon();

 private:
  void buildMenu();

  AppDelegate& delegate_;
  TilewellStore& store_;
  std::unique_ptr<QMenu> menu_;
  std::unique_ptr<QSystemTrayIcon> trayIcon_;
  QAction* launchAtLoginAction_ = nullptr;
};

}  // namespace calyxa
