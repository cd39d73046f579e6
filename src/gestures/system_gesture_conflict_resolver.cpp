#include "gestures/system_gesture_conflict_resolver.h"

#include <algorithm>

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

bool SystemGestureConflictResolver::hasTakenOverSystemGestures() const {
  return defaults_ && defaults_->dictionaryForKey(snapshotDefaultsKey).has_value();
}

void SystemGestureConflictResolver::disableConflictingGestures(bool restartDock) {
  if (!defaults_ || !preferences_) return;
  // A kept snapshot holds the user's values; a new one would record the switched-off zeros.
  if (!defaults_->dictionaryForKey(snapshotDefaultsKey)) {
    PlistDictionary snapshot;
    for (const PrefKey& pref : managedKeys) {
      const auto value = preferences_->copyValue(pref.key, pref.domain, pref.host);
      snapshot.insert_or_assign(snapshotKey(pref), value && value->isNumber()
                                                       ? *value
                                                       : PlistValue(std::string(kAbsentMarker)));
    }
    const bool saved = defaults_->setDictionary(snapshotDefaultsKey, std::move(snapshot));
    defaults_->synchronize();
    if (!saved) return;
  }
  for (const PrefKey& pref : managedKeys)
    preferences_->setValue(pref.key, PlistValue(0), pref.domain, pref.host);
  applySettings(restartDock);
}

void SystemGestureConflictResolver::restoreOriginalGestures(bool restartDock) {
  if (!defaults_ || !preferences_) return;
  const auto snapshot = defaults_->dictionaryForKey(snapshotDefaultsKey);
  if (!snapshot) return;
  for (const PrefKey& pref : managedKeys) {
    const auto entry = snapshot->find(snapshotKey(pref));
    if (entry != snapshot->end() && entry->second.isNumber()) {
      preferences_->setValue(pref.key, entry->second, pref.domain, pref.host);
    } else {
      preferences_->setValue(pref.key, std::nullopt, pref.domain, pref.host);
    }
  }
  defaults_->removeObject(snapshotDefaultsKey);
  defaults_->synchronize();
  applySettings(restartDock);
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
