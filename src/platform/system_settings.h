#pragma once

namespace calyxa {

// Makes the system pick up preferences changed behind its back. Fire and forget: the work runs
// detached and its failures are not reported.
class SystemSettings {
 public:
  virtual ~SystemSettings() = default;

  // Has the running system apply the current user's changed settings.
  virtual void activateSettings() = 0;
  // Restarts the Dock, which reads some of its settings only when it starts.
  virtual void restartDock() = 0;
};

}  // namespace calyxa
