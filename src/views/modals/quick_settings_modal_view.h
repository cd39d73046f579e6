#pragma once

#include <functional>

#include "catalogue/tilewell_store.h"
#include "views/controls/glass_button.h"
#include "views/controls/glass_switch.h"
#include "views/modals/glass_row.h"
#include "views/modals/launch_at_login_switch_row.h"
#include "views/modals/modal_layer.h"

namespace calyxa {

// The small settings panel over the grid while the store's showSettings is true: the loaded
// application count, position editing, launch at login, rescan, permissions, quit and close.
class QuickSettingsModalView final : public ModalLayer {
 public:
  // Every way of closing the panel.
  static Animation closeAnimation() { return Animation::spring(0.24, 1.0); }

  // `onQuit` ends the program (the application's quit when none is given).
  QuickSettingsModalView(TilewellStore& store, QWidget* parent = nullptr,
                         std::function<void()> onQuit = {},
                         FrameDriver& driver = FrameDriver::shared());

  void close();

  GlassButton& closeButton() { return *closeButton_; }
  GlassSwitch& editSwitch() { return *editSwitch_; }
  LaunchAtLoginSwitchRow& launchAtLoginRow() { return *loginRow_; }
  GlassButton& rescanButton() { return *rescanButton_; }
  GlassButton& permissionsButton() { return *permissionsButton_; }
  GlassButton& quitButton() { return *quitButton_; }
  GlassButton& doneButton() { return *doneButton_; }
  QString subtitle() const;

 protected:
  int layoutPanel(int width) override;

 private:
  void paintHeader(QPainter& painter);
  void showEditing(bool on, const Transaction& transaction);

  TilewellStore& store_;
  std::function<void()> onQuit_;
  GlassButton* closeButton_;
  GlassRow* editRow_;
  GlassSwitch* editSwitch_;
  LaunchAtLoginSwitchRow* loginRow_;
  GlassButton* rescanButton_;
  GlassButton* permissionsButton_;
  GlassButton* quitButton_;
  GlassButton* doneButton_;
};

}  // namespace calyxa
