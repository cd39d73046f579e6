#include <gtest/gtest.h>

#include <algorithm>

#include "support/app_bundle_tree.h"
#include "support/test_platform.h"
#include "support/transaction_recorder.h"

namespace calyxa {
namespace {

using testing::ManualScheduler;
using testing::TempDir;
using testing::TestPlatform;
using testing::TestStore;
using testing::TransactionRecorder;

constexpr const char* kSettingsAddress =
    "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility";

// A store over a system root of the test's own.
class PermissionsTest : public ::testing::Test {
 protected:
  PermissionsTest() {
    platform.systemRoot = SystemRoot(root.path());
    platform.userDatabase->home = realHome.path().string();
    std::filesystem::create_directories(root / "Applications");
  }

  TestStore& start() { return *(store = std::make_unique<TestStore>(platform)); }
  TilewellStore& refreshed() {
    (*store)->refreshPermissionStates();
    return **store;
  }
  // Fills /Applications with `count` entries, bundles or not.
  void applicationsEntries(int count, bool bundles = false) {
    std::filesystem::remove_all(root / "Applications");
    std::filesystem::create_directories(root / "Applications");
    for (int i = 0; i < count; ++i) {
      const std::string name = "Entry " + std::to_string(i);
      if (bundles) {
        testing::writeAppBundle(root.path(), "/Applications/" + name + ".app", {});
      } else {
        root.write("Applications/" + name, "");
      }
    }
  }
  // Counts what the store publishes of each kind from now on.
  std::unique_ptr<TransactionRecorder> record() {
    return std::make_unique<TransactionRecorder>((*store)->changes);
  }

