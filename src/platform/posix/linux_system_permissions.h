#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/system_permissions.h"

namespace calyxa {

// Linux has no accessibility trust to grant; watching input is possible exactly when the
// touchpads or keyboards in `inputDirectory` can be read, which only the system administrator
// changes, so the requests change nothing. Addresses go to xdg-open where it is installed.
class LinuxSystemPermissions final : public SystemPermissions {
 public:
  // Starts a program detached; the posix backend's spawnDetached.
  using Launcher =
      std::function<bool(const std::filesystem::path&, const std::vector<std::string>&)>;

  // `searchPath`: the folders to look for xdg-open in, as in $PATH; nothing means $PATH itself
  // at the time of the call.
  explicit LinuxSystemPermissions(std::filesystem::path inputDirectory = "/dev/input",
                                  Launcher launch = {},
                                  std::optional<std::string> searchPath = std::nullopt);

  bool isProcessTrusted() override { return false; }
  bool isProcessTrustedWithPrompt() override { return false; }
  bool preflightListenEventAccess() override;
  bool requestListenEventAccess() override { return preflightListenEventAccess(); }
  void openURL(const std::string& address) override;

 private:
  std::filesystem::path inputDirectory_;
  Launcher launch_;
  std::optional<std::string> searchPath_;
};

// The first executable file called `name` in the colon-separated folders of `searchPath`.
std::optional<std::filesystem::path> findExecutable(std::string_view name,
                                                    std::string_view searchPath);

}  // namespace calyxa
