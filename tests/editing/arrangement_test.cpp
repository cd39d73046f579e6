#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <random>
#include <set>

#include "arrangement_checks.h"
#include "catalogue/layout_file.h"
#include "editing/arrangement_edits.h"
#include "platform/posix/serial_background_queue.h"
#include "support/transaction_recorder.h"

namespace calyxa {
namespace {

using namespace calyxa::testing;

// All eleven operations, called as the views do and with ids no view would pass, during searches.
TEST(ArrangementRandomTest, EveryOperationKeepsEachApplicationInOnePlace) {
  const unsigned seed = 20260414;
  std::mt19937 random(seed);
  const auto below = [&](std::size_t n) { return random() % n; };
  const auto uniform = [&](double low, double high) { return low + (high - low) * below(99) / 98; };
  const auto pick = [&](const auto& from) { return from[below(std::size(from))]; };
  const auto placed = [](const std::vector<LaunchItem>& items) {  // application ids, repeated
    std::multiset<std::string> ids;
    for (const auto& slot : items)
      for (const auto& app : slot.isFolder() ? slot.asFolder()->apps : std::vector{*slot.asApp()})
        ids.insert(app.id);
    return ids;
  };

  TestStore store;
  arrange(store, "[Misc: Xcode VSCode WeChat]" + manyApps(20) +
                     " [音乐: MusicPlayer 微信 网易云音乐 飞书]" + manyApps(27, 20) +
                     " [Gone: Podcasts AndroidStudio SlackChat]");
  // The last three are no longer catalogued; three catalogued ones stand nowhere.
  std::vector<std::string> appIDs = {"", appID("Ghost")};
  store->allAppsMap.mutate([&](auto& catalogue) {
    for (const char* gone : {"Podcasts", "AndroidStudio", "SlackChat"})
      catalogue.erase(appIDs.emplace_back(appID(gone)));
    for (const char* spare : {"Spare1", "Spare2", "Spare3"})
      catalogue.emplace(appID(spare), makeApp(spare));
    for (const auto& [id, app] : catalogue)
      appIDs.push_back(id);
  });
  const auto catalogue = store->allAppsMap.get();
  // An id the store might be handed: an application's, a slot's, a stranger's or none.
  const auto anyID = [&] { return below(3) ? pick(appIDs) : pick(ids(store->items)); };
  const auto anApp = [&] {
    const std::string id = anyID();
    const auto found = catalogue.find(id);
    if (found != catalogue.end() && below(4)) return found->second;
    return AppItem{id, "Impostor", "Impostor", "x", "/x", false};
  };
  // A slot as a view hands it over, or one out of date, of the wrong kind or unknown.
  const auto item = [&] {
    const auto& shown = store->filteredItems();
    const auto roll = below(10);
    if (roll < 6 && !shown.empty()) return pick(shown);
    if (roll < 8) return pick(store->items.get());
    if (roll < 9) return LaunchItem::app(anApp());
    return LaunchItem::folder(LaunchFolder(anyID(), "Stale", {makeApp("Ghost")}));
  };

  TransactionRecorder recorder(store->changes);
  bool settled = true;  // a toast comes last: the pages and the save are settled when it shows
  const Observation toasts = store->statusToast.observe([&](const auto& text, const auto&) {
    settled = settled &&
              (!text || (store->hasPendingSave() && store.pager.pageCount == store->pageCount()));
  });
  const std::optional<Animation> made = Animation::spring(0.3, 0.95),
                                 filled = Animation::spring(0.28, 0.95),
                                 reorder = Animation::spring(0.26, 1.0),
                                 pageMove = Animation::spring(0.3, 1.0),
                                 unanimated = Animation::none(), depends;
  const int deltas[] = {-1, 1, 0, -7, 7, -40, 40, INT_MIN, INT_MAX};
  const int pages[] = {-3, -1, 0, 1, 2, 3, 7, INT_MAX, INT_MIN};
  const char* const names[] = {"Tools", "App Box", "音乐", "  spaced  ", "", " \n", "新建文件夹"};
  const char* const searches[] = {"",   "",      "",     "app1",  "app2",   "code", "音",
                                  "  ", "spare", "misc", "ghost", "studio", "新建"};
  const Point oddPoints[] = {{NAN, 0}, {INFINITY, INFINITY}, {-INFINITY, 0}};
  const Size cell{100, 100};
  int changes = 0;
  for (int step = 0; step < 10000; ++step) {
    const LaunchItem a = item(), b = item();
    const LaunchItem dragged = store->draggingItem.get().value_or(a);
    const AppItem app = anApp();
    std::vector<LaunchFolder> folders;
    for (const auto& slot : store->items.get()) {
      if (slot.isFolder()) folders.push_back(*slot.asFolder());
    }
    const auto folder = below(2) && !folders.empty() ? std::optional(pick(folders)) : std::nullopt;
    const std::string f = folder ? folder->id : anyID();
    const std::string member = folder && below(3) ? pick(folder->apps).id : anyID();
    const Point at = below(9) ? Point{uniform(-10, 110), uniform(-10, 110)} : pick(oddPoints);
    const auto on = below(5) ? std::optional(b) : std::nullopt;
    const auto target = findSlot(store->items, b.id());
    const auto merge = target && store->items.get()[*target].isFolder() ? filled : made;

    const std::function<void()> operations[] = {
        [&] { store->createOrMergeIntoFolder(a, b); },
        [&] { store->createNewFolderWithApp(app, pick(names)); },
        [&] { store->updateFolderName(f, pick(names)); },
        [&] { store->addAppToFolder(f, app); },
        [&] { store->removeAppFromFolder(f, member); },
        [&] { store->dissolveFolder(f); },
        [&] { store->updateDragOverTarget(dragged, b, at, cell); },
        [&] { store->clearFolderHighlight(store->potentialFolderTargetID.get().value_or(b.id())); },
        [&] { store->finalizeItemDrop(dragged, on); },
        [&] { store->moveItemStep(a, pick(deltas)); },
        [&] { store->moveItemToPage(a, pick(pages)); },
        // Not the store's operations: what surrounds them.
        [&] { store->searchText = pick(searches); },
        [&] { store->activeFolder = below(3) ? folder : std::nullopt; },
        // Mostly within the save delay, which keeps file writes few; past the throttle often.
        [&] { store.platform.scheduler->advance(below(16) ? uniform(0, 0.2) : uniform(0.3, 0.6)); },
        [&] { store->draggingItem = below(3) ? std::optional(a) : std::nullopt; },
    };
    const std::optional<Animation> animations[] = {
        merge,   made,    unanimated, filled,  unanimated, made,    reorder, depends,
        depends, reorder, pageMove,   depends, depends,    depends, depends};
    const std::size_t operation = below(std::size(operations));
    const auto before = store->items.get();
    recorder.clear();
    operations[operation]();

    const auto& items = store->items.get();
    changes += !(before == items);
    SCOPED_TRACE("seed " + std::to_string(seed) + ", step " + std::to_string(step) +
                 ", operation " + std::to_string(operation));
    for (const auto& slot : items)
      ASSERT_FALSE(slot.isFolder() && slot.asFolder()->apps.empty()) << "an empty folder";
    const auto was = placed(before), is = placed(items);
    for (const auto& id : is) {
      ASSERT_EQ(is.count(id), 1u) << id;
      ASSERT_TRUE(was.contains(id) || (operation == 3 && id == app.id)) << id << " appeared";
    }
    for (const auto& id : was) {
      const bool dropped = operation == 4 && id == member && !catalogue.contains(id);
      ASSERT_TRUE(is.contains(id) || dropped) << id << " vanished";
    }
    if (const auto& open = store->activeFolder.get()) {
      ASSERT_NE(std::find(items.begin(), items.end(), LaunchItem::folder(*open)), items.end())
          << "the open folder is not the grid's";
    }
    ASSERT_EQ(store.pager.pageCount, store->pageCount());
    ASSERT_TRUE(store.pager.currentPage >= 0 && store.pager.currentPage < store.pager.pageCount)
        << "stranded on page " << store.pager.currentPage;
    ASSERT_TRUE(operation > 10 || snapshotLayout(before) == snapshotLayout(items) ||
                store->hasPendingSave())
        << "a change without a save";
    for (const auto& [property, transaction] : recorder.changes) {
      if (property != "items" && property != "activeFolder") continue;
      ASSERT_TRUE(!animations[operation] ||
                  transaction.effectiveAnimation() == *animations[operation])
          << property;
    }
    ASSERT_TRUE(settled);
  }
  EXPECT_GT(changes, 1500) << "the walk did edit";
  store->flushPendingSave();
  EXPECT_EQ(readLayoutFile(TilewellStoreInspector::layoutFileURL(*store)),
            snapshotLayout(store->items));
}

// Starts each save at once on a real worker thread, so that writes run while edits go on.
struct ImmediateWorker final : BackgroundQueue {
  explicit ImmediateWorker(std::shared_ptr<const MediaClock> clock) : queue(std::move(clock)) {}
  Cancellable asyncAfter(double, Work work) override { return queue.asyncAfter(0.0, work); }
  void waitUntilIdle() override { queue.waitUntilIdle(); }
  SerialBackgroundQueue queue;
};

TEST(ArrangementSaveTest, SavesWrittenDuringEditsHoldTheArrangementOfTheirTime) {
  TestPlatform platform;
  PlatformServices services = platform.services();
  services.backgroundQueue = std::make_shared<ImmediateWorker>(services.clock);
  PagerMotionController pager;
  TilewellStore store(services, pager);
  store.items = slots(numberedApps(300));
  for (std::size_t round = 0; round < 300; ++round) {
    platform.scheduler->advance(0.2);
    const auto at = [&](std::size_t i) { return store.items.get()[i % store.items->size()]; };
    if (round % 3 == 0) store.updateDragOverTarget(at(round * 7), at(round + 1), {}, {100, 100});
    if (round % 3 == 1) store.moveItemToPage(at(round * 3), static_cast<int>(round % 9));
    if (round % 3 == 2) store.createOrMergeIntoFolder(at(round + 1), at(round));
  }
  store.flushPendingSave();
  EXPECT_EQ(readLayoutFile(TilewellStoreInspector::layoutFileURL(store)),
            snapshotLayout(store.items));
}

}  // namespace
}  // namespace calyxa
