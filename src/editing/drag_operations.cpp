#include <algorithm>
#include <cmath>

#include "catalogue/tilewell_store.h"
#include "editing/arrangement_edits.h"

namespace calyxa {

namespace {

const Animation kHighlightSpring = Animation::spring(0.18, 1.0);
const Animation kUnhighlightSpring = Animation::spring(0.16, 1.0);
const Animation kReorderSpring = Animation::spring(0.26, 1.0);
const Animation kPageMoveSpring = Animation::spring(0.3, 1.0);

std::optional<std::size_t> findEqualSlot(const std::vector<LaunchItem>& items,
                                         const LaunchItem& item) {
  const auto found = std::find(items.begin(), items.end(), item);
  if (found == items.end()) return std::nullopt;
  return static_cast<std::size_t>(found - items.begin());
}

}  // namespace

void TilewellStore::updateDragOverTarget(LaunchItem dragged, LaunchItem target, Point cursorInCell,
                                         Size cellSize) {
  if (dragged.id() == target.id()) {
    // Back over its own slot: no merge pending.
    if (potentialFolderTargetID.get())
      withoutAnimation([&] { potentialFolderTargetID = std::nullopt; });
    return;
  }

  const double distance = std::hypot(cursorInCell.x - kIconCentreX * cellSize.width,
                                     cursorInCell.y - kIconCentreY * cellSize.height);
  if (!dragged.isFolder() && distance <= kMergeRadius) {
    if (potentialFolderTargetID.get() == target.id()) return;
    withAnimation(kHighlightSpring, [&] { potentialFolderTargetID = target.id(); });
    return;
  }

  if (potentialFolderTargetID.get()) {
    withAnimation(kUnhighlightSpring, [&] { potentialFolderTargetID = std::nullopt; });
  }
  // Pointer moves arrive many times a second: one reorder per interval keeps the animations
  // from piling up.
  const double now = services.clock->now();
  if (now - lastReorderTime <= kReorderThrottle) return;
  const auto from = findSlot(items, dragged.id());
  const auto to = findSlot(items, target.id());
  if (!from || !to || *from == *to) return;
  lastReorderTime = now;
  // The slot moves as the grid holds it; the drag's copy of it may be out of date.
  withAnimation(kReorderSpring, [&] {
    items.mutate([&](std::vector<LaunchItem>& slots) { moveSlot(slots, *from, *to); });
  });
  scheduleDebouncedSave();
}

void TilewellStore::clearFolderHighlight(std::string id) {
  // Another cell may have taken the highlight meanwhile; it keeps it.
  if (potentialFolderTargetID.get() != id) return;
  withAnimation(kUnhighlightSpring, [&] { potentialFolderTargetID = std::nullopt; });
}

void TilewellStore::finalizeItemDrop(LaunchItem dragged, std::optional<LaunchItem> on) {
  if (on && potentialFolderTargetID.get() == on->id() && dragged.id() != on->id()) {
    createOrMergeIntoFolder(dragged, *on);
  }
  potentialFolderTargetID = std::nullopt;
  draggingItem = std::nullopt;
  scheduleDebouncedSave();
}

void TilewellStore::moveItemStep(LaunchItem item, int delta) {
  const auto found = findEqualSlot(items, item);
  if (!found) return;
  const auto from = static_cast<long long>(*found);
  const auto count = static_cast<long long>(items->size());
  long long to = std::min(from + delta, count - 1);
  if (to < 0) {
    if (from == 0) return;
    to = 0;
  } else if (to == from) {
    return;
  }
  withAnimation(kReorderSpring, [&] {
    items.mutate([&](std::vector<LaunchItem>& slots) {
      moveSlot(slots, *found, static_cast<std::size_t>(to));
    });
  });
  // The view follows the item across a page boundary.
  pager.switchPageAnimated(static_cast<int>(to / itemsPerPage), kItemMoveVelocityHint);
  scheduleDebouncedSave();
}

void TilewellStore::moveItemToPage(LaunchItem item, int targetPage) {
  const int page = std::max(std::min(targetPage, pageCount() - 1), 0);
  const auto from = findEqualSlot(items, item);
  if (!from) return;
  const std::string name = items.get()[*from].name();
  // The first slot of the page, or the last slot overall when the page has none there yet.
  const std::size_t to = std::min(static_cast<std::size_t>(page) * itemsPerPage, items->size() - 1);
  withAnimation(kPageMoveSpring, [&] {
    items.mutate([&](std::vector<LaunchItem>& slots) { moveSlot(slots, *from, to); });
  });
  pager.switchPageAnimated(page, kItemMoveVelocityHint);
  scheduleDebouncedSave();
  triggerToast("已将「" + name + "」移至第 " + std::to_string(page + 1) + " 页");
}

}  // namespace calyxa
