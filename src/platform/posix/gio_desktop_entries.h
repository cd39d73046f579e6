#pragma once

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/desktop_entries.h"
#include "platform/dispatch.h"
#include "platform/posix/desktop_entry_files.h"

namespace calyxa {

// The desktop entries of $XDG_DATA_HOME and $XDG_DATA_DIRS as GIO reads, shows, launches and
// watches them. GLib reads those variables once per process, at its first use.
class GioDesktopEntries final : public DesktopEntrySource {
 public:
  // Launches run on `launches`, off the main thread; their outcome comes back on `mainQueue`.
  GioDesktopEntries(std::shared_ptr<MainQueue> mainQueue,
                    std::shared_ptr<BackgroundQueue> launches);

  std::vector<DesktopEntry> desktopEntries() override;
  void launch(const std::string& id, LaunchCompletion completion) override;
  // GIO reports changes in the GLib main context of the calling thread: under Qt, its event
  // loop; without a GLib loop running, never.
  std::unique_ptr<Watch> watchChanges(std::function<void()> onChange) override;

 private:
  struct ReadEntry {
    std::string id;
    FileStamp stamp;
    std::optional<DesktopEntry> shown;  // nothing when the menu leaves it out
  };

  std::shared_ptr<MainQueue> mainQueue_;
  std::shared_ptr<BackgroundQueue> launches_;
  std::unordered_map<std::string, ReadEntry> read_;  // by file, as the last listing found it
};

// Whether an entry found at `entryPath` belongs to the distribution: it lies in a data folder
// other than `userDataFolder`, /usr/local/share and the Flatpak and Snap export folders.
bool isDistributionEntry(const std::string& entryPath, const std::string& userDataFolder);

}  // namespace calyxa
