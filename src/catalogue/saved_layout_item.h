#pragma once

#include <optional>
#include <string>
#include <vector>

#include "catalogue/launch_item.h"

namespace calyxa {

// One record of the layout file: one top-level slot.
struct SavedLayoutItem {
  std::string type;                                   // "app" or "folder"; others are skipped
  std::string id;                                     // application path or folder UUID
  std::optional<std::string> name;                    // display name when saved
  std::optional<std::vector<std::string>> subAppIDs;  // a folder's members, in order

  bool operator==(const SavedLayoutItem&) const = default;
};

// The records that describe `items`, one per slot, in order.
std::vector<SavedLayoutItem> snapshotLayout(const std::vector<LaunchItem>& items);

}  // namespace calyxa
