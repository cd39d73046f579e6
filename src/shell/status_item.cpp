#include "shell/status_item.h"

#include <QPainter>
#include <algorithm>

#include "catalogue/tilewell_store.h"
#include "shell/app_delegate.h"
#include "views/symbols/symbol_glyph.h"

namespace calyxa {

StatusItem::StatusItem(AppDelegate& delegate, TilewellStore& store)
    : delegate_(delegate),
      store_(store),
      menu_(std::make_unique<QMenu>()),
      trayIcon_(std::make_unique<QSystemTrayIcon>()) {
  buildMenu();
  trayIcon_->setIcon(gridIcon());
  trayIcon_->setToolTip(QString::fromUtf8(kToolTip));
  trayIcon_->setContextMenu(menu_.get());
  QObject::connect(menu_.get(), &QMenu::aboutToShow, menu_.get(), [this] { refreshMenu(); });
  QObject::connect(
      trayIcon_.get(), &QSystemTrayIcon::activated, trayIcon_.get(),
      [this](QSystemTrayIcon::ActivationReason reason) {
        // The context menu opens by itself; a double click already toggled twice.
        if (reason == QSystemTrayIcon::Context || reason == QSystemTrayIcon::DoubleClick) {
          return;
        }
        delegate_.statusBarClicked();
      });
  trayIcon_->show();
}

StatusItem::~StatusItem() = default;

void StatusItem::buildMenu() {
  QMenu& menu = *menu_;
  const auto add = [&](const char* title, void (AppDelegate::*action)(),
                       const char* shortcut = nullptr) {
    QAction* item = menu.addAction(QString::fromUtf8(title));
    QObject::connect(item, &QAction::triggered, &menu, [this, action] { (delegate_.*action)(); });
    if (shortcut) {
      item->setShortcut(QKeySequence(QString::fromLatin1(shortcut)));
      item->setShortcutVisibleInContextMenu(true);
    }
    return item;
  };
  add("打开 / 关闭全屏启动台 (四指收拢 / F4)", &AppDelegate::toggleTilewellAction);
  launchAtLoginAction_ = add(kLaunchAtLoginTitle, &AppDelegate::toggleLaunchAtLoginAction);
  launchAtLoginAction_->setCheckable(true);
  menu.addSeparator();
  add("一键禁用系统原生启动台(防止四指冲突)", &AppDelegate::disableSystemTilewellConflictAction);
  add("恢复系统原生启动台手势", &AppDelegate::restoreSystemTilewellConflictAction);
  menu.addSeparator();
  add("打开设置与开机自启面板...", &AppDelegate::showSettingsAction, "Ctrl+,");
  add("使用引导与系统权限配置...", &AppDelegate::showOnboardingAction);
  add("进入位置编辑模式 (抖动排序)", &AppDelegate::enterEditModeAction, "Ctrl+E");
  add("重新扫描所有应用", &AppDelegate::rescanAppsAction, "Ctrl+R");
  menu.addSeparator();
  add("退出 Calyxa Grid", &AppDelegate::quitAppAction, "Ctrl+Q");
  refreshMenu();
}

void StatusItem::refreshMenu() {
  store_.refreshLaunchAtLoginState();
  launchAtLoginAction_->setChecked(store_.isLaunchAtLoginEnabled);
}

QIcon StatusItem::gridIcon() {
  QIcon icon;
  for (const int edge : {16, 22, 24, 32, 48, 64}) {
    QPixmap pixmap(edge, edge);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    // A light glyph over a soft dark copy of itself: readable on light and dark panels alike.
    const QRectF box(0, 0, edge, edge);
    const double shadow = std::max(1.0, edge / 24.0);
    paintSymbol(painter, "calyxa.grid", box.translated(0, shadow), QColor(0, 0, 0, 120),
                SymbolWeight::semibold);
    paintSymbol(painter, "calyxa.grid", box, QColor(245, 245, 245), SymbolWeight::semibold);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace calyxa
