#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/tilewell_store.h"
#include "platform/platform_services.h"
#include "support/fakes.h"
#include "support/gesture_fakes.h"
#include "support/login_and_permission_fakes.h"
#include "support/manual_scheduler.h"
#include "support/scan_fakes.h"
#include "support/temp_dir.h"

namespace calyxa::testing {

// Fakes for every platform service, on a manual scheduler.
struct TestPlatform {
  std::shared_ptr<ManualScheduler> scheduler = ManualScheduler::make();
  std::shared_ptr<InMemoryUserDefaults> defaults = std::make_shared<InMemoryUserDefaults>();
  std::shared_ptr<FakeWorkspace> workspace = std::make_shared<FakeWorkspace>();
  SystemRoot systemRoot{"/nonexistent-calyxa-test-root"};
  // Stands for $HOME: the layout file goes to CalyxaData inside it.
  std::shared_ptr<TempDir> home = std::make_shared<TempDir>();
  std::shared_ptr<FakeContactFrameSource> contactFrames =
      std::make_shared<FakeContactFrameSource>();
  std::shared_ptr<FakeEventMonitors> eventMonitors = std::make_shared<FakeEventMonitors>();
  // Real preference files in the temporary home, with a record of the calls.
  std::shared_ptr<RecordingPreferenceStore> preferences = makePreferences(*home);
  std::shared_ptr<RecordingSystemSettings> systemSettings =
      std::make_shared<RecordingSystemSettings>();
  // The scan reads the real file system under systemRoot, with these faults on top, and real
  // bundles there, translated for these languages.
  std::shared_ptr<FileSystemFaults> fileSystemFaults = std::make_shared<FileSystemFaults>();
  std::vector<std::string> localizations{"zh-Hans", "zh_CN", "zh"};
  std::shared_ptr<FakeRunningApplications> runningApplications =
      std::make_shared<FakeRunningApplications>();
  std::shared_ptr<FakeUserDatabase> userDatabase = std::make_shared<FakeUserDatabase>();
  std::shared_ptr<FakeBookmarks> bookmarks = std::make_shared<FakeBookmarks>();
  std::shared_ptr<FakeFolderChooser> folderChooser = std::make_shared<FakeFolderChooser>();
  // The user database's home above is also where the launch agent goes: a test that lets the
  // agent be written points it at a temporary folder first.
  std::shared_ptr<FakeProcessInfo> processInfo = std::make_shared<FakeProcessInfo>();
  std::shared_ptr<FakeLoginItemService> loginItems = std::make_shared<FakeLoginItemService>();
  std::shared_ptr<FakeSystemPermissions> permissions = std::make_shared<FakeSystemPermissions>();
  std::shared_ptr<FakeDesktopEntries> desktopEntries = std::make_shared<FakeDesktopEntries>();

  PlatformServices services() const;

  static std::shared_ptr<RecordingPreferenceStore> makePreferences(const TempDir& home);
};

// Reads and sets the store's private state in tests.
class TilewellStoreInspector {
 public:
  static const std::filesystem::path& layoutFileURL(const TilewellStore& store) {
    return store.layoutFileURL;
  }
  static void scheduleDebouncedSave(TilewellStore& store) { store.scheduleDebouncedSave(); }
  static const std::unordered_map<std::string, Image>& iconCache(const TilewellStore& store) {
    return store.iconCache;
  }
  static void clearIconCache(TilewellStore& store) { store.iconCache.clear(); }
};

// A store on a test platform with its own pager.
struct TestStore {
  TestPlatform platform;
  PagerMotionController pager;
  std::unique_ptr<TilewellStore> store;

  TestStore();
  explicit TestStore(TestPlatform configured);
  TilewellStore& operator*() { return *store; }
  TilewellStore* operator->() { return store.get(); }
};

// An application record with the usual derivations from a name.
AppItem makeApp(const std::string& name, bool isSystem = false,
                const std::string& bundleIdentifier = "");

// Top-level application slots for `apps`.
std::vector<LaunchItem> slots(const std::vector<AppItem>& apps);

// `count` applications named "App 000", "App 001", ...
std::vector<AppItem> numberedApps(int count);

// Ids of the slots, in order.
std::vector<std::string> ids(const std::vector<LaunchItem>& items);

}  // namespace calyxa::testing
