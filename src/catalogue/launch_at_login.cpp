#include <system_error>

#include "catalogue/tilewell_store.h"
#include "platform/posix/plist_io.h"
#include "platform/utf8.h"

namespace calyxa {
namespace {

constexpr const char* kLaunchAgentLabel = "com.vantorel.tilewell";
constexpr const char* kLaunchAgentFileName = "com.vantorel.tilewell.plist";
constexpr const char* kLaunchedAtLoginArgument = "--launched-at-login";
constexpr const char* kInstalledExecutable = "/Applications/Calyxa.app/Contents/MacOS/Calyxa";

constexpr const char* kEnabledToast = "已开启开机自启动，下次登录将自动静默驻留";
constexpr const char* kNeedsApprovalToast =
    "已开启开机自启动，请在系统设置「登录项」中允许后台运行";
constexpr const char* kEnableFailedToast = "开机自启动开启失败，请确认应用位置与权限";
constexpr const char* kDisabledToast = "已关闭开机自启动";
constexpr const char* kDisableFailedToast = "开机自启动关闭失败，请确认登录项与文件权限";

bool isRegistered(LoginItemStatus status) {
  return status == LoginItemStatus::enabled || status == LoginItemStatus::requiresApproval;
}

void removeLaunchAgent(const std::filesystem::path& agent) {
  std::error_code ignored;
  std::filesystem::remove(agent, ignored);
}

// A property list string cannot carry these: the file would not read back.
bool isPlistText(std::string_view text) {
  if (!isValidUtf8(text)) return false;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && c != '\t' && c != '\n' && c != '\r') || byte == 0x7f) return false;
  }
  return true;
}

}  // namespace

std::string TilewellStore::resolveRealHomeDirectory() const {
  if (auto home = services.userDatabase->currentUserHomeDirectory(); home && !home->empty()) {
    return *home;
  }
  return services.homeDirectory.string();
}

std::filesystem::path TilewellStore::launchAgentPlistURL() const {
  return std::filesystem::path(resolveRealHomeDirectory()) / "Library" / "LaunchAgents" /
         kLaunchAgentFileName;
}

std::string TilewellStore::resolveExecutablePathForLaunchAgent() const {
  if (auto executable = services.processInfo->mainExecutablePath();
      executable && !executable->empty()) {
    return *executable;
  }
  const auto arguments = services.processInfo->arguments();
  if (!arguments.empty() && !arguments.front().empty()) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(arguments.front(), error);
    if (!error) {
      std::string path = absolute.lexically_normal().string();
      while (path.size() > 1 && path.ends_with('/'))
        path.pop_back();
      if (!path.empty()) return path;
    }
  }
  return kInstalledExecutable;
}

bool TilewellStore::writeLaunchAgentPlist(const std::string& executablePath) {
  if (!isPlistText(executablePath)) return false;
  const std::filesystem::path agent = launchAgentPlistURL();
  std::error_code error;
  std::filesystem::create_directories(agent.parent_path(), error);
  if (error) return false;
  const PlistDictionary document{
      {"Label", kLaunchAgentLabel},
      {"ProgramArguments", PlistArray{executablePath, kLaunchedAtLoginArgument}},
      {"RunAtLoad", true},
      {"KeepAlive", false},
      {"ProcessType", "Interactive"},
  };
  return writePlistFile(agent, document, PlistFormat::xml);
}

void TilewellStore::setLaunchAtLogin(bool enabled, bool showToast) {
  LoginItemService& loginItems = *services.loginItems;
  if (!enabled) {
    loginItems.unregisterMainApp();
    removeLaunchAgent(launchAgentPlistURL());
    refreshLaunchAtLoginState();
    // Whatever could not be removed still starts the program: saying otherwise would mislead.
    if (showToast) triggerToast(isLaunchAtLoginEnabled ? kDisableFailedToast : kDisabledToast);
    return;
  }

  const bool registered =
      loginItems.status() == LoginItemStatus::enabled || loginItems.registerMainApp();
  if (registered && isRegistered(loginItems.status())) {
    // The service starts the program now; the agent would start it a second time.
    removeLaunchAgent(launchAgentPlistURL());
    isLaunchAtLoginEnabled = true;
    if (showToast) {
      triggerToast(loginItems.status() == LoginItemStatus::requiresApproval ? kNeedsApprovalToast
                                                                            : kEnabledToast);
    }
    return;
  }

  // Where nothing starts a launch agent, writing one would report success for nothing.
  const bool written = loginItems.launchAgentsStartAtLogin() &&
                       writeLaunchAgentPlist(resolveExecutablePathForLaunchAgent());
  isLaunchAtLoginEnabled = written;
  if (showToast) triggerToast(written ? kEnabledToast : kEnableFailedToast);
}

void TilewellStore::toggleLaunchAtLogin() {
  setLaunchAtLogin(!isLaunchAtLoginEnabled, /*showToast=*/true);
}

void TilewellStore::refreshLaunchAtLoginState() {
  const bool registered = isRegistered(services.loginItems->status());
  const std::filesystem::path agent = launchAgentPlistURL();
  std::error_code error;
  // An agent left where nothing reads it starts nothing: it does not count.
  const bool agentPresent =
      services.loginItems->launchAgentsStartAtLogin() && std::filesystem::exists(agent, error);
  const bool enabled = registered || agentPresent;
  if (isLaunchAtLoginEnabled.get() != enabled) isLaunchAtLoginEnabled = enabled;
  if (agentPresent) repairLaunchAgent(agent);
}

void TilewellStore::repairLaunchAgent(const std::filesystem::path& agent) {
  // Anything but the expected shape is someone else's business and stays as it is.
  const auto document = readPlistFile(agent);
  const auto* dictionary = document ? document->as<PlistDictionary>() : nullptr;
  if (!dictionary) return;
  const auto found = dictionary->find("ProgramArguments");
  if (found == dictionary->end()) return;
  const auto* arguments = found->second.as<PlistArray>();
  if (!arguments || arguments->empty()) return;
  for (const auto& argument : *arguments) {
    if (!argument.is<std::string>()) return;
  }
  const std::string current = resolveExecutablePathForLaunchAgent();
  const std::filesystem::path started = *arguments->front().as<std::string>();
  // The agent follows the launcher when it moves. Another program building the store (a helper
  // tool beside the launcher) is not the launcher and never takes its place.
  if (started != current && started.filename() == std::filesystem::path(current).filename()) {
    writeLaunchAgentPlist(current);
  }
}

}  // namespace calyxa
