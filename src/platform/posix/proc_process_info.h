#pragma once

#include <filesystem>

#include "platform/process_info.h"

namespace calyxa {

// The process's own entries in /proc: the executable link and the argument list.
class ProcProcessInfo final : public ProcessInfo {
 public:
  explicit ProcProcessInfo(std::filesystem::path self = "/proc/self") : self_(std::move(self)) {}

  std::optional<std::string> mainExecutablePath() override;
  std::vector<std::string> arguments() override;

 private:
  std::filesystem::path self_;
};

}  // namespace calyxa
