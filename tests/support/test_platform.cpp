#include "support/test_platform.h"

#include <cstdio>

#include "platform/posix/plist_preference_store.h"
#include "platform/posix/posix_bundle_reader.h"

namespace calyxa::testing {

PlatformServices TestPlatform::services() const {
  return PlatformServices{scheduler->clock(),
                          scheduler->mainQueue(),
                          scheduler->backgroundQueue(),
                          defaults,
                          workspace,
                          systemRoot,
                          home->path(),
                          contactFrames,
                          eventMonitors,
                          preferences,
                          systemSettings,
                          std::make_shared<TestFileSystem>(systemRoot, fileSystemFaults),
                          std::make_shared<PosixBundleReader>(systemRoot, localizations),
                          runningApplications,
                          userDatabase,
                          bookmarks,
                          folderChooser,
                          processInfo,
                          loginItems,
                          permissions,
                          desktopEntries};
}

std::shared_ptr<RecordingPreferenceStore> TestPlatform::makePreferences(const TempDir& home) {
  return std::make_shared<RecordingPreferenceStore>(
      std::make_shared<PlistPreferenceStore>(home / ".config/calyxa/Preferences", "test-host"));
}

TestStore::TestStore() : store(std::make_unique<TilewellStore>(platform.services(), pager)) {}

TestStore::TestStore(TestPlatform configured)
    : platform(std::move(configured)),
      store(std::make_unique<TilewellStore>(platform.services(), pager)) {}

AppItem makeApp(const std::string& name, bool isSystem, const std::string& bundleIdentifier) {
  const std::string path = (isSystem ? "/System/Applications/" : "/Applications/") + name + ".app";
  return AppItem{path, name,
                 name, bundleIdentifier.empty() ? "com.example." + name : bundleIdentifier,
                 path, isSystem};
}

std::vector<LaunchItem> slots(const std::vector<AppItem>& apps) {
  std::vector<LaunchItem> result;
  result.reserve(apps.size());
  for (const auto& app : apps)
    result.push_back(LaunchItem::app(app));
  return result;
}

std::vector<AppItem> numberedApps(int count) {
  std::vector<AppItem> apps;
  for (int i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "App %03d", i);
    apps.push_back(makeApp(name));
  }
  return apps;
}

std::vector<std::string> ids(const std::vector<LaunchItem>& items) {
  std::vector<std::string> result;
  result.reserve(items.size());
  for (const auto& item : items)
    result.push_back(item.id());
  return result;
}

}  // namespace calyxa::testing
