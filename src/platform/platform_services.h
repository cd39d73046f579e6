#pragma once

#include <filesystem>
#include <functional>
#include <memory>

#include "platform/bookmarks.h"
#include "platform/bundle_reader.h"
#include "platform/contact_frame_source.h"
#include "platform/desktop_entries.h"
#include "platform/dispatch.h"
#include "platform/event_monitors.h"
#include "platform/file_system.h"
#include "platform/folder_chooser.h"
#include "platform/login_item_service.h"
#include "platform/media_clock.h"
#include "platform/preference_store.h"
#include "platform/process_info.h"
#include "platform/running_applications.h"
#include "platform/system_permissions.h"
#include "platform/system_root.h"
#include "platform/system_settings.h"
#include "platform/user_database.h"
#include "platform/user_defaults.h"
#include "platform/workspace.h"

namespace calyxa {

// Everything the program's logic asks of the operating system, in one bundle. Production code
// uses shared(); tests build their own bundle of fakes and hand it to the objects they test.
struct PlatformServices {
  std::shared_ptr<const MediaClock> clock;
  std::shared_ptr<MainQueue> mainQueue;
  std::shared_ptr<BackgroundQueue> backgroundQueue;
  std::shared_ptr<UserDefaults> defaults;
  std::shared_ptr<Workspace> workspace;
  SystemRoot systemRoot;
  // The process's home directory (the layout file lives under it).
  std::filesystem::path homeDirectory;
  // Gesture input: touch-surface frames, the event stream, the system's gesture preferences.
  std::shared_ptr<ContactFrameSource> contactFrames;
  std::shared_ptr<EventMonitors> eventMonitors;
  std::shared_ptr<PreferenceStore> preferences;
  std::shared_ptr<SystemSettings> systemSettings;
  // The application scan's view of the system (paths under systemRoot).
  std::shared_ptr<FileSystem> fileSystem;
  std::shared_ptr<BundleReader> bundles;
  std::shared_ptr<RunningApplicationSource> runningApplications;
  std::shared_ptr<UserDatabase> userDatabase;
  std::shared_ptr<Bookmarks> bookmarks;
  std::shared_ptr<FolderChooser> folderChooser;
  // Launch at login and the permissions the user grants.
  std::shared_ptr<ProcessInfo> processInfo;
  std::shared_ptr<LoginItemService> loginItems;
  std::shared_ptr<SystemPermissions> permissions;
  // The Linux desktop's own applications, catalogued beside the bundles; none: only bundles.
  std::shared_ptr<DesktopEntrySource> desktopEntries;

  // The process's services: installed ones, else the posix backend.
  static const PlatformServices& shared();

  // Makes `services` the process's services. Only before the first call of shared(); later
  // calls are refused (false), since objects built on the old services would keep them.
  static bool installShared(PlatformServices services);
};

// The posix backend: a RunLoop main queue, one serial background thread, defaults under
// $XDG_CONFIG_HOME/calyxa, the system root from CALYXA_SYSTEM_ROOT.
// What a toolkit puts in place of the posix backend's own pieces, so that everything built on
// them (event monitors dispatch to the main queue; running applications take their icons from
// the workspace) uses the toolkit's.
struct PlatformOverrides {
  std::shared_ptr<MainQueue> mainQueue;  // none: a RunLoop
  std::function<std::shared_ptr<Workspace>(std::shared_ptr<Workspace> posix, const SystemRoot&)>
      wrapWorkspace;  // none: the posix workspace
};

PlatformServices makePosixPlatformServices(const PlatformOverrides& overrides = {});

// The domain of the program's own user defaults.
inline constexpr const char* kDefaultsDomain = "com.vantorel.tilewell";

}  // namespace calyxa
