#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform_services.h"

namespace calyxa {

// One system preference the resolver manages.
struct PrefKey {
  std::string domain;
  std::string key;
  std::string host;
  bool needsDockRestart = false;
};

// Switches the system's own four- and five-finger pinch gestures off while the program runs and
// back on exactly as they were. The values from before the first switch-off are kept in the
// program's user defaults; their presence means the gestures are taken over, across restarts
// and crashes. Main thread only.
class SystemGestureConflictResolver {
 public:
  static constexpr std::string_view kAbsentMarker = "__QZV_ABSENT__";

  static SystemGestureConflictResolver& shared();
  explicit SystemGestureConflictResolver(const PlatformServices& services);

  const std::string snapshotDefaultsKey = "Calyxa.SystemGestureSnapshot.v1";
  const std::vector<PrefKey> managedKeys;

  // Saves the present values (unless a snapshot is already kept), sets every managed
  // preference to 0 and makes the system apply them. Changes nothing when the snapshot cannot be
  // saved, since the values could not be given back later.
  void disableConflictingGestures(bool restartDock);
  // Writes the saved values back, deleting the preferences that did not exist, forgets the
  // snapshot and makes the system apply them. Does nothing without a snapshot.
  void restoreOriginalGestures(bool restartDock);
  bool hasTakenOverSystemGestures() const;

  // The snapshot's key for a preference: "domain::key".
  static std::string snapshotKey(const PrefKey& pref);

 private:
  void applySettings(bool restartDock);

  std::shared_ptr<UserDefaults> defaults_;
  std::shared_ptr<PreferenceStore> preferences_;
  std::shared_ptr<SystemSettings> systemSettings_;
};

}  // namespace calyxa
