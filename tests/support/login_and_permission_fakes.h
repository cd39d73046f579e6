#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/login_item_service.h"
#include "platform/process_info.h"
#include "platform/system_permissions.h"

namespace calyxa::testing {

// Calls by name, also into a journal that several fakes may share.
struct CallLog {
  std::vector<std::string> calls;
  std::shared_ptr<std::vector<std::string>> journal;

  void record(const char* call) {
    calls.push_back(call);
    if (journal) journal->push_back(call);
  }
};

// A login-item service whose answers the test sets; records every call by name.
class FakeLoginItemService final : public LoginItemService, public CallLog {
 public:
  LoginItemStatus status() override {
    record("status");
    return state;
  }
  bool registerMainApp() override {
    record("register");
    if (refusesRegistration) return false;
    state = stateAfterRegistration;
    return true;
  }
  bool unregisterMainApp() override {
    record("unregister");
    if (refusesUnregistration || state == LoginItemStatus::notRegistered) return false;
    state = LoginItemStatus::notRegistered;
    return true;
  }

  bool launchAgentsStartAtLogin() const override { return agentsStart; }

  LoginItemStatus state = LoginItemStatus::notRegistered;
  LoginItemStatus stateAfterRegistration = LoginItemStatus::enabled;
  // The launch agent fallback as on a Mac; false as on Linux.
  bool agentsStart = true;
  bool refusesRegistration = false;
  bool refusesUnregistration = false;
};

// The system's permission answers as the test sets them; records every call by name.
class FakeSystemPermissions final : public SystemPermissions, public CallLog {
 public:
  bool isProcessTrusted() override {
    record("isProcessTrusted");
    return trusted;
  }
  bool isProcessTrustedWithPrompt() override {
    record("isProcessTrustedWithPrompt");
    return trusted;
  }
  bool preflightListenEventAccess() override {
    record("preflightListenEventAccess");
    return listens;
  }
  bool requestListenEventAccess() override {
    record("requestListenEventAccess");
    return listens;
  }
  void openURL(const std::string& address) override {
    record("openURL");
    opened.push_back(address);
  }

  bool trusted = false;
  bool listens = false;
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
