#pragma once

#include <optional>
#include <string>

#include "platform/plist_value.h"

namespace calyxa {

// Remembers a folder the user chose, across runs, as opaque data. Paths are the system's own.
class Bookmarks {
 public:
  virtual ~Bookmarks() = default;

  virtual std::optional<PlistData> createBookmark(const std::string& path) = 0;
  // The bookmarked folder's path; nothing when the data is not a bookmark or the folder is gone.
  virtual std::optional<std::string> resolveBookmark(const PlistData& data) = 0;
  // Asks for continued access to a resolved location; true when granted.
  virtual bool startAccessing(const std::string& path) = 0;
};

}  // namespace calyxa
