#pragma once

namespace calyxa {

// The system's login-item record of the program itself. The values are the ones the system
// reports; enabled and requiresApproval count as registered.
enum class LoginItemStatus {
  notRegistered = 0,
  enabled = 1,
  requiresApproval = 2,
  notFound = 3,
};

// Starts the program when the user logs in, through the system's own mechanism.
class LoginItemService {
 public:
  virtual ~LoginItemService() = default;

  virtual LoginItemStatus status() = 0;
  // False when the system refused; the status then says what is left.
  virtual bool registerMainApp() = 0;
  // False when there was nothing to remove or it could not be removed.
  virtual bool unregisterMainApp() = 0;
  // Whether the system also starts a per-user launch agent file at login (launchd on macOS
  // does); where nothing reads such a file it is no fallback for a refused registration.
  virtual bool launchAgentsStartAtLogin() const { return false; }
};

}  // namespace calyxa
