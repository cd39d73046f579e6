#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/user_defaults.h"
#include "platform/workspace.h"

namespace calyxa::testing {

class InMemoryUserDefaults final : public UserDefaults {
 public:
  std::optional<PlistValue> object(std::string_view key) const override {
    const auto found = values.find(std::string(key));
    if (found == values.end()) return std::nullopt;
    return found->second;
  }
  bool setObject(std::string_view key, PlistValue value) override {
    values.insert_or_assign(std::string(key), std::move(value));
    return true;
  }
  bool removeObject(std::string_view key) override {
    values.erase(std::string(key));
    return true;
  }

  std::map<std::string, PlistValue> values;
};

// Records what it is asked; icons are distinct solid images, one per request.
class FakeWorkspace final : public Workspace {
 public:
  struct Open {
    std::string path;
    bool activates;
  };

  void openApplication(const std::string& bundlePath, bool activates) override {
    opened.push_back({bundlePath, activates});
  }
  Image iconForFile(const std::string& path) override;

  std::vector<Open> opened;
  std::vector<std::string> iconRequests;
};

}  // namespace calyxa::testing
