#include "catalogue/saved_layout_item.h"

namespace calyxa {

std::vector<SavedLayoutItem> snapshotLayout(const std::vector<LaunchItem>& items) {
  std::vector<SavedLayoutItem> records;
  records.reserve(items.size());
  for (const auto& item : items) {
    if (const AppItem* app = item.asApp()) {
      records.push_back({"app", app->id, app->name, std::nullopt});
      continue;
    }
    const LaunchFolder& folder = *item.asFolder();
    std::vector<std::string> members;
    members.reserve(folder.apps.size());
    for (const auto& app : folder.apps)
      members.push_back(app.id);
    records.push_back({"folder", folder.id, folder.name, std::move(members)});
  }
  return records;
}

}  // namespace calyxa
