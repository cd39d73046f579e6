#pragma once

#include <optional>
#include <string>

#include "platform/platform_services.h"

namespace calyxa::ctl {

// The launcher calyxa-ctl works for: "Calyxa" in the folder of calyxa-ctl.
std::optional<std::string> launcherBesideThisTool();

// The process's services as the launcher beside this tool would have them: whatever the store
// writes into a login item or launch agent names the launcher, never this tool.
PlatformServices makeLauncherPlatformServices();

}  // namespace calyxa::ctl
