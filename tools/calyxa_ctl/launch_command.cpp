// calyxa-ctl launch: starts an application of the catalogue as the launcher does.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/tilewell_store.h"
#include "commands.h"
#include "platform/posix/run_loop.h"

namespace calyxa::ctl {
namespace {

constexpr const char* kUsageText = "usage: calyxa-ctl launch ID\n";
// GIO gives up on a D-Bus activation after 25 s; a start never takes longer than that.
constexpr double kLaunchTimeout = 30.0;

}  // namespace

int runLaunch(const std::vector<std::string>& arguments) {
  if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
    std::printf(
        "%s\n"
        "Starts the application with catalogue id ID (a bundle's path such as\n"
        "/Applications/Safari.app, or a desktop file ID such as org.gnome.TextEditor.desktop)\n"
        "the way the launcher does.\n",
        kUsageText);
    return 0;
  }
  if (arguments.size() != 1) {
    std::fprintf(stderr, "calyxa-ctl launch: %s\n%s",
                 arguments.empty() ? "no application id" : "one application id only", kUsageText);
    return EX_USAGE;
  }
  const std::string& id = arguments[0];
  auto loop = std::dynamic_pointer_cast<RunLoop>(PlatformServices::shared().mainQueue);
  TilewellStore& store = TilewellStore::shared();
  store.flushPendingSave();
  const auto found = store.allAppsMap->find(id);
  if (found == store.allAppsMap->end()) {
    std::fprintf(stderr, "calyxa-ctl launch: no application \"%s\" in the catalogue\n", id.c_str());
    return EX_USAGE;
  }

  auto outcome = std::make_shared<std::optional<bool>>();
  store.launchApp(found->second, {}, [outcome](bool started) { *outcome = started; });
  if (loop) loop->runUntil([&] { return outcome->has_value(); }, kLaunchTimeout);
  if (outcome->value_or(false)) return 0;
  std::fprintf(stderr, "calyxa-ctl launch: %s could not be started\n", id.c_str());
  return EX_UNAVAILABLE;
}

}  // namespace calyxa::ctl
