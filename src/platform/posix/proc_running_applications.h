#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "platform/bundle_reader.h"
#include "platform/running_applications.h"
#include "platform/system_root.h"
#include "platform/workspace.h"

namespace calyxa {

// The current user's processes whose executable lies inside an application bundle under the
// system root, one entry per bundle, read from /proc.
class ProcRunningApplications final : public RunningApplicationSource {
 public:
  ProcRunningApplications(SystemRoot root, std::shared_ptr<BundleReader> bundles,
                          std::shared_ptr<Workspace> workspace,
                          std::filesystem::path proc = "/proc", uid_t user = ::getuid());

  std::vector<RunningApplication> runningApplications() override;

 private:
  SystemRoot root_;
  std::shared_ptr<BundleReader> bundles_;
  std::shared_ptr<Workspace> workspace_;
  std::filesystem::path proc_;
  uid_t user_;
};

// The innermost folder whose name ends in ".app" that holds `executable`, if any.
std::optional<std::filesystem::path> enclosingBundle(const std::filesystem::path& executable);

}  // namespace calyxa
