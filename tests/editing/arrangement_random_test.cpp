#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <set>
#include <sstream>

#include "arrangement_checks.h"
#include "catalogue/layout_file.h"
#include "catalogue/search_filter.h"
#include "support/test_platform.h"

namespace calyxa {
namespace {

using testing::makeApp;
using testing::TestStore;
using testing::TilewellStoreInspector;

std::set<std::string> placedAppIDs(const std::vector<LaunchItem>& items) {
  std::set<std::string> result;
  for (const auto& [id, count] : testing::appOccurrences(items))
    result.insert(id);
  return result;
}

// Drives the store the way the views do, and now and then the way they never should.
class RandomEditor {
 public:
  RandomEditor(TestStore& store, unsigned seed) : store_(store), random_(seed) {
    std::vector<std::string> names = {
        "Xcode", "Visual Studio Code", "WeChat",         "Music Player", "微信", "网易云音乐",
        "飞书",  "Podcasts",           "Android Studio", "Slack Chat"};
    for (int i = 10; i < 60; ++i)
      names.push_back("App " + std::to_string(i));
    for (const auto& name : names)
      apps_.push_back(makeApp(name));

    // Three placed applications are no longer in the catalogue; three catalogued ones are not
    // placed.
    std::map<std::string, AppItem> catalogue;
    for (std::size_t i = 0; i < 57; ++i)
      catalogue.emplace(apps_[i].id, apps_[i]);
    for (int i = 1; i <= 3; ++i) {
      const AppItem spare = makeApp("Spare " + std::to_string(i));
      catalogue.emplace(spare.id, spare);
    }
    store_->allAppsMap = catalogue;

    std::vector<AppItem> loose(apps_.begin() + 13, apps_.begin() + 57);
    std::vector<LaunchItem> items;
    for (const auto& app : loose)
      items.push_back(LaunchItem::app(app));
    std::shuffle(items.begin(), items.end(), random_);
    items.insert(items.begin() + 5, LaunchItem::folder(LaunchFolder(
                                        "Tools", {apps_[0], apps_[1], apps_[2], apps_[3]})));
    items.insert(items.begin() + 20, LaunchItem::folder(LaunchFolder(
                                         "音乐", {apps_[4], apps_[5], apps_[6], apps_[7]})));
    items.insert(items.begin() + 40,
                 LaunchItem::folder(LaunchFolder("Gone", {apps_[57], apps_[58], apps_[59]})));
    items.push_back(LaunchItem::folder(LaunchFolder("Misc", {apps_[8], apps_[9], apps_[10]})));
    items.push_back(LaunchItem::app(apps_[11]));
    items.push_back(LaunchItem::app(apps_[12]));
    store_->items = items;
    store_.pager.pageCount = store_->pageCount();
  }

