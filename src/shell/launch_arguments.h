#pragma once

#include <optional>
#include <string>
#include <vector>

#include "shell/session_bus.h"

namespace calyxa {

// What the command line asks of the launcher.
struct LaunchArguments {
  bool launchedAtLogin = false;
  // --toggle, --show, --hide: a command for the running launcher.
  std::optional<RemoteCommand> remoteCommand;
};

inline constexpr const char* kLauncherUsage =
    "usage: Calyxa [--launched-at-login]\n"
    "       Calyxa --toggle | --show | --hide\n"
    "       Calyxa --snapshot FILE.png [--size WxH] [--page N] [--search TEXT] [--edit]\n";

// Nothing for arguments it does not know, or more than one command.
std::optional<LaunchArguments> parseLaunchArguments(const std::vector<std::string>& arguments);

}  // namespace calyxa
