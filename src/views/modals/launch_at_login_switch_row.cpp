#include "views/modals/launch_at_login_switch_row.h"

#include "platform/qt/property_observer.h"
#include "views/controls/glass_tints.h"

namespace calyxa {

LaunchAtLoginSwitchRow::LaunchAtLoginSwitchRow(TilewellStore& store, QWidget* parent,
                                               FrameDriver& driver)
    : GlassRow(parent), store_(store) {
  switch_ = new GlassSwitch(
      srgb(0.25, 0.88, 0.58),
      [this](bool requested) {
        store_.setLaunchAtLogin(requested, /*showToast=*/true);
        // The store may have refused, and an unchanged flag need not be published again.
        display(store_.isLaunchAtLoginEnabled, currentTransaction());
      },
      this, driver);
  switch_->setAccessibleName("开机自动启动 (登录时静默驻留)");
  addTrailing(switch_);
  observeProperty(
      this, store_.isLaunchAtLoginEnabled,
      [this](bool enabled, const Transaction& transaction) { display(enabled, transaction); });
  display(store_.isLaunchAtLoginEnabled, Transaction{Animation::none(), true});
}

void LaunchAtLoginSwitchRow::display(bool enabled, const Transaction& transaction) {
  setContent({"power.circle.fill", 21, enabled ? srgb(0.3, 0.95, 0.62) : white(0.65),
              "开机自动启动 (登录时静默驻留)", StatusBadge::loginItem(enabled),
              "登录 macOS 后自动在后台就绪，随时用四指收拢或 F4 呼出启动台。", 4});
  switch_->setOn(enabled, transaction);
}

}  // namespace calyxa