  // One step: an operation of the store (true) or a change of the surroundings (false).
  bool step(std::string& description, std::optional<std::string>& mayDrop,
            std::optional<std::string>& mayAdd) {
    std::ostringstream out;
    bool operation = true;
    switch (below(16)) {
      case 0: {
        const LaunchItem dragged = item(), target = item();
        out << "createOrMergeIntoFolder(" << dragged.id() << ", " << target.id() << ")";
        store_->createOrMergeIntoFolder(dragged, target);
        break;
      }
      case 1: {
        const AppItem a = app();
        out << "createNewFolderWithApp(" << a.id << ")";
        if (below(2)) {
          store_->createNewFolderWithApp(a);
        } else {
          store_->createNewFolderWithApp(a, name());
        }
        break;
      }
      case 2: {
        const std::string id = folderID(), newName = name();
        out << "updateFolderName(" << id << ", \"" << newName << "\")";
        store_->updateFolderName(id, newName);
        break;
      }
      case 3: {
        const std::string id = folderID();
        const AppItem a = app();
        out << "addAppToFolder(" << id << ", " << a.id << ")";
        mayAdd = a.id;
        store_->addAppToFolder(id, a);
        break;
      }
      case 4: {
        const std::string id = folderID();
        const std::string member = appIDFor(id);
        out << "removeAppFromFolder(" << id << ", " << member << ")";
        if (!store_->allAppsMap->contains(member)) mayDrop = member;
        store_->removeAppFromFolder(id, member);
        break;
      }
      case 5: {
        const std::string id = folderID();
        out << "dissolveFolder(" << id << ")";
        store_->dissolveFolder(id);
        break;
      }
      case 6:
      case 7: {
        const LaunchItem dragged = store_->draggingItem.get().value_or(item());
        const LaunchItem target = item();
        const Point at{uniform(-10, 110), uniform(-10, 110)};
        out << "updateDragOverTarget(" << dragged.id() << ", " << target.id() << ", " << at.x
            << ", " << at.y << ")";
        store_->updateDragOverTarget(dragged, target, at, {100, 100});
        break;
      }
      case 8: {
        const std::string id = below(2) && store_->potentialFolderTargetID.get()
                                   ? *store_->potentialFolderTargetID.get()
                                   : item().id();
        out << "clearFolderHighlight(" << id << ")";
        store_->clearFolderHighlight(id);
        break;
      }
      case 9: {
        const LaunchItem dragged = store_->draggingItem.get().value_or(item());
        std::optional<LaunchItem> on;
        if (below(5) != 0) on = item();
        // Mostly released where the highlight is, as a real drop is.
        if (const auto& highlighted = store_->potentialFolderTargetID.get();
            highlighted && below(2)) {
          for (const auto& slot : store_->filteredItems()) {
            if (slot.id() == *highlighted) on = slot;
          }
        }
        out << "finalizeItemDrop(" << dragged.id() << ", " << (on ? on->id() : "none") << ")";
        store_->finalizeItemDrop(dragged, on);
        break;
      }
      case 10: {
        static const int deltas[] = {-1, 1, -1, 1, 0, -7, 7, -40, 40, INT_MIN, INT_MAX};
        const LaunchItem moved = item();
        const int delta = deltas[below(std::size(deltas))];
        out << "moveItemStep(" << moved.id() << ", " << delta << ")";
        store_->moveItemStep(moved, delta);
        break;
      }
      case 11: {
        static const int pages[] = {-3, -1, 0, 1, 2, 3, 7, INT_MAX, INT_MIN};
        const LaunchItem moved = item();
        const int page = pages[below(std::size(pages))];
        out << "moveItemToPage(" << moved.id() << ", " << page << ")";
        store_->moveItemToPage(moved, page);
        break;
      }
      case 12: {
        static const char* texts[] = {"",   "",      "",      "app 1", "App 2",  "code", "音",
                                      "  ", "spare", "tools", "ghost", "studio", "新建"};
        const char* text = texts[below(std::size(texts))];
        out << "searchText = \"" << text << "\"";
        store_->searchText = text;
        operation = false;
        break;
      }
      case 13: {
        const auto folders = topLevelFolders();
        if (!folders.empty() && below(3)) {
          store_->activeFolder = folders[below(folders.size())];
          out << "open " << store_->activeFolder.get()->id;
        } else {
          store_->activeFolder = std::nullopt;
          out << "close the folder";
        }
        operation = false;
        break;
      }
      case 14: {
        // Mostly within the save delay, which keeps file writes few; past the throttle often.
        const double seconds = below(16) ? uniform(0.0, 0.2) : uniform(0.3, 0.6);
        out << "advance " << seconds;
        store_.platform.scheduler->advance(seconds);
        operation = false;
        break;
      }
      default: {
        if (below(3)) {
          store_->draggingItem = item();
        } else {
          store_->draggingItem = std::nullopt;
        }
        out << "draggingItem = "
            << (store_->draggingItem.get() ? store_->draggingItem.get()->id() : "none");
        operation = false;
        break;
      }
    }
    description = out.str();
    return operation;
  }

 private:
  std::size_t below(std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_);
  }
  double uniform(double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(random_);
  }

  std::vector<LaunchFolder> topLevelFolders() const {
    std::vector<LaunchFolder> result;
    for (const auto& slot : store_->items.get()) {
      if (const LaunchFolder* folder = slot.asFolder()) result.push_back(*folder);
    }
    return result;
  }
  std::vector<AppItem> folderMembers() const {
    std::vector<AppItem> result;
    for (const auto& folder : topLevelFolders())
      result.insert(result.end(), folder.apps.begin(), folder.apps.end());
    return result;
  }

  AppItem ghostApp() { return makeApp("Ghost " + std::to_string(below(3))); }

  // A slot as a view would hand it over, or one no view should.
  LaunchItem item() {
    const auto& shown = store_->filteredItems();
    const auto& items = store_->items.get();
    const auto folders = topLevelFolders();
    const auto roll = below(20);
    if (roll < 10 && !shown.empty()) return shown[below(shown.size())];
    if (roll < 14 && !items.empty()) return items[below(items.size())];
    if (roll < 16) {
      const auto members = folderMembers();
      if (!members.empty()) return LaunchItem::app(members[below(members.size())]);
    }
    if (roll == 16 && !folders.empty()) {
      LaunchFolder stale = folders[below(folders.size())];
      if (stale.apps.empty() || below(2)) {
        stale.apps.push_back(ghostApp());
      } else {
        stale.apps.pop_back();
      }
      return LaunchItem::folder(stale);
    }
    if (roll == 17 && !folders.empty()) {
      const auto& folder = folders[below(folders.size())];
      return LaunchItem::app(AppItem{folder.id, "Impostor", "Impostor", "x", "/x", false});
    }
    if (roll == 18 && !items.empty()) {
      return LaunchItem::folder(LaunchFolder(items[below(items.size())].id(), "Impostor", {}));
    }
    return below(2) ? LaunchItem::app(ghostApp())
                    : LaunchItem::folder(LaunchFolder("Ghost folder", {}));
  }

