#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/desktop_entries.h"

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

// Records what it is asked; icons are distinct solid images, one per request. Starts tell their
// outcome (`startsSucceed`) at once.
class FakeWorkspace final : public Workspace {
 public:
  struct Open {
    std::string path;
    bool activates;
  };

  void openApplication(const std::string& bundlePath, bool activates,
                       LaunchCompletion completion) override {
    opened.push_back({bundlePath, activates});
    if (completion) completion(startsSucceed);
  }
  void revealInFileBrowser(const std::string& path) override { revealed.push_back(path); }
  Image iconForFile(const std::string& path) override;

  bool startsSucceed = true;
  std::vector<Open> opened;
  std::vector<std::string> revealed;
  std::vector<std::string> iconRequests;
};

// Desktop entries the test lists; launches are recorded and tell `launchesSucceed` at once;
// changed() plays GIO's monitor.
class FakeDesktopEntries final : public DesktopEntrySource {
 public:
  std::vector<DesktopEntry> desktopEntries() override {
    ++listings;
    return entries;
  }
  void launch(const std::string& id, LaunchCompletion completion) override {
    launched.push_back(id);
    if (completion) completion(launchesSucceed);
  }
  std::unique_ptr<Watch> watchChanges(std::function<void()> onChange) override;
  // Calls every live watch's handler.
  void changed() const;

  std::vector<DesktopEntry> entries;
  bool launchesSucceed = true;
  int listings = 0;
  std::vector<std::string> launched;

 private:
  std::shared_ptr<std::vector<std::function<void()>*>> watchers_ =
      std::make_shared<std::vector<std::function<void()>*>>();
};

}  // namespace calyxa::testing
