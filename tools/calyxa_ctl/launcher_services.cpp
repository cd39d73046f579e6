#include "launcher_services.h"

#include <filesystem>
#include <memory>
#include <vector>

#include "platform/posix/proc_process_info.h"
#include "platform/posix/xdg_autostart_login_items.h"

namespace calyxa::ctl {
namespace {

constexpr const char* kLauncherName = "Calyxa";

// The process as the launcher beside calyxa-ctl sees itself.
class LauncherProcessInfo final : public ProcessInfo {
 public:
  explicit LauncherProcessInfo(std::optional<std::string> launcher)
      : launcher_(std::move(launcher)) {}
  std::optional<std::string> mainExecutablePath() override { return launcher_; }
  std::vector<std::string> arguments() override {
    if (!launcher_) return {};
    return {*launcher_};
  }

 private:
  std::optional<std::string> launcher_;
};

}  // namespace

std::optional<std::string> launcherBesideThisTool() {
  const auto tool = ProcProcessInfo().mainExecutablePath();
  if (!tool) return std::nullopt;
  return (std::filesystem::path(*tool).parent_path() / kLauncherName).string();
}

PlatformServices makeLauncherPlatformServices() {
  PlatformServices services = makePosixPlatformServices();
  auto process = std::make_shared<LauncherProcessInfo>(launcherBesideThisTool());
  services.processInfo = process;
  services.loginItems = std::make_shared<XdgAutostartLoginItems>(xdgAutostartDirectory(), process);
  return services;
}

}  // namespace calyxa::ctl
