#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/launch_item.h"

namespace calyxa {

// Removes Unicode white space and line breaks from both ends.
std::string trimWhitespaceAndNewlines(std::string_view text);

// Locale-independent full Unicode lower-casing.
std::string lowercased(std::string_view text);

// What the grid is filtered by: the search text trimmed, lower-cased and composed (NFC), so that
// precomposed and decomposed accents compare equal. Empty means no filter.
std::string makeSearchQuery(std::string_view searchText);

// Tests fields against one query: case-insensitive, accent-sensitive containment.
class SearchMatcher {
 public:
  explicit SearchMatcher(std::string query);
  ~SearchMatcher();
  SearchMatcher(const SearchMatcher&) = delete;
  SearchMatcher& operator=(const SearchMatcher&) = delete;

  bool fieldMatches(std::string_view field) const;
  // Name, English name or bundle identifier, then the further keywords.
  bool appMatches(const AppItem& app) const;

  // Lower-casing and composition with reusable buffers (defined with the matcher).
  struct Folding;

 private:
  std::string query_;
  bool queryStartsWithMark_ = false;
  std::unique_ptr<Folding> folding_;
};

// The slots shown for `query`, in arrangement order: matching applications; a folder whose name
// matches, whole; otherwise the folder's matching applications as plain slots in its place.
std::vector<LaunchItem> filterItems(const std::vector<LaunchItem>& items, const std::string& query);

}  // namespace calyxa