  AppItem app() {
    const auto roll = below(10);
    if (roll < 6) {
      const LaunchItem slot = item();
      if (const AppItem* a = slot.asApp()) return *a;
      return AppItem{slot.id(), slot.name(), slot.name(), "folder", "/folder", false};
    }
    if (roll < 8) {
      const auto& catalogue = store_->allAppsMap.get();
      auto at = catalogue.begin();
      std::advance(at, static_cast<std::ptrdiff_t>(below(catalogue.size())));
      return at->second;
    }
    if (roll == 8) {
      const auto members = folderMembers();
      if (!members.empty()) return members[below(members.size())];
    }
    return ghostApp();
  }

  std::string folderID() {
    const auto folders = topLevelFolders();
    const auto roll = below(10);
    if (roll < 7 && !folders.empty()) return folders[below(folders.size())].id;
    if (roll < 9) return item().id();
    return below(2) ? makeFolderID() : std::string();
  }

  // Mostly a member of the folder, else anything.
  std::string appIDFor(const std::string& id) {
    for (const auto& folder : topLevelFolders()) {
      if (folder.id == id && !folder.apps.empty() && below(3)) {
        return folder.apps[below(folder.apps.size())].id;
      }
    }
    return below(4) ? app().id : folderID();
  }

  std::string name() {
    static const char* names[] = {"Tools", "App Box", "音乐",      "  spaced  ",
                                  "",      " \n",     "新建文件夹"};
    return names[below(std::size(names))];
  }

  TestStore& store_;
  std::mt19937 random_;
  std::vector<AppItem> apps_;
};

// Empty when the state after one step breaks no rule; else which rule.
std::string faultAfterStep(TestStore& store, const std::vector<LaunchItem>& before, bool operation,
                           const std::optional<std::string>& mayDrop,
                           const std::optional<std::string>& mayAdd) {
  const auto& items = store->items.get();
  if (auto fault = testing::arrangementFault(items); !fault.empty()) return fault;
  for (const auto& slot : items) {
    if (slot.isFolder() && slot.asFolder()->apps.empty()) return "an empty folder " + slot.id();
  }

  const auto was = placedAppIDs(before);
  const auto is = placedAppIDs(items);
  for (const auto& id : was) {
    if (!is.contains(id) && id != mayDrop) return id + " vanished";
  }
  for (const auto& id : is) {
    if (!was.contains(id) && id != mayAdd) return id + " appeared";
  }

  if (const auto& open = store->activeFolder.get()) {
    const auto at = std::find_if(items.begin(), items.end(),
                                 [&](const LaunchItem& slot) { return slot.id() == open->id; });
    if (at == items.end() || !at->isFolder()) return "the open folder " + open->id + " is gone";
    if (!(*at->asFolder() == *open)) return "the open folder differs from the grid's";
  }

  if (store.pager.pageCount != store->pageCount()) {
    return "pager has " + std::to_string(store.pager.pageCount) + " pages, the store " +
           std::to_string(store->pageCount());
  }
  if (operation && snapshotLayout(before) != snapshotLayout(items) && !store->hasPendingSave()) {
    return "the arrangement changed without a save";
  }
  // Every edit reaches the search result at once.
  if (testing::ids(store->filteredItems()) !=
      testing::ids(filterItems(items, makeSearchQuery(store->searchText.get())))) {
    return "the search result is stale";
  }
  return {};
}

TEST(ArrangementRandomTest, EveryOperationKeepsEachApplicationInOnePlace) {
  for (const unsigned seed : {20260414u, 917u, 31337u}) {
    TestStore store;
    RandomEditor editor(store, seed);
    int operations = 0;
    int changes = 0;
    for (int step = 0; step < 8000; ++step) {
      const auto before = store->items.get();
      std::string description;
      std::optional<std::string> mayDrop;
      std::optional<std::string> mayAdd;
      const bool operation = editor.step(description, mayDrop, mayAdd);
      operations += operation;
      changes += !(before == store->items.get());
      const std::string fault = faultAfterStep(store, before, operation, mayDrop, mayAdd);
      ASSERT_EQ(fault, "") << "seed " << seed << ", step " << step << ": " << description;
    }
    // The walk did edit, and the file on disk ends up as the arrangement.
    EXPECT_GT(changes, 1000) << "seed " << seed;
    EXPECT_GT(operations, 5000) << "seed " << seed;
    store->flushPendingSave();
    EXPECT_EQ(readLayoutFile(TilewellStoreInspector::layoutFileURL(*store)),
              snapshotLayout(store->items))
        << "seed " << seed;
  }
}

}  // namespace
}  // namespace calyxa
