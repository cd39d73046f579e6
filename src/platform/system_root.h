#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace calyxa {

// Where absolute macOS paths ("/Applications", "/System/...") live on this machine: "/" in
// normal use, another folder for tests and demos. Catalogue ids and paths stay the system's own;
// only file-system access goes through resolve().
class SystemRoot {
 public:
  explicit SystemRoot(std::filesystem::path root = "/");

  // CALYXA_SYSTEM_ROOT when set and not empty, else "/".
  static SystemRoot fromEnvironment();

  const std::filesystem::path& root() const { return root_; }
  bool isFilesystemRoot() const { return root_ == "/"; }

  // The real location of a system path.
  std::filesystem::path resolve(std::string_view systemPath) const;
  // The same as plain text, for system calls made in bulk (no path object to build).
  std::string resolveString(std::string_view systemPath) const;

  // The system path of a real location inside the root; nothing when it lies outside.
  std::optional<std::string> systemPathOf(const std::filesystem::path& realPath) const;

 private:
  std::filesystem::path root_;
  std::string rootText_;
};

}  // namespace calyxa
