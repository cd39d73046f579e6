#include <gtest/gtest.h>

#include <filesystem>

#include "gestures/system_gesture_conflict_resolver.h"
#include "platform/posix/file_io.h"
#include "platform/posix/plist_io.h"
#include "platform/posix/plist_preference_store.h"
#include "platform/posix/plist_user_defaults.h"
#include "support/gesture_fakes.h"
#include "support/temp_dir.h"

namespace calyxa {
namespace {

using testing::RecordingPreferenceStore;
using testing::RecordingSystemSettings;
using testing::TempDir;

constexpr std::string_view kTrackpad = "com.apple.AppleMultitouchTrackpad";
constexpr std::string_view kBluetooth = "com.apple.driver.AppleBluetoothMultitouch.trackpad";
constexpr std::string_view kDock = "com.apple.dock";
constexpr const char* kSnapshotKey = "Calyxa.SystemGestureSnapshot.v1";

TEST(PlistPreferenceStoreTest, KeepsOneFilePerDomainAndOnePerDomainAndThisHost) {
  TempDir dir;
  PlistPreferenceStore store(dir / "Preferences", "host-1");
  EXPECT_FALSE(store.copyValue("k", kDock, kPreferencesAnyHost));

  store.setValue("showLaunchpadGestureEnabled", PlistValue(true), kDock, kPreferencesAnyHost);
  store.setValue("autohide", PlistValue(std::int64_t{1}), kDock, kPreferencesAnyHost);
  store.setValue("g", PlistValue(2), kPreferencesAnyApplication, kPreferencesCurrentHost);
  store.setValue("g", PlistValue("any"), kPreferencesAnyApplication, kPreferencesAnyHost);

  const auto dock = readPlistFile(dir / "Preferences/com.apple.dock.plist");
  ASSERT_TRUE(dock);
  EXPECT_EQ(*dock, PlistValue(PlistDictionary{{"showLaunchpadGestureEnabled", true},
                                              {"autohide", std::int64_t{1}}}));
  EXPECT_EQ(*readPlistFile(dir / "Preferences/ByHost/.GlobalPreferences.host-1.plist"),
            PlistValue(PlistDictionary{{"g", 2}}));
  EXPECT_EQ(store.copyValue("g", kPreferencesAnyApplication, kPreferencesAnyHost),
            PlistValue("any"));
  EXPECT_EQ(store.copyValue("g", kPreferencesAnyApplication, kPreferencesCurrentHost),
            PlistValue(2));
  EXPECT_TRUE(store.synchronize(kDock, kPreferencesAnyHost));

  // Setting nothing deletes the key and only that key.
  store.setValue("showLaunchpadGestureEnabled", std::nullopt, kDock, kPreferencesAnyHost);
  EXPECT_EQ(*readPlistFile(dir / "Preferences/com.apple.dock.plist"),
            PlistValue(PlistDictionary{{"autohide", std::int64_t{1}}}));

  // Names that are no domain or no host scope touch nothing.
  for (const std::string_view domain : {"", "../escape", "a/b", ".hidden", "x\ny"})
    store.setValue("k", PlistValue(1), domain, kPreferencesAnyHost);
  store.setValue("k", PlistValue(1), kDock, "someOtherHost");
  EXPECT_FALSE(store.copyValue("autohide", kDock, "someOtherHost"));
  EXPECT_FALSE(store.synchronize("../escape", kPreferencesAnyHost));
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path())) {
    files += entry.is_regular_file();
  }
  EXPECT_EQ(files, 3u);
}

TEST(PlistPreferenceStoreTest, DamagedDomainsReadAsEmptyAndAreNeverWrittenBackTruncated) {
  TempDir dir;
  const std::string garbage = "<?xml version=\"1.0\"?><plist><dict><key>Trackpad";
  dir.write("Preferences/com.apple.AppleMultitouchTrackpad.plist", garbage);
  PlistPreferenceStore store(dir / "Preferences", "h");
  EXPECT_FALSE(store.copyValue("Trackpad", kTrackpad, kPreferencesAnyHost));
  store.setValue("TrackpadFourFingerPinchGesture", PlistValue(0), kTrackpad, kPreferencesAnyHost);
  EXPECT_EQ(store.copyValue("TrackpadFourFingerPinchGesture", kTrackpad, kPreferencesAnyHost),
            PlistValue(0));
  EXPECT_EQ(readFileBytes(dir / "Preferences/com.apple.AppleMultitouchTrackpad.plist.corrupt", 1024)
                .bytes,
            garbage);

  // A domain that cannot be read at all is left alone.
  std::filesystem::create_directories(dir / "Preferences/com.apple.dock.plist/inside");
  store.setValue("showLaunchpadGestureEnabled", PlistValue(0), kDock, kPreferencesAnyHost);
  EXPECT_FALSE(store.copyValue("showLaunchpadGestureEnabled", kDock, kPreferencesAnyHost));
  EXPECT_FALSE(store.synchronize(kDock, kPreferencesAnyHost));
  EXPECT_TRUE(std::filesystem::exists(dir / "Preferences/com.apple.dock.plist/inside"));
}

