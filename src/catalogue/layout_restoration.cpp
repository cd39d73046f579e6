#include "catalogue/layout_restoration.h"

#include <unordered_set>

namespace calyxa {
namespace {
constexpr const char* kUnnamedFolder = "同类应用";
}  // namespace

std::vector<LaunchItem> restoreArrangement(const std::vector<SavedLayoutItem>& records,
                                           const std::map<std::string, AppItem>& catalogue,
                                           const NameCollator& collator) {
  std::vector<LaunchItem> arrangement;
  arrangement.reserve(catalogue.size());
  std::unordered_set<std::string> usedAppIDs;
  std::unordered_set<std::string> folderIDs;
  usedAppIDs.reserve(catalogue.size());

  // The catalogue's record for `id` if it is there and not placed yet; marks it placed.
  const auto claim = [&](const std::string& id) -> const AppItem* {
    const auto found = catalogue.find(id);
    if (found == catalogue.end() || !usedAppIDs.insert(id).second) return nullptr;
    return &found->second;
  };

  for (const auto& record : records) {
    if (record.type == "app") {
      if (const AppItem* app = claim(record.id)) arrangement.push_back(LaunchItem::app(*app));
      continue;
    }
    if (record.type != "folder" || !record.subAppIDs || record.subAppIDs->empty()) continue;
    std::vector<AppItem> members;
    for (const auto& id : *record.subAppIDs) {
      if (const AppItem* app = claim(id)) members.push_back(*app);
    }
    if (members.size() == 1) {
      arrangement.push_back(LaunchItem::app(std::move(members.front())));
    } else if (members.size() > 1) {
      std::string id = record.id;
      if (catalogue.contains(id) || !folderIDs.insert(id).second) {
        id = makeFolderID();
        folderIDs.insert(id);
      }
      arrangement.push_back(LaunchItem::folder(
          LaunchFolder(std::move(id), record.name.value_or(kUnnamedFolder), std::move(members))));
    }
  }

  std::vector<AppItem> unplaced;
  for (const auto& [id, app] : catalogue) {
    if (!usedAppIDs.contains(id)) unplaced.push_back(app);
  }
  sortInDefaultOrder(unplaced, collator);
  for (auto& app : unplaced)
    arrangement.push_back(LaunchItem::app(std::move(app)));
  return arrangement;
}

}  // namespace calyxa
