#pragma once

#include <optional>
#include <string>

namespace calyxa {

// The system's record of the user running the program.
class UserDatabase {
 public:
  virtual ~UserDatabase() = default;
  // The home directory recorded for the current user id; nothing without a record or a home.
  virtual std::optional<std::string> currentUserHomeDirectory() = 0;
};

}  // namespace calyxa