// The resolver over preference files and defaults in a temporary folder.
struct ResolverBench {
  TempDir dir;
  std::shared_ptr<PlistUserDefaults> defaults =
      std::make_shared<PlistUserDefaults>(dir / "calyxa", "com.vantorel.tilewell");
  std::shared_ptr<RecordingPreferenceStore> preferences =
      std::make_shared<RecordingPreferenceStore>(
          std::make_shared<PlistPreferenceStore>(dir / "calyxa/Preferences", "this-host"));
  std::shared_ptr<RecordingSystemSettings> settings = std::make_shared<RecordingSystemSettings>();

  // A resolver of its own each time, as after a restart of the program.
  SystemGestureConflictResolver resolver() const {
    PlatformServices services;
    services.defaults = defaults;
    services.preferences = preferences;
    services.systemSettings = settings;
    return SystemGestureConflictResolver(services);
  }
  std::optional<PlistValue> value(std::string_view domain, std::string_view key,
                                  std::string_view host = kPreferencesAnyHost) const {
    return preferences->copyValue(key, domain, host);
  }
  // Every preference file, as bytes.
  std::map<std::string, std::string> files() const {
    std::map<std::string, std::string> contents;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(dir / "calyxa/Preferences")) {
      if (entry.is_regular_file()) {
        contents[entry.path().string()] = readFileBytes(entry.path(), 1 << 20).bytes;
      }
    }
    return contents;
  }
};

TEST(SystemGestureConflictResolverTest, SwitchesOffTwiceAndRestoresExactlyTheValuesOfBefore) {
  ResolverBench bench;
  auto& prefs = *bench.preferences;
  // Before: absent, integer, boolean, string, integer on this host, absent, boolean; plus
  // neighbours that nobody may touch.
  prefs.setValue("TrackpadFiveFingerPinchGesture", PlistValue(2), kTrackpad, kPreferencesAnyHost);
  prefs.setValue("Clicking", PlistValue(true), kTrackpad, kPreferencesAnyHost);
  prefs.setValue("TrackpadFourFingerPinchGesture", PlistValue(true), kBluetooth,
                 kPreferencesAnyHost);
  prefs.setValue("TrackpadFiveFingerPinchGesture", PlistValue("on"), kBluetooth,
                 kPreferencesAnyHost);
  prefs.setValue("com.apple.trackpad.fourFingerPinchSwipeGesture", PlistValue(1),
                 kPreferencesAnyApplication, kPreferencesCurrentHost);
  prefs.setValue("showLaunchpadGestureEnabled", PlistValue(false), kDock, kPreferencesAnyHost);
  prefs.setValue("orientation", PlistValue("left"), kDock, kPreferencesAnyHost);
  const auto before = bench.files();
  prefs.writes.clear();

  auto resolver = bench.resolver();
  EXPECT_FALSE(resolver.hasTakenOverSystemGestures());
  resolver.disableConflictingGestures(false);
  EXPECT_TRUE(resolver.hasTakenOverSystemGestures());

  const PlistDictionary expectedSnapshot = {
      {"com.apple.AppleMultitouchTrackpad::TrackpadFourFingerPinchGesture", "__QZV_ABSENT__"},
      {"com.apple.AppleMultitouchTrackpad::TrackpadFiveFingerPinchGesture", 2},
      {"com.apple.driver.AppleBluetoothMultitouch.trackpad::TrackpadFourFingerPinchGesture", true},
      {"com.apple.driver.AppleBluetoothMultitouch.trackpad::TrackpadFiveFingerPinchGesture",
       "__QZV_ABSENT__"},
      {"kCFPreferencesAnyApplication::com.apple.trackpad.fourFingerPinchSwipeGesture", 1},
      {"kCFPreferencesAnyApplication::com.apple.trackpad.fiveFingerPinchSwipeGesture",
       "__QZV_ABSENT__"},
      {"com.apple.dock::showLaunchpadGestureEnabled", false},
  };
  EXPECT_EQ(bench.defaults->dictionaryForKey(kSnapshotKey), expectedSnapshot);
  for (const auto& pref : resolver.managedKeys) {
    EXPECT_EQ(bench.value(pref.domain, pref.key, pref.host), PlistValue(0)) << pref.key;
  }
  // Each of the four domain and host pairs is synchronised once, in the order of the table.
  EXPECT_EQ(prefs.synchronizations,
            (std::vector<std::string>{
                "com.apple.AppleMultitouchTrackpad|kCFPreferencesAnyHost",
                "com.apple.driver.AppleBluetoothMultitouch.trackpad|kCFPreferencesAnyHost",
                "kCFPreferencesAnyApplication|kCFPreferencesCurrentHost",
                "com.apple.dock|kCFPreferencesAnyHost"}));
  EXPECT_EQ(bench.settings->calls, std::vector<std::string>{"activateSettings"});

  // A second switch-off (say after a crash) keeps the first snapshot, not the zeros.
  bench.resolver().disableConflictingGestures(true);
  EXPECT_EQ(bench.defaults->dictionaryForKey(kSnapshotKey), expectedSnapshot);
  EXPECT_EQ(bench.settings->calls,
            (std::vector<std::string>{"activateSettings", "activateSettings", "restartDock"}));

  // Restoring brings back every value with its type, deletes what did not exist (and the
  // string), and leaves the neighbours alone.
  bench.resolver().restoreOriginalGestures(false);
  EXPECT_FALSE(bench.resolver().hasTakenOverSystemGestures());
  EXPECT_EQ(bench.value(kTrackpad, "TrackpadFiveFingerPinchGesture"), PlistValue(2));
  EXPECT_EQ(bench.value(kBluetooth, "TrackpadFourFingerPinchGesture"), PlistValue(true));
  EXPECT_FALSE(bench.value(kBluetooth, "TrackpadFiveFingerPinchGesture"));
  EXPECT_EQ(bench.value(kDock, "showLaunchpadGestureEnabled"), PlistValue(false));
  auto expectedFiles = before;
  for (auto& [path, bytes] : expectedFiles) {
    if (path.ends_with("com.apple.driver.AppleBluetoothMultitouch.trackpad.plist")) {
      PlistDictionary only = {{"TrackpadFourFingerPinchGesture", true}};
      bytes = *serializePlist(PlistValue(only), PlistFormat::xml);
    }
  }
  const auto after = bench.files();
  EXPECT_EQ(after.size(), expectedFiles.size());
  for (const auto& [path, bytes] : expectedFiles) {
    ASSERT_TRUE(after.contains(path)) << path;
    EXPECT_EQ(after.at(path), bytes) << path;
  }
  EXPECT_EQ(bench.settings->calls.back(), "activateSettings");

  // Restoring again finds no snapshot and does nothing at all.
  const auto writes = prefs.writes.size();
  const auto synchronizations = prefs.synchronizations.size();
  const auto calls = bench.settings->calls.size();
  bench.resolver().restoreOriginalGestures(true);
  EXPECT_EQ(prefs.writes.size(), writes);
  EXPECT_EQ(prefs.synchronizations.size(), synchronizations);
  EXPECT_EQ(bench.settings->calls.size(), calls);
  EXPECT_EQ(bench.files(), after);
}

