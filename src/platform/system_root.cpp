#include "platform/system_root.h"

#include <cstdlib>

namespace calyxa {

SystemRoot::SystemRoot(std::filesystem::path root) : root_(std::move(root)) {
  root_ = root_.lexically_normal();
  // "/tmp/root/" and "/tmp/root" are one root.
  if (root_.has_relative_path() && !root_.has_filename()) root_ = root_.parent_path();
  if (root_.empty()) root_ = "/";
  rootText_ = root_.string();
}

SystemRoot SystemRoot::fromEnvironment() {
  const char* value = std::getenv("CALYXA_SYSTEM_ROOT");
  if (!value || value[0] == '\0') return SystemRoot("/");
  return SystemRoot(std::filesystem::absolute(value));
}

std::filesystem::path SystemRoot::resolve(std::string_view systemPath) const {
  if (isFilesystemRoot()) return std::filesystem::path(systemPath);
  std::string_view relative = systemPath;
  while (relative.starts_with('/'))
    relative.remove_prefix(1);
  return root_ / relative;
}

std::string SystemRoot::resolveString(std::string_view systemPath) const {
  if (isFilesystemRoot()) return std::string(systemPath);
  while (systemPath.starts_with('/'))
    systemPath.remove_prefix(1);
  std::string real = rootText_;
  real.push_back('/');
  real.append(systemPath);
  return real;
}

std::optional<std::string> SystemRoot::systemPathOf(const std::filesystem::path& realPath) const {
  const std::filesystem::path normal = realPath.lexically_normal();
  if (isFilesystemRoot()) return normal.string();
  const std::filesystem::path relative = normal.lexically_relative(root_);
  if (relative.empty() || *relative.begin() == "..") return std::nullopt;
  if (relative == ".") return std::string("/");
  // Appending rather than "/" + text: GCC 12 at -O3 reports a false -Wrestrict overlap in the
  // inlined insert at the front.
  std::string systemPath = "/";
  systemPath += relative.native();
  return systemPath;
}

}  // namespace calyxa
