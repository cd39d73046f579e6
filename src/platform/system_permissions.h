#pragma once

#include <string>

namespace calyxa {

// The permissions the user grants the program in the system's privacy settings, and the way to
// those settings. The checks never prompt unless they say so.
class SystemPermissions {
 public:
  virtual ~SystemPermissions() = default;

  // Whether the process is trusted to control the computer (accessibility).
  virtual bool isProcessTrusted() = 0;
  // The same check, letting the system show its permission prompt when the answer is no.
  virtual bool isProcessTrustedWithPrompt() = 0;
  // Whether the process may watch global input events (input monitoring).
  virtual bool preflightListenEventAccess() = 0;
  // Asks the system for input monitoring; the system may ask the user.
  virtual bool requestListenEventAccess() = 0;
  // Hands `address` to whichever program handles it. Fire and forget: without a handler nothing
  // happens.
  virtual void openURL(const std::string& address) = 0;
};

}  // namespace calyxa
