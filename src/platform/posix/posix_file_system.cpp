#include "platform/posix/posix_file_system.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstring>
#include <memory>

namespace calyxa {
namespace {

struct DirectoryCloser {
  void operator()(DIR* directory) const { ::closedir(directory); }
};

}  // namespace

std::optional<std::vector<std::string>> PosixFileSystem::contentsOfDirectory(
    const std::string& path) {
  const std::unique_ptr<DIR, DirectoryCloser> directory(
      ::opendir(root_.resolveString(path).c_str()));
  if (!directory) return std::nullopt;
  std::vector<std::string> names;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(directory.get());
    if (!entry) {
      // An error part-way through is a failed listing, not a short one.
      if (errno != 0) return std::nullopt;
      break;
    }
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    names.emplace_back(entry->d_name);
  }
  return names;
}

bool PosixFileSystem::fileExists(const std::string& path) {
  struct stat info {};
  return ::stat(root_.resolveString(path).c_str(), &info) == 0;
}

bool PosixFileSystem::isDirectory(const std::string& path) {
  struct stat info {};
  return ::stat(root_.resolveString(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace calyxa
