#pragma once

#include "catalogue/tilewell_store.h"
#include "views/controls/glass_button.h"
#include "views/modals/glass_row.h"
#include "views/modals/launch_at_login_switch_row.h"
#include "views/modals/modal_layer.h"

namespace calyxa {

class InputGroupHint;

// The first-run panel over everything while the store's showOnboarding is true: the two
// permissions with their state, the launch-at-login row, and the button that ends onboarding.
// Its dimming layer keeps clicks from the grid and closes nothing.
//
// On Linux the folder permission is read access to the applications folders the scan reads,
// and the gesture permission is read access to the touchpad and keyboard devices, which only
// membership of the `input` group gives: asking for it shows how to join that group.
class OnboardingModalView final : public ModalLayer {
 public:
  OnboardingModalView(TilewellStore& store, QWidget* parent = nullptr,
                      FrameDriver& driver = FrameDriver::shared());

  GlassRow& folderRow() { return *folderRow_; }
  GlassRow& gestureRow() { return *gestureRow_; }
  GlassButton& folderButton() { return *folderButton_; }
  GlassButton& gestureButton() { return *gestureButton_; }
  GlassButton& confirmedButton() { return *confirmedButton_; }
  LaunchAtLoginSwitchRow& launchAtLoginRow() { return *loginRow_; }
  GlassButton& enterButton() { return *enterButton_; }
  // The instructions for joining the input group, shown after asking for the gesture permission
  // while it is missing.
  bool showsInputGroupHint() const;
  QString inputGroupCommand() const;

 protected:
  int layoutPanel(int width) override;

 private:
  void refreshRows();
  void paintHeader(QPainter& painter);
  double headerHeight(int width) const;

  TilewellStore& store_;
  GlassRow* folderRow_;
  GlassButton* folderButton_;
  GlassRow* gestureRow_;
  GlassButton* gestureButton_;
  GlassButton* confirmedButton_;
  InputGroupHint* hint_;
  LaunchAtLoginSwitchRow* loginRow_;
  GlassButton* enterButton_;
};

}  // namespace calyxa
