#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/image.h"

namespace calyxa {

// One application of the current user that is running now.
struct RunningApplication {
  std::optional<std::string> bundlePath;  // the system's path of its bundle
  std::optional<std::string> localizedName;
  std::optional<std::string> bundleIdentifier;
  std::optional<Image> icon;
};

class RunningApplicationSource {
 public:
  virtual ~RunningApplicationSource() = default;
  virtual std::vector<RunningApplication> runningApplications() = 0;
};

}  // namespace calyxa
