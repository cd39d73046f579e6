#pragma once

#include "platform/posix/posix_paths.h"
#include "platform/user_database.h"

namespace calyxa {

class PosixUserDatabase final : public UserDatabase {
 public:
  std::optional<std::string> currentUserHomeDirectory() override {
    const auto home = userDatabaseHomeDirectory();
    if (!home) return std::nullopt;
    return home->string();
  }
};

}  // namespace calyxa
