#include "platform/posix/linux_system_permissions.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/posix/evdev_device.h"
#include "platform/posix/process_spawn.h"

namespace calyxa {

LinuxSystemPermissions::LinuxSystemPermissions(std::filesystem::path inputDirectory,
                                               Launcher launch,
                                               std::optional<std::string> searchPath)
    : inputDirectory_(std::move(inputDirectory)),
      launch_(launch ? std::move(launch) : Launcher(spawnDetached)),
      searchPath_(std::move(searchPath)) {}

bool LinuxSystemPermissions::preflightListenEventAccess() {
  // Polled every few seconds: stop at the first device that will do.
  for (const auto& node : inputEventNodes(inputDirectory_)) {
    const auto device = EvdevDevice::open(node);
    if (device && (isTouchpad(device->get()) || isKeyboard(device->get()))) return true;
  }
  return false;
}

void LinuxSystemPermissions::openURL(const std::string& address) {
  // The Mac's settings panes have no handler here: xdg-open would hand them to a browser or
  // show an error. The onboarding explains the Linux way instead.
  if (address.starts_with("x-apple.")) return;
  std::string searchPath;
  if (searchPath_) {
    searchPath = *searchPath_;
  } else if (const char* path = std::getenv("PATH")) {
    searchPath = path;
  }
  const auto opener = findExecutable("xdg-open", searchPath);
  if (!opener) return;
  launch_(*opener, {"xdg-open", address});
}

std::optional<std::filesystem::path> findExecutable(std::string_view name,
                                                    std::string_view searchPath) {
  while (true) {
    const std::size_t end = searchPath.find(':');
    const std::string_view folder = searchPath.substr(0, end);
    // Only absolute folders: an empty or relative entry would depend on the working folder.
    if (folder.starts_with('/')) {
      const std::filesystem::path candidate = std::filesystem::path(folder) / name;
      struct stat info {};
      if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
          ::access(candidate.c_str(), X_OK) == 0) {
        return candidate;
      }
    }
    if (end == std::string_view::npos) return std::nullopt;
    searchPath.remove_prefix(end + 1);
  }
}

}  // namespace calyxa
