#include "platform/posix/posix_paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace calyxa {

std::optional<std::filesystem::path> userDatabaseHomeDirectory() {
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
      !found->pw_dir || found->pw_dir[0] == '\0') {
    return std::nullopt;
  }
  return std::filesystem::path(found->pw_dir);
}

std::filesystem::path processHomeDirectory() {
  if (const char* home = std::getenv("HOME"); home && home[0] != '\0') return home;
  if (auto home = userDatabaseHomeDirectory()) return *home;
  return std::filesystem::current_path();
}

std::filesystem::path configHomeDirectory() {
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/') {
    return config;
  }
  return processHomeDirectory() / ".config";
}

std::filesystem::path calyxaConfigDirectory() {
  return configHomeDirectory() / "calyxa";
}

}  // namespace calyxa
