#include "views/grid/smooth_item_drop_delegate.h"

#include "catalogue/tilewell_store.h"

namespace calyxa {

void SmoothItemDropDelegate::dropEntered(QPointF location) const {
  const std::optional<LaunchItem> dragged = store.draggingItem.get();
  if (!dragged) return;
  store.updateDragOverTarget(*dragged, targetItem, Point{location.x(), location.y()},
                             Size{cellSize.width(), cellSize.height()});
}

void SmoothItemDropDelegate::dropUpdated(QPointF location) const {
  dropEntered(location);
}

void SmoothItemDropDelegate::dropExited() const {
  store.clearFolderHighlight(targetItem.id());
}

bool SmoothItemDropDelegate::performDrop() const {
  const std::optional<LaunchItem> dragged = store.draggingItem.get();
  if (!dragged) return false;
  store.finalizeItemDrop(*dragged, targetItem);
  return true;
}

}  // namespace calyxa
