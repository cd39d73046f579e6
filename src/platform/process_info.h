#pragma once

#include <optional>
#include <string>
#include <vector>

namespace calyxa {

// What the running process knows about itself.
class ProcessInfo {
 public:
  virtual ~ProcessInfo() = default;

  // Absolute path of the program's executable file; nothing when the system cannot say.
  virtual std::optional<std::string> mainExecutablePath() = 0;
  // The arguments the process was started with, argument 0 included.
  virtual std::vector<std::string> arguments() = 0;
};

}  // namespace calyxa
