#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/login_item_service.h"
#include "platform/process_info.h"
#include "platform/system_permissions.h"

namespace calyxa::testing {

// A login-item service whose answers the test sets; records every call by name.
class FakeLoginItemService final : public LoginItemService {
 public:
  LoginItemStatus status() override {
    calls.push_back("status");
    return state;
  }
  bool registerMainApp() override {
    calls.push_back("register");
    if (refusesRegistration) return false;
    state = stateAfterRegistration;
    return true;
  }
  bool unregisterMainApp() override {
    calls.push_back("unregister");
    if (refusesUnregistration || state == LoginItemStatus::notRegistered) return false;
    state = LoginItemStatus::notRegistered;
    return true;
  }

  LoginItemStatus state = LoginItemStatus::notRegistered;
  LoginItemStatus stateAfterRegistration = LoginItemStatus::enabled;
  bool refusesRegistration = false;
  bool refusesUnregistration = false;
  std::vector<std::string> calls;
};

// The system's permission answers as the test sets them; records every call by name.
class FakeSystemPermissions final : public SystemPermissions {
 public:
  bool isProcessTrusted() override {
    calls.push_back("isProcessTrusted");
    return trusted;
  }
  bool isProcessTrustedWithPrompt() override {
    calls.push_back("isProcessTrustedWithPrompt");
    return trusted;
  }
  bool preflightListenEventAccess() override {
    calls.push_back("preflightListenEventAccess");
    return listens;
  }
  bool requestListenEventAccess() override {
    calls.push_back("requestListenEventAccess");
    return listens;
  }
  void openURL(const std::string& address) override {
    calls.push_back("openURL");
    opened.push_back(address);
  }

  bool trusted = false;
  bool listens = false;
  std::vector<std::string> calls;
  std::vector<std::string> opened;
};

class FakeProcessInfo final : public ProcessInfo {
 public:
  std::optional<std::string> mainExecutablePath() override { return executable; }
  std::vector<std::string> arguments() override { return commandLine; }

  std::optional<std::string> executable = "/Applications/Calyxa.app/Contents/MacOS/Calyxa";
  std::vector<std::string> commandLine{"/Applications/Calyxa.app/Contents/MacOS/Calyxa"};
};

}  // namespace calyxa::testing