TEST(SystemGestureConflictResolverTest, UntouchedTrackpadRestoresByDeletingAllSeven) {
  ResolverBench bench;
  bench.resolver().disableConflictingGestures(false);
  const auto snapshot = bench.defaults->dictionaryForKey(kSnapshotKey);
  ASSERT_TRUE(snapshot);
  EXPECT_EQ(snapshot->size(), 7u);
  for (const auto& [key, value] : *snapshot)
    EXPECT_EQ(value, PlistValue("__QZV_ABSENT__")) << key;
  bench.resolver().restoreOriginalGestures(false);
  for (const auto& pref : bench.resolver().managedKeys)
    EXPECT_FALSE(bench.value(pref.domain, pref.key, pref.host)) << pref.key;
  EXPECT_FALSE(bench.defaults->object(kSnapshotKey));
}

TEST(SystemGestureConflictResolverTest, DamagedSnapshotsAndDefaultsLoseNothing) {
  // A snapshot entry that is missing or of another kind deletes its preference on restore.
  {
    ResolverBench bench;
    bench.defaults->setDictionary(
        kSnapshotKey, {{"com.apple.dock::showLaunchpadGestureEnabled", PlistArray{1}},
                       {"com.apple.AppleMultitouchTrackpad::TrackpadFourFingerPinchGesture", 3}});
    bench.preferences->setValue("showLaunchpadGestureEnabled", PlistValue(0), kDock,
                                kPreferencesAnyHost);
    bench.resolver().restoreOriginalGestures(false);
    EXPECT_FALSE(bench.value(kDock, "showLaunchpadGestureEnabled"));
    EXPECT_EQ(bench.value(kTrackpad, "TrackpadFourFingerPinchGesture"), PlistValue(3));
  }
  // Defaults that cannot be written: the values could not be given back, so nothing changes.
  {
    ResolverBench bench;
    bench.preferences->setValue("showLaunchpadGestureEnabled", PlistValue(true), kDock,
                                kPreferencesAnyHost);
    std::filesystem::create_directories(bench.dir / "calyxa/com.vantorel.tilewell.plist/x");
    auto resolver = bench.resolver();
    resolver.disableConflictingGestures(true);
    EXPECT_FALSE(resolver.hasTakenOverSystemGestures());
    EXPECT_EQ(bench.value(kDock, "showLaunchpadGestureEnabled"), PlistValue(true));
    EXPECT_TRUE(bench.settings->calls.empty());
  }
  // A malformed defaults file reads as empty and is kept aside; the switch-off goes on.
  {
    ResolverBench bench;
    bench.dir.write("calyxa/com.vantorel.tilewell.plist", "<plist><dict><key>");
    bench.resolver().disableConflictingGestures(false);
    EXPECT_TRUE(bench.resolver().hasTakenOverSystemGestures());
    EXPECT_EQ(readFileBytes(bench.dir / "calyxa/com.vantorel.tilewell.plist.corrupt", 64).bytes,
              "<plist><dict><key>");
  }
}

}  // namespace
}  // namespace calyxa
