#pragma once

#include "platform/bookmarks.h"
#include "platform/system_root.h"

namespace calyxa {

// A bookmark is a small property list that records the folder's system path; it resolves while a
// folder is still there. Access needs no asking on Linux.
class PathBookmarks final : public Bookmarks {
 public:
  explicit PathBookmarks(SystemRoot root) : root_(std::move(root)) {}

  std::optional<PlistData> createBookmark(const std::string& path) override;
  std::optional<std::string> resolveBookmark(const PlistData& data) override;
  bool startAccessing(const std::string&) override { return true; }

 private:
  bool isFolder(const std::string& path) const;
  SystemRoot root_;
};

}  // namespace calyxa
