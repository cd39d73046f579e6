#pragma once

#include <optional>
#include <string>
#include <vector>

namespace calyxa {

// Listing and testing paths. Paths are the system's own; a backend resolves them under the
// system root.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Entry names of the directory, in the order the file system returns them, without "." and
  // ".."; nothing when it cannot be listed.
  virtual std::optional<std::vector<std::string>> contentsOfDirectory(const std::string& path) = 0;
  // Whether something is at `path`, symbolic links followed.
  virtual bool fileExists(const std::string& path) = 0;
  // Whether a directory is at `path`, symbolic links followed.
  virtual bool isDirectory(const std::string& path) = 0;
};

}  // namespace calyxa
