#include "platform/platform_services.h"

#include <mutex>
#include <optional>

#include "platform/posix/evdev_contact_frame_source.h"
#include "platform/posix/gio_desktop_entries.h"
#include "platform/posix/inert_system_settings.h"
#include "platform/posix/linux_system_permissions.h"
#include "platform/posix/path_bookmarks.h"
#include "platform/posix/plist_preference_store.h"
#include "platform/posix/plist_user_defaults.h"
#include "platform/posix/posix_bundle_reader.h"
#include "platform/posix/posix_event_monitors.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_media_clock.h"
#include "platform/posix/posix_paths.h"
#include "platform/posix/posix_user_database.h"
#include "platform/posix/posix_workspace.h"
#include "platform/posix/proc_process_info.h"
#include "platform/posix/proc_running_applications.h"
#include "platform/posix/process_spawn.h"
#include "platform/posix/run_loop.h"
#include "platform/posix/serial_background_queue.h"
#include "platform/posix/unavailable_folder_chooser.h"
#include "platform/posix/xdg_autostart_login_items.h"

namespace calyxa {
namespace {

struct SharedSlot {
  std::mutex mutex;
  std::optional<PlatformServices> services;
  bool used = false;
};

SharedSlot& sharedSlot() {
  static SharedSlot slot;
  return slot;
}

}  // namespace

PlatformServices makePosixPlatformServices(const PlatformOverrides& overrides) {
  auto clock = std::make_shared<PosixMediaClock>();
  const SystemRoot root = SystemRoot::fromEnvironment();
  std::shared_ptr<MainQueue> mainQueue = overrides.mainQueue;
  if (!mainQueue) mainQueue = std::make_shared<RunLoop>(clock);
  // Programs are started from a thread of their own, never from the main one.
  auto launches = std::make_shared<SerialBackgroundQueue>(clock);
  std::shared_ptr<Workspace> workspace =
      std::make_shared<PosixWorkspace>(root, mainQueue, launches);
  if (overrides.wrapWorkspace) workspace = overrides.wrapWorkspace(workspace, root);
  auto bundles = std::make_shared<PosixBundleReader>(root, preferredBundleLocalizations());
  auto process = std::make_shared<ProcProcessInfo>();
  return PlatformServices{
      clock,
      mainQueue,
      std::make_shared<SerialBackgroundQueue>(clock),
      std::make_shared<PlistUserDefaults>(calyxaConfigDirectory(), kDefaultsDomain),
      workspace,
      root,
      processHomeDirectory(),
      std::make_shared<EvdevContactFrameSource>(),
      std::make_shared<PosixEventMonitors>(mainQueue),
      std::make_shared<PlistPreferenceStore>(calyxaConfigDirectory() / "Preferences",
                                             currentHostIdentifier()),
      std::make_shared<InertSystemSettings>(),
      std::make_shared<PosixFileSystem>(root),
      bundles,
      std::make_shared<ProcRunningApplications>(root, bundles, workspace),
      std::make_shared<PosixUserDatabase>(),
      std::make_shared<PathBookmarks>(root),
      std::make_shared<UnavailableFolderChooser>(),
      process,
      std::make_shared<XdgAutostartLoginItems>(xdgAutostartDirectory(), process),
      // Like applications, the opener of addresses starts off the main thread.
      std::make_shared<LinuxSystemPermissions>(
          "/dev/input",
          [launches](const std::filesystem::path& program, const std::vector<std::string>& args) {
            launches->asyncAfter(0.0, [program, args] { spawnDetached(program, args); });
            return true;
          }),
      std::make_shared<GioDesktopEntries>(mainQueue, launches),
  };
}

const PlatformServices& PlatformServices::shared() {
  SharedSlot& slot = sharedSlot();
  std::lock_guard lock(slot.mutex);
  if (!slot.services) slot.services = makePosixPlatformServices();
  slot.used = true;
  return *slot.services;
}

bool PlatformServices::installShared(PlatformServices services) {
  SharedSlot& slot = sharedSlot();
  std::lock_guard lock(slot.mutex);
  if (slot.used) return false;
  slot.services = std::move(services);
  return true;
}

}  // namespace calyxa
