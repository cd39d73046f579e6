// calyxa-ctl login-item: whether the launcher starts at login, and switching it.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "catalogue/tilewell_store.h"
#include "commands.h"
#include "launcher_services.h"

namespace calyxa::ctl {
namespace {

constexpr const char* kUsageText = "usage: calyxa-ctl login-item status|on|off\n";

int usageError(const std::string& message) {
  std::fprintf(stderr, "calyxa-ctl login-item: %s\n%s", message.c_str(), kUsageText);
  return EX_USAGE;
}

}  // namespace

int runLoginItem(const std::vector<std::string>& arguments) {
  if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
    std::printf(
        "%s\n"
        "Whether the Calyxa launcher beside calyxa-ctl starts when the user logs in:\n"
        "  status  prints on or off\n"
        "  on      switches it on and prints the launcher's message about the outcome\n"
        "  off     switches it off and prints the launcher's message about the outcome\n",
        kUsageText);
    return 0;
  }
  if (arguments.empty()) return usageError("missing status, on or off");
  if (arguments.size() > 1) return usageError("too many arguments");
  const std::string& verb = arguments[0];
  if (verb != "status" && verb != "on" && verb != "off") {
    return usageError("unknown argument \"" + verb + "\"");
  }

  const auto launcher = launcherBesideThisTool();

  TilewellStore& store = TilewellStore::shared();
  if (verb == "status") {
    store.refreshLaunchAtLoginState();
    std::printf("%s\n", store.isLaunchAtLoginEnabled ? "on" : "off");
    return 0;
  }

  std::vector<std::string> toasts;
  const auto observation = store.statusToast.observe(
      [&toasts](const std::optional<std::string>& toast, const Transaction&) {
        if (toast) toasts.push_back(*toast);
      });
  store.setLaunchAtLogin(verb == "on", /*showToast=*/true);
  for (const auto& toast : toasts)
    std::printf("%s\n", toast.c_str());

  std::error_code error;
  if (verb == "on" && store.isLaunchAtLoginEnabled &&
      !(launcher && std::filesystem::exists(*launcher, error))) {
    std::fprintf(stderr,
                 "calyxa-ctl login-item: note: there is no launcher at %s yet; that is what will "
                 "start at login\n",
                 launcher ? launcher->c_str() : "(unknown)");
  }
  return 0;
}

}  // namespace calyxa::ctl
