#include <algorithm>

#include "catalogue/search_filter.h"
#include "catalogue/tilewell_store.h"
#include "editing/arrangement_edits.h"
#include "editing/folder_category.h"

namespace calyxa {

namespace {

const Animation kNewFolderSpring = Animation::spring(0.3, 0.95);
const Animation kFillFolderSpring = Animation::spring(0.28, 0.95);

bool isOpen(const std::optional<LaunchFolder>& open, const std::string& folderID) {
  return open && open->id == folderID;
}

void eraseApp(std::vector<AppItem>& apps, const std::string& appID) {
  std::erase_if(apps, [&](const AppItem& app) { return app.id == appID; });
}

}  // namespace

void TilewellStore::finishArrangementEdit(std::optional<std::string> toast) {
  syncPagerPageCount();
  scheduleDebouncedSave();
  if (toast) triggerToast(std::move(*toast));
}

void TilewellStore::createOrMergeIntoFolder(LaunchItem dragged, LaunchItem target) {
  if (dragged.isFolder()) return;
  // Dropped on itself there is nothing to merge with, and the application would be lost.
  if (dragged.id() == target.id()) return;
  const auto targetIndex = findSlot(items, target.id());
  if (!targetIndex) return;
  const auto draggedIndex = findSlot(items, dragged.id());
  if (!draggedIndex) return;

  // The grid's own slots, not the caller's copies: a folder may have changed since the drag began.
  const LaunchItem draggedSlot = items.get()[*draggedIndex];
  const LaunchItem targetSlot = items.get()[*targetIndex];
  if (draggedSlot.isFolder() || targetSlot.isFolder() != target.isFolder()) return;
  const AppItem moved = *draggedSlot.asApp();
  const auto d = static_cast<std::ptrdiff_t>(*draggedIndex);

  if (const LaunchFolder* existing = targetSlot.asFolder()) {
    if (holdsApp(existing->apps, moved.id)) {
      scheduleDebouncedSave();
      return;
    }
    LaunchFolder filled = *existing;
    filled.apps.push_back(moved);
    withAnimation(kFillFolderSpring, [&] {
      items.mutate([&](std::vector<LaunchItem>& slots) {
        slots.erase(slots.begin() + d);
        if (const auto at = findSlot(slots, filled.id)) slots[*at] = LaunchItem::folder(filled);
      });
      // An open folder shows what it holds.
      if (isOpen(activeFolder, filled.id)) activeFolder = filled;
    });
    finishArrangementEdit("已将「" + moved.name + "」移入「" + filled.name + "」");
    return;
  }

  const AppItem& targetApp = *targetSlot.asApp();
  const LaunchFolder folder(categoryFolderName(targetApp.name, moved.name), {targetApp, moved});
  withAnimation(kNewFolderSpring, [&] {
    items.mutate([&](std::vector<LaunchItem>& slots) {
      slots.erase(slots.begin() + d);
      // The folder takes the target's slot as counted after the dragged application left.
      if (const auto at = findSlot(slots, targetApp.id)) slots[*at] = LaunchItem::folder(folder);
    });
  });
  finishArrangementEdit("已创建「" + folder.name + "」文件夹");
}

void TilewellStore::createNewFolderWithApp(AppItem app, std::string customName) {
  const auto index = findSlot(items, app.id);
  if (!index) return;
  const AppItem* onGrid = items.get()[*index].asApp();
  if (!onGrid) return;  // the id names a folder
  const LaunchFolder folder(std::move(customName), {*onGrid});
  withAnimation(kNewFolderSpring, [&] {
    items.mutate(
        [&](std::vector<LaunchItem>& slots) { slots[*index] = LaunchItem::folder(folder); });
    activeFolder = folder;
  });
  // The slot count is unchanged, but under a search the folder may show where its application
  // did not, or the other way round.
  finishArrangementEdit();
}

void TilewellStore::updateFolderName(std::string folderID, std::string newName) {
  std::string name = trimWhitespaceAndNewlines(newName);
  if (name.empty()) return;
  const auto index = findSlot(items, folderID);
  if (!index) return;
  const LaunchFolder* folder = items.get()[*index].asFolder();
  if (!folder) return;
  LaunchFolder renamed = *folder;
  renamed.name = std::move(name);
  withoutAnimation([&] {
    items.mutate(
        [&](std::vector<LaunchItem>& slots) { slots[*index] = LaunchItem::folder(renamed); });
    if (isOpen(activeFolder, folderID)) activeFolder = renamed;
  });
  // Under a search a renamed folder may now match whole, or no longer: the page count can change.
  finishArrangementEdit();
}

void TilewellStore::addAppToFolder(std::string folderID, AppItem app) {
  const auto index = findSlot(items, folderID);
  if (!index) return;
  const LaunchFolder* folder = items.get()[*index].asFolder();
  if (!folder || holdsApp(folder->apps, app.id)) return;
  // An application id never names a folder; taking that "application" off the grid would take the
  // folder and everything in it.
  if (const auto clash = findSlot(items, app.id); clash && items.get()[*clash].isFolder()) return;

  LaunchFolder filled = *folder;
  filled.apps.push_back(app);
  std::vector<LaunchItem> next;
  next.reserve(items->size());
  bool leftGrid = false;
  for (std::size_t i = 0; i < items->size(); ++i) {
    const LaunchItem& slot = items.get()[i];
    if (i == *index) {
      next.push_back(LaunchItem::folder(filled));
    } else if (const AppItem* loose = slot.asApp()) {
      if (!leftGrid && loose->id == app.id) {
        leftGrid = true;
      } else {
        next.push_back(slot);
      }
    } else if (!holdsApp(slot.asFolder()->apps, app.id)) {
      next.push_back(slot);
    } else {
      // Search shows folder members as loose slots: one moved from another folder leaves it, so
      // that it is never in two places. An emptied folder goes.
      LaunchFolder rest = *slot.asFolder();
      eraseApp(rest.apps, app.id);
      if (!rest.apps.empty()) next.push_back(LaunchItem::folder(std::move(rest)));
    }
  }
  withAnimation(kFillFolderSpring, [&] {
    items = std::move(next);
    activeFolder = filled;
  });
  finishArrangementEdit();
}

void TilewellStore::removeAppFromFolder(std::string folderID, std::string appID) {
  const auto index = findSlot(items, folderID);
  if (!index) return;
  const LaunchFolder* folder = items.get()[*index].asFolder();
  // Removing an application the folder does not hold would put a second copy on the grid.
  if (!folder || !holdsApp(folder->apps, appID)) return;

  LaunchFolder rest = *folder;
  eraseApp(rest.apps, appID);
  std::vector<LaunchItem> next = items;
  const auto f = static_cast<std::ptrdiff_t>(*index);
  if (const auto record = allAppsMap->find(appID); record != allAppsMap->end()) {
    next.insert(next.begin() + f + 1, LaunchItem::app(record->second));
  }
  const bool dissolves = rest.apps.size() < 2;
  if (rest.apps.empty()) {
    next.erase(next.begin() + f);
  } else if (dissolves) {
    next[*index] = LaunchItem::app(rest.apps.front());
  } else {
    next[*index] = LaunchItem::folder(rest);
  }
  withoutAnimation([&] {
    items = std::move(next);
    activeFolder = dissolves ? std::nullopt : std::optional<LaunchFolder>(rest);
  });
  finishArrangementEdit(dissolves ? std::optional<std::string>("文件夹已解散还原为独立图标")
                                  : std::nullopt);
}

void TilewellStore::dissolveFolder(std::string folderID) {
  const auto index = findSlot(items, folderID);
  if (!index) return;
  const LaunchFolder* found = items.get()[*index].asFolder();
  if (!found) return;
  const LaunchFolder folder = *found;
  std::vector<LaunchItem> next = items;
  const auto f = static_cast<std::ptrdiff_t>(*index);
  next.erase(next.begin() + f);
  std::vector<LaunchItem> released;
  released.reserve(folder.apps.size());
  for (const AppItem& app : folder.apps)
    released.push_back(LaunchItem::app(app));
  next.insert(next.begin() + f, released.begin(), released.end());
  withAnimation(kNewFolderSpring, [&] {
    items = std::move(next);
    if (isOpen(activeFolder, folderID)) activeFolder = std::nullopt;
  });
  finishArrangementEdit("已解散「" + folder.name + "」文件夹");
}

}  // namespace calyxa
