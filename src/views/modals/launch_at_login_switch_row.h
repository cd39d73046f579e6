#pragma once

#include "catalogue/tilewell_store.h"
#include "views/controls/glass_switch.h"
#include "views/modals/glass_row.h"

namespace calyxa {

// The launch-at-login row of the settings and onboarding modals. Its switch shows the store's
// flag: turning it asks the store, and what the store then holds is what it shows.
class LaunchAtLoginSwitchRow final : public GlassRow {
 public:
  LaunchAtLoginSwitchRow(TilewellStore& store, QWidget* parent = nullptr,
                         FrameDriver& driver = FrameDriver::shared());

  GlassSwitch& toggle() { return *switch_; }

 private:
  void display(bool enabled, const Transaction& transaction);

  TilewellStore& store_;
  GlassSwitch* switch_;
};

}  // namespace calyxa
