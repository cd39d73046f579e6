#pragma once

#include <functional>

#include "catalogue/launch_item.h"

class QMenu;

namespace calyxa {

class TilewellStore;

// What the menu's entries do beyond the store's own operations.
struct ItemMenuActions {
  std::function<void(const AppItem&)> launchApp;
  std::function<void(const LaunchFolder&)> openFolder;
  std::function<void(const AppItem&)> revealInFileViewer;
};

// Fills `menu` with the entries of a cell showing `item`: the entries of its kind, then edit
// mode and the pages. Entries act on the store as it is when they are chosen.
void fillItemContextMenu(QMenu& menu, const LaunchItem& item, TilewellStore& store,
                         const ItemMenuActions& actions);

}  // namespace calyxa
