#pragma once

#include <functional>
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

  enum class TakeOver { no, yes, unknown };
  enum class Outcome {
    done,
    nothingToDo,  // restore: no snapshot is kept
    failed,       // a value could not be saved or written: see the functions
    unknown,      // the defaults cannot be read, so whether a snapshot is kept is unknown
  };

  static SystemGestureConflictResolver& shared();
  explicit SystemGestureConflictResolver(const PlatformServices& services);

  const std::string snapshotDefaultsKey = "Calyxa.SystemGestureSnapshot.v1";
  const std::vector<PrefKey> managedKeys;

  // Saves the present values (unless a snapshot is already kept), sets every managed
  // preference to 0 and makes the system apply them. Switches nothing off unless the snapshot
  // was written and read back: not when the defaults cannot be read (unknown), nor when the
  // present values are this program's own zeros from an earlier run whose snapshot is lost
  // (failed). Failed, too, when a preference could not be set to 0.
  Outcome disableConflictingGestures(bool restartDock);
  // Writes the saved values back, deleting the preferences that did not exist, and forgets the
  // snapshot once every value is back on disk and read back equal (otherwise failed, and the
  // snapshot stays for the next try); makes the system apply them. Nothing to do without a
  // snapshot; unknown when the defaults cannot be read.
  Outcome restoreOriginalGestures(bool restartDock);
  TakeOver takeOverState() const;
  bool hasTakenOverSystemGestures() const { return takeOverState() == TakeOver::yes; }

  // The snapshot's key for a preference: "domain::key".
  static std::string snapshotKey(const PrefKey& pref);

 private:
  void applySettings(bool restartDock);
  // Sets each managed preference to what `valueFor` gives, one write per domain; true when all
  // are on disk.
  bool writePreferences(const std::function<std::optional<PlistValue>(const PrefKey&)>& valueFor);

  std::shared_ptr<UserDefaults> defaults_;
  std::shared_ptr<PreferenceStore> preferences_;
  std::shared_ptr<SystemSettings> systemSettings_;
};

}  // namespace calyxa