  TempDir root, realHome;
  TestPlatform platform;
  std::unique_ptr<TestStore> store;
};

TEST_F(PermissionsTest, FolderAccessNeedsMoreThanThreeEntriesOrAStoredBookmark) {
  applicationsEntries(3);
  start();
  EXPECT_FALSE(refreshed().hasGrantedFolderAccess);
  applicationsEntries(4);
  EXPECT_TRUE(refreshed().hasGrantedFolderAccess);

  // Turning false rescans nothing and shows nothing.
  applicationsEntries(3);
  const auto changes = record();
  const int listings = platform.fileSystemFaults->listings;
  EXPECT_FALSE(refreshed().hasGrantedFolderAccess);
  EXPECT_EQ(platform.fileSystemFaults->listings, listings + 1);
  EXPECT_EQ(changes->of("allAppsMap").size(), 0u);
  EXPECT_FALSE((*store)->statusToast.get());

  // Unreadable: only a stored bookmark, of any content and whether it resolves or not, grants.
  platform.fileSystemFaults->unlistable.insert("/Applications");
  applicationsEntries(10);
  EXPECT_FALSE(refreshed().hasGrantedFolderAccess);
  platform.defaults->setData("Calyxa.AppsBookmark", {'n', 'o', 't'});
  EXPECT_TRUE(refreshed().hasGrantedFolderAccess);
  EXPECT_TRUE(platform.bookmarks->accessed.empty()) << "the refresh does not resolve it";
  platform.defaults->setBool("Calyxa.AppsBookmark", true);  // not data
  EXPECT_FALSE(refreshed().hasGrantedFolderAccess);
}

TEST_F(PermissionsTest, AGrantRescansOnlyACatalogueOfAtMostEightyNineApplications) {
  applicationsEntries(4, /*bundles=*/true);
  start();
  for (const int size : {89, 90}) {
    SCOPED_TRACE(size);
    std::map<std::string, AppItem> catalogue;
    for (const auto& app : testing::numberedApps(size))
      catalogue.emplace(app.id, app);
    (*store)->allAppsMap = catalogue;
    (*store)->hasGrantedFolderAccess = false;
    (*store)->statusToast = std::nullopt;

    const auto changes = record();
    EXPECT_TRUE(refreshed().hasGrantedFolderAccess);
    EXPECT_EQ(changes->of("allAppsMap").size(), size == 89 ? 1u : 0u);
    EXPECT_EQ((*store)->totalAppsCount(), size == 89 ? 4 : 90);
    EXPECT_FALSE((*store)->statusToast.get()) << "the rescan is silent";

    // Already granted: nothing more, however small the catalogue.
    (*store)->allAppsMap = std::map<std::string, AppItem>{};
    changes->clear();
    (*store)->refreshPermissionStates();
    EXPECT_TRUE(changes->changes.empty());
  }
}

TEST_F(PermissionsTest, EitherSystemPermissionOrTheUsersWordGrantsGesturesAndRequestsAskBoth) {
  start();
  auto& permissions = *platform.permissions;
  struct Case {
    bool trusted, listens, confirmed, granted;
  };
  for (const Case c : {Case{false, false, false, false}, Case{true, false, false, true},
                       Case{false, true, false, true}, Case{true, true, false, true},
                       Case{false, false, true, true}}) {
    SCOPED_TRACE(::testing::Message() << c.trusted << c.listens << c.confirmed);
    permissions.trusted = c.trusted;
    permissions.listens = c.listens;
    platform.defaults->setBool("Calyxa.GesturePermissionConfirmed", c.confirmed);
    permissions.calls.clear();
    EXPECT_EQ(refreshed().hasGrantedGesturePermission.get(), c.granted);
    // Both system checks are asked every time, also when the first one says yes.
    EXPECT_EQ(permissions.calls,
              (std::vector<std::string>{"isProcessTrusted", "preflightListenEventAccess"}));

    // A second refresh finds nothing new and publishes nothing.
    const auto changes = record();
    (*store)->refreshPermissionStates();
    EXPECT_TRUE(changes->changes.empty());
  }

  // The user's word is kept, and outlives the process.
  permissions.trusted = permissions.listens = false;
  platform.defaults->values.clear();
  EXPECT_FALSE(refreshed().hasGrantedGesturePermission);
  (*store)->markGesturePermissionConfirmed();
  EXPECT_TRUE((*store)->hasGrantedGesturePermission);
  EXPECT_TRUE(platform.defaults->boolForKey("Calyxa.GesturePermissionConfirmed"));
  EXPECT_TRUE(start()->hasGrantedGesturePermission);

  // Requesting asks the system, opens the settings, then looks again.
  platform.defaults->values.clear();
  start();
  permissions.calls.clear();
  permissions.listens = true;  // the user granted it at the prompt
  (*store)->requestGesturePermission();
  EXPECT_EQ(permissions.calls, (std::vector<std::string>{
                                   "isProcessTrustedWithPrompt", "requestListenEventAccess",
                                   "openURL", "isProcessTrusted", "preflightListenEventAccess"}));
  EXPECT_TRUE((*store)->hasGrantedGesturePermission);
  (*store)->openAccessibilityPreferences();  // opens the same pane
  EXPECT_EQ(permissions.opened, (std::vector<std::string>{kSettingsAddress, kSettingsAddress}));
}

TEST_F(PermissionsTest, OnePollRunsEveryOneAndAHalfSecondsAndDiesWithTheStore) {
  start();
  ManualScheduler& scheduler = *platform.scheduler;
  EXPECT_EQ(scheduler.pendingCount(ManualScheduler::Lane::main), 1);
  (*store)->startPermissionPolling();
  (*store)->startPermissionPolling();
  EXPECT_EQ(scheduler.pendingCount(ManualScheduler::Lane::main), 1);

  const auto polls = [&] {
    return std::ranges::count(platform.permissions->calls, "preflightListenEventAccess");
  };
  platform.permissions->calls.clear();
  platform.permissions->listens = true;
  scheduler.advanceTo(1.25);
  EXPECT_EQ(polls(), 0);
  EXPECT_FALSE((*store)->hasGrantedGesturePermission);
  scheduler.advanceTo(1.5);
  EXPECT_EQ(polls(), 1);
  EXPECT_TRUE((*store)->hasGrantedGesturePermission);

  // It keeps going with everything granted, and a restart counts from the restart.
  scheduler.advanceTo(2.5);
  (*store)->startPermissionPolling();
  scheduler.advanceTo(3.5);
  EXPECT_EQ(polls(), 1);
  scheduler.advanceTo(4.0);
  EXPECT_EQ(polls(), 2);
  scheduler.advanceTo(19.0);
  EXPECT_EQ(polls(), 12);

  store.reset();
  scheduler.advanceTo(40.0);
  EXPECT_EQ(polls(), 12);
  EXPECT_EQ(scheduler.pendingCount(ManualScheduler::Lane::main), 0);
}

TEST_F(PermissionsTest, OnboardingShowsUntilCompletedAndReopensForThisRunOnly) {
  applicationsEntries(2, /*bundles=*/true);
  start();
  EXPECT_TRUE((*store)->showOnboarding) << "first run";

  const std::vector<Transaction> spring{Transaction{Animation::spring(0.3, 1.0)}};
  auto changes = record();
  (*store)->reopenOnboarding();
  EXPECT_EQ(changes->of("showOnboarding"), spring);

  // Completing rescans with the toast, even straight after a scan.
  (*store)->scanApplications(std::nullopt, false);
  changes = record();
  (*store)->completeOnboarding();
  EXPECT_FALSE((*store)->showOnboarding);
  EXPECT_EQ(changes->of("showOnboarding"), spring);
  EXPECT_EQ(changes->of("allAppsMap").size(), 1u);
  EXPECT_EQ((*store)->statusToast.get(), "已同步 2 款应用");
  EXPECT_TRUE(platform.defaults->boolForKey("Calyxa.hasCompletedOnboarding"));

  // The next start stays quiet; reopening shows it now, refreshed, and not on the start after.
  start();
  EXPECT_FALSE((*store)->showOnboarding);
  platform.permissions->calls.clear();
  changes = record();
  (*store)->reopenOnboarding();
  EXPECT_TRUE((*store)->showOnboarding);
  EXPECT_FALSE(platform.permissions->calls.empty());
  EXPECT_FALSE(start()->showOnboarding);
}

}  // namespace
}  // namespace calyxa
