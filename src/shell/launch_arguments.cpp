#include "shell/launch_arguments.h"

namespace calyxa {

std::optional<LaunchArguments> parseLaunchArguments(const std::vector<std::string>& arguments) {
  LaunchArguments parsed;
  for (const auto& argument : arguments) {
    std::optional<RemoteCommand> command;
    if (argument == "--launched-at-login") {
      parsed.launchedAtLogin = true;
      continue;
    }
    if (argument == "--toggle") command = RemoteCommand::toggle;
    if (argument == "--show") command = RemoteCommand::show;
    if (argument == "--hide") command = RemoteCommand::hide;
    if (!command || parsed.remoteCommand) return std::nullopt;
    parsed.remoteCommand = command;
  }
  return parsed;
}

}  // namespace calyxa
