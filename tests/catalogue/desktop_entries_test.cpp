#include <glib.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/posix/gio_desktop_entries.h"
#include "support/test_platform.h"

namespace calyxa {
namespace {

using namespace testing;
using Lines = std::vector<std::string>;

DesktopEntry makeEntry(const std::string& id, const std::string& name, bool isSystem = true,
                       std::vector<std::string> keywords = {}) {
  return DesktopEntry{id,      "/usr/share/applications/" + id, name, name, std::move(keywords),
                      isSystem};
}

Lines slotIDs(const TilewellStore& store) {
  return ids(store.items);
}

TEST(DesktopEntryStoreTest, EntriesAreApplicationsThatSearchAlsoFindsByKeyword) {
  TestPlatform platform;
  platform.desktopEntries->entries = {
      makeEntry("org.example.Viewer.desktop", "查看器", true, {"图像查看器", "photo"}),
      makeEntry("mine.desktop", "Mine", false), makeEntry("/not-an-id.desktop", "Impostor", false)};
  TestStore store(platform);

  EXPECT_EQ(slotIDs(*store), (Lines{"mine.desktop", "org.example.Viewer.desktop"}))
      << "the user's own first; a path never passes for a desktop file ID";
  const AppItem viewer = store->allAppsMap->at("org.example.Viewer.desktop");
  EXPECT_EQ(viewer.bundleIdentifier, "org.example.Viewer");
  EXPECT_TRUE(viewer.isSystemApp && viewer.isDesktopEntry());

  for (const auto& [query, found] :
       std::vector<std::pair<std::string, Lines>>{{"PHOTO", {"org.example.Viewer.desktop"}},
                                                  {"图像", {"org.example.Viewer.desktop"}},
                                                  {"org.example", {"org.example.Viewer.desktop"}},
                                                  {"mine", {"mine.desktop"}},
                                                  {"desktop", {}}}) {
    store->searchText = query;
    EXPECT_EQ(ids(store->filteredItems()), found) << query;
  }
  store->searchText = "";

  // Launching an entry goes to the desktop's launcher by id; a bundle to the workspace.
  std::vector<bool> outcomes;
  platform.desktopEntries->launchesSucceed = false;
  store->launchApp(viewer, {}, [&](bool started) { outcomes.push_back(started); });
  store->launchApp(makeApp("Safari"), {}, [&](bool started) { outcomes.push_back(started); });
  EXPECT_EQ(platform.desktopEntries->launched, (Lines{"org.example.Viewer.desktop"}));
  ASSERT_EQ(platform.workspace->opened.size(), 1u);
  EXPECT_EQ(platform.workspace->opened[0].path, "/Applications/Safari.app");
  EXPECT_EQ(outcomes, (std::vector<bool>{false, true}));
  platform.scheduler->advance(TilewellStore::kLaunchDismissDelay);
  EXPECT_FALSE(store->launchingAppID.get()) << "a failed start ends like any other";
}

TEST(DesktopEntryStoreTest, ChangesRescanSoonWithoutAToastKeepingTheArrangementInMemory) {
  TestPlatform platform;
  platform.desktopEntries->entries = {makeEntry("a.desktop", "A"), makeEntry("b.desktop", "B"),
                                      makeEntry("c.desktop", "C")};
  TestStore store(platform);
  const int listings = platform.desktopEntries->listings;
  // A folder of two, open, then an edit whose save is still waiting.
  store->createOrMergeIntoFolder(store->items->at(2), store->items->at(1));
  platform.scheduler->advance(TilewellStore::kToastDuration + 1.0);
  store->activeFolder = *store->items->at(1).asFolder();
  store->moveItemStep(store->items->at(1), -1);
  ASSERT_TRUE(store->items->size() == 2 && store->items->at(0).isFolder());

  // An installation: new entry, one gone, several notices in a row.
  platform.desktopEntries->entries = {makeEntry("c.desktop", "C"), makeEntry("a.desktop", "A"),
                                      makeEntry("z-new.desktop", "Z"),
                                      makeEntry("0-newer.desktop", "0")};
  platform.desktopEntries->changed();
  platform.scheduler->advance(0.3);
  platform.desktopEntries->changed();
  EXPECT_EQ(platform.desktopEntries->listings, listings) << "not at once";
  platform.scheduler->advance(TilewellStore::kInstalledAppsRefreshDelay - 0.3);
  EXPECT_EQ(platform.desktopEntries->listings, listings + 1) << "once, within the delay";
  EXPECT_EQ(slotIDs(*store), (Lines{"c.desktop", "a.desktop", "0-newer.desktop", "z-new.desktop"}))
      << "the folder lost b and dissolved in place; new entries at the end";
  EXPECT_FALSE(store->activeFolder.get()) << "its modal closes with it";
  EXPECT_FALSE(store->statusToast.get());
  platform.scheduler->advance(1.0);

  // While an icon is dragged the refresh waits for the drop.
  platform.desktopEntries->entries.pop_back();
  store->draggingItem = store->items->at(0);
  platform.desktopEntries->changed();
  platform.scheduler->advance(2.0);
  EXPECT_EQ(store->items->size(), 4u);
  store->draggingItem = std::nullopt;
  platform.scheduler->advance(TilewellStore::kInstalledAppsRefreshDelay);
  EXPECT_EQ(slotIDs(*store), (Lines{"c.desktop", "a.desktop", "z-new.desktop"}));

  // A destroyed store stops listening.
  store.store.reset();
  platform.desktopEntries->changed();
  platform.scheduler->advance(2.0);
}

// The real GIO index over data folders of the test's own, watched while the store runs. GIO
// reads the variables once per process: they are set before its first use.
TEST(GioDesktopEntriesTest, AnEntryInstalledWhileRunningAppearsAfterTheMonitorFires) {
  TempDir data;
  ::setenv("XDG_DATA_HOME", (data / "home").c_str(), 1);
  ::setenv("XDG_DATA_DIRS", (data / "share").c_str(), 1);
  ::setenv("XDG_CURRENT_DESKTOP", "GNOME", 1);
  const auto write = [&](const std::string& relative, const std::string& name) {
    data.write(relative, "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=true\n");
  };
  write("share/applications/first.desktop", "First");
  std::filesystem::create_directories(data / "home/applications");

  TestPlatform platform;
  auto launches = platform.scheduler->backgroundQueue();
  auto gio = std::make_shared<GioDesktopEntries>(platform.scheduler->mainQueue(), launches);
  // The store on the real index, with everything else faked.
  PlatformServices services = platform.services();
  services.desktopEntries = gio;
  PagerMotionController pager;
  TilewellStore live(services, pager);
  EXPECT_EQ(ids(live.items), (Lines{"first.desktop"}));

  // GIO's monitor reports through the GLib main context, as Qt's event loop runs it.
  const auto waitForTheMonitor = [&] {
    bool gaveUp = false;
    const guint guard = g_timeout_add_seconds(
        10,
        [](gpointer flag) -> gboolean {
          *static_cast<bool*>(flag) = true;
          return G_SOURCE_REMOVE;
        },
        &gaveUp);
    const int waiting = platform.scheduler->pendingCount(ManualScheduler::Lane::main);
    while (platform.scheduler->pendingCount(ManualScheduler::Lane::main) == waiting && !gaveUp)
      g_main_context_iteration(nullptr, TRUE);
    if (!gaveUp) g_source_remove(guard);
    platform.scheduler->advance(TilewellStore::kInstalledAppsRefreshDelay);
    return !gaveUp;
  };
  write("home/applications/installed.desktop", "Installed");
  ASSERT_TRUE(waitForTheMonitor()) << "the monitor never fired";
  EXPECT_EQ(ids(live.items), (Lines{"first.desktop", "installed.desktop"}));
  EXPECT_FALSE(live.allAppsMap->at("installed.desktop").isSystemApp);

  // Later changes are reported too; a file rewritten in place (same size, same second) is read
  // again, a removed one is gone.
  write("share/applications/first.desktop", "Fjrst");
  std::filesystem::remove(data / "home/applications/installed.desktop");
  ASSERT_TRUE(waitForTheMonitor()) << "the monitor fired only once";
  EXPECT_EQ(ids(live.items), (Lines{"first.desktop"}));
  EXPECT_EQ(live.allAppsMap->at("first.desktop").name, "Fjrst");
}

TEST(GioDesktopEntriesTest, OnlyDistributionFoldersMakeSystemApplications) {
  for (const auto& [path, system] : std::vector<std::pair<std::string, bool>>{
           {"/home/u/.local/share/applications/a.desktop", false},
           {"/home/u/.local/share/flatpak/exports/share/applications/f.desktop", false},
           {"/usr/local/share/applications/l.desktop", false},
           {"/var/lib/flatpak/exports/share/applications/f.desktop", false},
           {"/var/lib/snapd/desktop/applications/s.desktop", false},
           {"/usr/share/applications/kde/k.desktop", true},
           {"/opt/vendor/share/applications/v.desktop", true},
           {"/usr/share/applicationsX/odd.desktop", true}}) {
    EXPECT_EQ(isDistributionEntry(path, "/home/u/.local/share/"), system) << path;
  }
}

}  // namespace
}  // namespace calyxa
