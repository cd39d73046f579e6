#pragma once

#include <sys/types.h>

#include <compare>
#include <cstdint>
#include <string>
#include <vector>

namespace calyxa {

// What tells a changed file from the one read before, without reading it.
struct FileStamp {
  dev_t device = 0;
  ino_t inode = 0;
  std::int64_t size = 0;
  std::int64_t modifiedNanoseconds = 0;
  std::int64_t changedNanoseconds = 0;
  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

struct DesktopEntryFile {
  std::string id;    // the desktop file ID: the path below "applications", "/" written as "-"
  std::string path;  // the file, as found under its data folder
  FileStamp stamp;
};

// The desktop entry files of every data folder's "applications" folder, sub-folders included,
// one per desktop file ID, the earlier data folder winning an ID (so the user's own shadows the
// distribution's). Only regular files no larger than an entry can reasonably be are listed: a
// FIFO or a device would block or never end. A folder reached twice through links is read once.
std::vector<DesktopEntryFile> desktopEntryFiles(const std::vector<std::string>& dataFolders);

}  // namespace calyxa
