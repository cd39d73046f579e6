#pragma once

#include <memory>

#include "platform/dispatch.h"
#include "platform/system_root.h"
#include "platform/workspace.h"

namespace calyxa {

// Starts bundles' executables and reveals files from a launch thread of its own (`launches`),
// so that the main thread never waits for a child; outcomes come back on `mainQueue`.
class PosixWorkspace final : public Workspace {
 public:
  PosixWorkspace(SystemRoot root, std::shared_ptr<MainQueue> mainQueue,
                 std::shared_ptr<BackgroundQueue> launches);

  void openApplication(const std::string& bundlePath, bool activates,
                       LaunchCompletion completion) override;
  // Through the desktop's file manager (org.freedesktop.FileManager1 on the session bus), else
  // the folder opened with the default file manager.
  void revealInFileBrowser(const std::string& path) override;
  Image iconForFile(const std::string& path) override;

 private:
  SystemRoot root_;
  std::shared_ptr<MainQueue> mainQueue_;
  std::shared_ptr<BackgroundQueue> launches_;
};

// The generic application icon: a rounded tile whose hue follows `seed`, so that neighbouring
// applications without icons of their own stay distinguishable.
Image genericApplicationIcon(const std::string& seed);

// Where `path` is on disk: a desktop entry's file (ending in ".desktop") is a real path already,
// anything else a system path under `root`.
std::filesystem::path fileOnDisk(const SystemRoot& root, const std::string& path);

}  // namespace calyxa
