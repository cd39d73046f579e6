// calyxa-ctl: drives the launcher's logic without a window.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "commands.h"
#include "launcher_services.h"

namespace {

struct Command {
  std::string_view name;
  std::string_view synopsis;
  int (*run)(const std::vector<std::string>& arguments);
};

const Command kCommands[] = {
    {"help", "help                      show this help", calyxa::ctl::runHelp},
    {"catalogue",
     "catalogue [--extra-directory DIR]\n"
     "                            scan the application folders, save the layout file, print\n"
     "                            the arrangement and the catalogue",
     calyxa::ctl::runCatalogue},
    {"touchpad",
     "touchpad replay FILE      print the pinches the recogniser finds in a frame file\n"
     "  touchpad record FILE      record the touchpads' contact frames until interrupted\n"
     "  touchpad watch            print the pinches made on the touchpads until interrupted",
     calyxa::ctl::runTouchpad},
    {"gestures",
     "gestures status           whether the system pinch gestures are switched off; values\n"
     "  gestures disable          switch them off, keeping their values of before\n"
     "  gestures restore          give them back exactly as they were\n"
     "                            (both: --restart-dock also restarts the Dock)",
     calyxa::ctl::runGestures},
    {"arrange",
     "arrange [--dry-run]       apply arrangement operations read from standard input, one\n"
     "                            a line (see calyxa-ctl arrange --help)",
     calyxa::ctl::runArrange},
    {"login-item",
     "login-item status|on|off  whether the launcher starts at login (on or off); switch it\n"
     "                            on or off, printing the launcher's message",
     calyxa::ctl::runLoginItem},
};

}  // namespace

namespace calyxa::ctl {

int runHelp(const std::vector<std::string>&) {
  std::printf(
      "usage: calyxa-ctl COMMAND [ARGUMENTS]\n"
      "\n"
      "Drives the Calyxa launcher's logic without a window.\n"
      "\n"
      "commands:\n");
  for (const auto& command : kCommands) {
    std::printf("  %.*s\n", static_cast<int>(command.synopsis.size()), command.synopsis.data());
  }
  std::printf(
      "\n"
      "environment:\n"
      "  CALYXA_SYSTEM_ROOT   folder that stands for / when looking for applications\n"
      "  HOME                 home folder of the layout file (CalyxaData/tilewell_layout.json)\n"
      "  XDG_CONFIG_HOME      folder of the program's settings (default ~/.config)\n");
  return 0;
}

}  // namespace calyxa::ctl

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  if (arguments.empty() || arguments[0] == "--help" || arguments[0] == "-h") {
    return calyxa::ctl::runHelp({});
  }
  for (const auto& command : kCommands) {
    if (arguments[0] == command.name) {
      // Every command's store refreshes the login item: it must see the launcher, not this tool.
      calyxa::PlatformServices::installShared(calyxa::ctl::makeLauncherPlatformServices());
      return command.run({arguments.begin() + 1, arguments.end()});
    }
  }
  std::fprintf(stderr, "calyxa-ctl: unknown command \"%s\"; see calyxa-ctl help\n",
               arguments[0].c_str());
  return EX_USAGE;
}
