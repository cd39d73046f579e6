#include "gestures/system_gesture_conflict_resolver.h"

#include <algorithm>
#include <functional>

namespace calyxa {
namespace {

std::vector<PrefKey> makeManagedKeys() {
  const std::string trackpad = "com.apple.AppleMultitouchTrackpad";
  const std::string bluetooth = "com.apple.driver.AppleBluetoothMultitouch.trackpad";
  const std::string global(kPreferencesAnyApplication);
  const std::string anyHost(kPreferencesAnyHost);
  const std::string currentHost(kPreferencesCurrentHost);
  return {
      {trackpad, "TrackpadFourFingerPinchGesture", anyHost, false},
      {trackpad, "TrackpadFiveFingerPinchGesture", anyHost, false},
      {bluetooth, "TrackpadFourFingerPinchGesture", anyHost, false},
      {bluetooth, "TrackpadFiveFingerPinchGesture", anyHost, false},
      {global, "com.apple.trackpad.fourFingerPinchSwipeGesture", currentHost, false},
      {global, "com.apple.trackpad.fiveFingerPinchSwipeGesture", currentHost, false},
      {"com.apple.dock", "showLaunchpadGestureEnabled", anyHost, true},
  };
}

}  // namespace

SystemGestureConflictResolver& SystemGestureConflictResolver::shared() {
  static SystemGestureConflictResolver resolver(PlatformServices::shared());
  return resolver;
}

SystemGestureConflictResolver::SystemGestureConflictResolver(const PlatformServices& services)
    : managedKeys(makeManagedKeys()),
      defaults_(services.defaults),
      preferences_(services.preferences),
      systemSettings_(services.systemSettings) {}

std::string SystemGestureConflictResolver::snapshotKey(const PrefKey& pref) {
  return pref.domain + "::" + pref.key;
}

namespace {

// The managed preferences by domain and host, in the order each pair first appears, so that
// each domain's file is read and written once per operation.
std::vector<std::vector<const PrefKey*>> byDomain(const std::vector<PrefKey>& keys) {
  std::vector<std::vector<const PrefKey*>> groups;
  for (const PrefKey& pref : keys) {
    const auto group = std::find_if(groups.begin(), groups.end(), [&](const auto& g) {
      return g.front()->domain == pref.domain && g.front()->host == pref.host;
    });
    if (group == groups.end()) {
      groups.push_back({&pref});
    } else {
      group->push_back(&pref);
    }
  }
  return groups;
}

// What switching off writes.
bool isOurZero(const std::optional<PlistValue>& value) {
  return value && value->is<std::int64_t>() && *value->as<std::int64_t>() == 0;
}

}  // namespace

SystemGestureConflictResolver::TakeOver SystemGestureConflictResolver::takeOverState() const {
  if (!defaults_ || !defaults_->isReadable()) return TakeOver::unknown;
  const auto snapshot = defaults_->object(snapshotDefaultsKey);
  if (!snapshot) return TakeOver::no;
  return snapshot->is<PlistDictionary>() ? TakeOver::yes : TakeOver::unknown;
}

bool SystemGestureConflictResolver::writePreferences(
    const std::function<std::optional<PlistValue>(const PrefKey&)>& valueFor) {
  bool written = true;
  for (const auto& group : byDomain(managedKeys)) {
    std::vector<PreferenceStore::Change> changes;
    for (const PrefKey* pref : group)
      changes.emplace_back(pref->key, valueFor(*pref));
    // Every domain is attempted, whatever happened to the others.
    written =
        preferences_->setValues(changes, group.front()->domain, group.front()->host) && written;
  }
  return written;
}

SystemGestureConflictResolver::Outcome SystemGestureConflictResolver::disableConflictingGestures(
    bool restartDock) {
  if (!defaults_ || !preferences_) return Outcome::failed;
  const TakeOver state = takeOverState();
  // Unreadable defaults may hold a snapshot: a new one could record the switched-off zeros.
  if (state == TakeOver::unknown) return Outcome::unknown;
  if (state == TakeOver::no) {
    PlistDictionary snapshot;
    bool allOurZeros = true;
    for (const auto& group : byDomain(managedKeys)) {
      std::vector<std::string> keys;
      for (const PrefKey* pref : group)
        keys.push_back(pref->key);
      const auto values =
          preferences_->copyValues(keys, group.front()->domain, group.front()->host);
      for (std::size_t i = 0; i < group.size(); ++i) {
        const auto& value = values[i];
        allOurZeros = allOurZeros && isOurZero(value);
        snapshot.insert_or_assign(
            snapshotKey(*group[i]),
            value && value->isNumber() ? *value : PlistValue(std::string(kAbsentMarker)));
      }
    }
    // Every preference at the integer 0 this program writes: switched off by an earlier run
    // whose snapshot is gone. Saving these would make a restore write zeros.
    if (allOurZeros) return Outcome::failed;
    const bool saved = defaults_->setDictionary(snapshotDefaultsKey, snapshot);
    defaults_->synchronize();
    if (!saved || defaults_->dictionaryForKey(snapshotDefaultsKey) != snapshot) {
      return Outcome::failed;
    }
  }
  const bool written = writePreferences([](const PrefKey&) { return PlistValue(0); });
  applySettings(restartDock);
  return written ? Outcome::done : Outcome::failed;
}

SystemGestureConflictResolver::Outcome SystemGestureConflictResolver::restoreOriginalGestures(
    bool restartDock) {
  if (!defaults_ || !preferences_) return Outcome::failed;
  const TakeOver state = takeOverState();
  if (state != TakeOver::yes) {
    return state == TakeOver::no ? Outcome::nothingToDo : Outcome::unknown;
  }
  const auto snapshot = defaults_->dictionaryForKey(snapshotDefaultsKey);
  if (!snapshot) return Outcome::unknown;
  const bool written = writePreferences([&](const PrefKey& pref) -> std::optional<PlistValue> {
    const auto entry = snapshot->find(snapshotKey(pref));
    if (entry != snapshot->end() && entry->second.isNumber()) return entry->second;
    return std::nullopt;
  });
  // The snapshot is the only copy of the values: it goes only once they are all back.
  bool forgotten = false;
  if (written) {
    forgotten = defaults_->removeObject(snapshotDefaultsKey);
    defaults_->synchronize();
    forgotten = forgotten && takeOverState() == TakeOver::no;
  }
  applySettings(restartDock);
  return forgotten ? Outcome::done : Outcome::failed;
}

void SystemGestureConflictResolver::applySettings(bool restartDock) {
  std::vector<std::string> synchronised;
  for (const PrefKey& pref : managedKeys) {
    std::string pair = pref.domain + "|" + pref.host;
    if (std::find(synchronised.begin(), synchronised.end(), pair) != synchronised.end()) continue;
    preferences_->synchronize(pref.domain, pref.host);
    synchronised.push_back(std::move(pair));
  }
  if (!systemSettings_) return;
  systemSettings_->activateSettings();
  if (restartDock) systemSettings_->restartDock();
}

}  // namespace calyxa
