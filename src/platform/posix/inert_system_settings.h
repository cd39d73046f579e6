#pragma once

#include "platform/system_settings.h"

namespace calyxa {

// Linux has neither the settings tool nor a Dock: the preferences need no nudge to take effect.
class InertSystemSettings final : public SystemSettings {
 public:
  void activateSettings() override {}
  void restartDock() override {}
};

}  // namespace calyxa
