#pragma once

#include <memory>

#include "platform/system_root.h"
#include "platform/workspace.h"

namespace calyxa {

// The workspace of the Qt interface: applications are opened by `launcher` (the posix
// workspace); icons come from the bundles themselves and may be drawn on any thread.
class QtWorkspace final : public Workspace {
 public:
  static constexpr double kIconEdge = 96.0;

  QtWorkspace(std::shared_ptr<Workspace> launcher, SystemRoot root);

  void openApplication(const std::string& bundlePath, bool activates) override;

  // 96 × 96 points. Nothing is read until the image is drawn, and it is read anew each time it
  // is drawn (on any thread): the bundle's own icon where it has a readable one inside it, else
  // the generic icon.
  Image iconForFile(const std::string& path) override;

 private:
  std::shared_ptr<Workspace> launcher_;
  SystemRoot root_;
};

}  // namespace calyxa
