#include "platform/posix/desktop_entry_files.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string_view>
#include <unordered_set>
#include <utility>

namespace calyxa {
namespace {

// Entries are a few kilobytes; their translations can make them a few hundred.
constexpr std::int64_t kMaxEntryFileBytes = 4 * 1024 * 1024;

std::int64_t nanoseconds(const timespec& time) {
  return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

std::vector<std::string> sortedNames(const std::string& folder) {
  std::vector<std::string> names;
  const std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
  if (!dir) return names;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

class Walk {
 public:
  void folder(const std::string& path, const std::string& idPrefix) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return;
    if (!visited_.insert({info.st_dev, info.st_ino}).second) return;
    for (const std::string& name : sortedNames(path)) {
      const std::string child = path + "/" + name;
      if (::stat(child.c_str(), &info) != 0) continue;  // a dangling or looping link
      if (S_ISDIR(info.st_mode)) {
        folder(child, idPrefix + name + "-");
      } else if (name.ends_with(".desktop") && S_ISREG(info.st_mode) &&
                 info.st_size <= kMaxEntryFileBytes) {
        std::string id = idPrefix + name;
        if (!takenIDs_.insert(id).second) continue;
        files_.push_back({std::move(id), child,
                          FileStamp{info.st_dev, info.st_ino, info.st_size,
                                    nanoseconds(info.st_mtim), nanoseconds(info.st_ctim)}});
      } else if (name.ends_with(".desktop")) {
        takenIDs_.insert(idPrefix + name);  // shadows the same ID further down, as a file would
      }
    }
  }

  std::vector<DesktopEntryFile> take() { return std::move(files_); }

 private:
  std::set<std::pair<dev_t, ino_t>> visited_;
  std::unordered_set<std::string> takenIDs_;
  std::vector<DesktopEntryFile> files_;
};

}  // namespace

std::vector<DesktopEntryFile> desktopEntryFiles(const std::vector<std::string>& dataFolders) {
  Walk walk;
  for (std::string folder : dataFolders) {
    while (folder.size() > 1 && folder.ends_with('/'))
      folder.pop_back();
    if (!folder.starts_with('/')) continue;  // relative folders are not data folders
    walk.folder(folder + "/applications", "");
  }
  return walk.take();
}

}  // namespace calyxa
