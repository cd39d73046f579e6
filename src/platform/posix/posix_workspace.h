#pragma once

#include "platform/system_root.h"
#include "platform/workspace.h"

namespace calyxa {

class PosixWorkspace final : public Workspace {
 public:
  explicit PosixWorkspace(SystemRoot root) : root_(std::move(root)) {}

  void openApplication(const std::string& bundlePath, bool activates) override;
  Image iconForFile(const std::string& path) override;

 private:
  SystemRoot root_;
};

// The generic application icon: a rounded tile whose hue follows `seed`, so that neighbouring
// applications without icons of their own stay distinguishable.
Image genericApplicationIcon(const std::string& seed);

}  // namespace calyxa
