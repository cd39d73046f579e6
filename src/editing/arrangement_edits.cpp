#include "editing/arrangement_edits.h"

#include <algorithm>

namespace calyxa {

std::optional<std::size_t> findSlot(const std::vector<LaunchItem>& items, std::string_view id) {
  const auto found = std::find_if(items.begin(), items.end(),
                                  [&](const LaunchItem& item) { return item.id() == id; });
  if (found == items.end()) return std::nullopt;
  return static_cast<std::size_t>(found - items.begin());
}

bool holdsApp(const std::vector<AppItem>& apps, std::string_view appID) {
  return std::any_of(apps.begin(), apps.end(), [&](const AppItem& app) { return app.id == appID; });
}

std::optional<std::size_t> findFolderHolding(const std::vector<LaunchItem>& items,
                                             std::string_view appID) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    const LaunchFolder* folder = items[i].asFolder();
    if (folder && holdsApp(folder->apps, appID)) return i;
  }
  return std::nullopt;
}

void moveSlot(std::vector<LaunchItem>& items, std::size_t from, std::size_t to) {
  const auto begin = items.begin();
  const auto f = static_cast<std::ptrdiff_t>(from);
  const auto t = static_cast<std::ptrdiff_t>(to);
  // A rotation moves shared handles only; no slot payload is copied.
  if (from < to) {
    std::rotate(begin + f, begin + f + 1, begin + t + 1);
  } else if (to < from) {
    std::rotate(begin + t, begin + f, begin + f + 1);
  }
}

}  // namespace calyxa
