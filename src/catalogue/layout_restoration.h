#pragma once

#include <map>
#include <string>
#include <vector>

#include "catalogue/default_order.h"
#include "catalogue/launch_item.h"
#include "catalogue/saved_layout_item.h"

namespace calyxa {

// The arrangement the saved records describe over a fresh catalogue: the records in file order,
// carrying the catalogue's current records; applications no longer catalogued left out; a folder
// left with one application replaced by it, with none dropped; then every catalogued application
// the records do not place, in the default order.
//
// Hand-edited files are held to the arrangement's rules: an application named more than once is
// placed only where it first appears, and a folder whose id another slot already has gets a
// fresh one, so that no two slots ever share an id.
std::vector<LaunchItem> restoreArrangement(const std::vector<SavedLayoutItem>& records,
                                           const std::map<std::string, AppItem>& catalogue,
                                           const NameCollator& collator);

}  // namespace calyxa
