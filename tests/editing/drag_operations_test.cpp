#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "arrangement_checks.h"
#include "support/test_platform.h"
#include "support/transaction_recorder.h"

namespace calyxa {
namespace {

using testing::ids;
using testing::isSpring;
using testing::isUnanimated;
using testing::makeApp;
using testing::numberedApps;
using testing::slots;
using testing::TestStore;
using testing::TransactionRecorder;

const Size kCell{100, 100};
const Point kIconCentre{50, 45};

// A store of `count` loose applications, its clock well past the start.
struct DragFixture {
  TestStore store;
  std::vector<AppItem> apps;

  explicit DragFixture(int count) : apps(numberedApps(count)) {
    store->items = slots(apps);
    store.pager.pageCount = store->pageCount();
    store.platform.scheduler->advance(10.0);
  }
  LaunchItem at(std::size_t index) const { return store.store->items.get().at(index); }
  void advance(double seconds) { store.platform.scheduler->advance(seconds); }
};

std::vector<std::string> idsOf(const std::vector<AppItem>& apps, std::initializer_list<int> order) {
  std::vector<std::string> result;
  for (int i : order)
    result.push_back(apps[static_cast<std::size_t>(i)].id);
  return result;
}

TEST(DragOverTest, NearTheIconCentreHighlightsAMergeFartherAwayReorders) {
  DragFixture f(5);
  auto& store = f.store;
  const LaunchItem dragged = f.at(0);
  TransactionRecorder recorder(store->changes);

  // The icon centre sits at 45 % of the cell height: straight below the middle is distance 0.
  store->updateDragOverTarget(dragged, f.at(2), kIconCentre, kCell);
  EXPECT_EQ(store->potentialFolderTargetID.get(), f.apps[2].id);
  store->updateDragOverTarget(dragged, f.at(2), {50 + 18, 45 + 24}, kCell);  // 30 points
  EXPECT_EQ(ids(store->items), idsOf(f.apps, {0, 1, 2, 3, 4})) << "a merge hover never reorders";
  ASSERT_EQ(recorder.changes.size(), 1u) << "an unchanged highlight is not set again";
  EXPECT_EQ(recorder.changes[0].property, "potentialFolderTargetID");
  EXPECT_TRUE(isSpring(recorder.changes[0].transaction, 0.18, 1.0));
  store->updateDragOverTarget(dragged, f.at(2), {50 + 34, 45}, kCell);  // on the radius
  EXPECT_EQ(store->potentialFolderTargetID.get(), f.apps[2].id);
  EXPECT_FALSE(store->hasPendingSave());

  // 35 points: the highlight goes and the grid reorders, the dragged slot taking the target's.
  recorder.clear();
  store->updateDragOverTarget(dragged, f.at(2), {50 + 21, 45 + 28}, kCell);
  EXPECT_EQ(store->potentialFolderTargetID.get(), std::nullopt);
  EXPECT_EQ(ids(store->items), idsOf(f.apps, {1, 2, 0, 3, 4}));
  ASSERT_EQ(recorder.of("potentialFolderTargetID").size(), 1u);
  EXPECT_TRUE(isSpring(recorder.of("potentialFolderTargetID")[0], 0.16, 1.0));
  ASSERT_EQ(recorder.of("items").size(), 1u);
  EXPECT_TRUE(isSpring(recorder.of("items")[0], 0.26, 1.0));
  EXPECT_TRUE(store->hasPendingSave());

  // Backwards the same way: the slots between shift towards the old place.
  f.advance(0.2);
  store->updateDragOverTarget(f.at(4), f.at(1), {0, 0}, kCell);
  EXPECT_EQ(ids(store->items), idsOf(f.apps, {1, 4, 2, 0, 3}));

  // Over its own slot: a pending highlight goes without animation, nothing moves.
  store->updateDragOverTarget(f.at(0), f.at(2), kIconCentre, kCell);
  recorder.clear();
  f.advance(0.2);
  store->updateDragOverTarget(f.at(0), f.at(0), {0, 0}, kCell);
  EXPECT_EQ(store->potentialFolderTargetID.get(), std::nullopt);
  ASSERT_EQ(recorder.changes.size(), 1u);
  EXPECT_TRUE(isUnanimated(recorder.changes[0].transaction));
  EXPECT_EQ(ids(store->items), idsOf(f.apps, {1, 4, 2, 0, 3}));

  // A folder never highlights, however close; it reorders.
  DragFixture g(3);
  g.store->items.mutate(
      [&](auto& items) { items[0] = LaunchItem::folder(LaunchFolder("F", {makeApp("In F")})); });
  g.store->updateDragOverTarget(g.at(0), g.at(2), kIconCentre, kCell);
  EXPECT_EQ(g.store->potentialFolderTargetID.get(), std::nullopt);
  EXPECT_EQ(g.at(2).name(), "F");
}

TEST(DragOverTest, ReordersAreThrottledOnTheMediaClock) {
  DragFixture f(6);
  auto& store = f.store;
  const LaunchItem dragged = f.at(0);
  const Point away{0, 0};

  store->updateDragOverTarget(dragged, f.at(1), away, kCell);  // the first one always passes
  EXPECT_EQ(ids(store->items), idsOf(f.apps, {1, 0, 2, 3, 4, 5}));
  f.advance(0.1);
  store->updateDragOverTarget(dragged, f.at(3), away, kCell);
  EXPECT_EQ(ids(store->items), idsOf(f.apps, {1, 0, 2, 3, 4, 5})) << "0.1 s after the last one";
  f.advance(0.059);
  store->updateDragOverTarget(dragged, f.at(3), away, kCell);
  EXPECT_EQ(ids(store->items), idsOf(f.apps, {1, 0, 2, 3, 4, 5})) << "0.159 s after";
  f.advance(0.002);
  store->updateDragOverTarget(dragged, f.at(3), away, kCell);
  EXPECT_EQ(ids(store->items), idsOf(f.apps, {1, 2, 3, 0, 4, 5}));

  // A refused reorder does not restart the interval.
  f.advance(0.2);
  store->updateDragOverTarget(LaunchItem::app(makeApp("Ghost")), f.at(1), away, kCell);
  store->updateDragOverTarget(dragged, f.at(5), away, kCell);
  EXPECT_EQ(ids(store->items), idsOf(f.apps, {1, 2, 3, 4, 5, 0}));

  // During a search the shown slots may not be slots of the arrangement: nothing moves.
  const LaunchFolder folder("Box", {f.apps[4], f.apps[5]});
  store->items.mutate([&](auto& items) {
    items.erase(items.begin() + 3, items.begin() + 5);
    items.insert(items.begin() + 3, LaunchItem::folder(folder));
  });
  const auto before = store->items.get();
  store->searchText = "App 00";
  f.advance(0.2);
  store->updateDragOverTarget(LaunchItem::app(f.apps[4]), f.at(0), away, kCell);
  EXPECT_EQ(store->items.get(), before);
}

TEST(DragOverTest, TheHighlightIsClearedOnlyByItsOwnCellAndEndsWithTheDrop) {
  DragFixture f(6);
  auto& store = f.store;
  store->draggingItem = f.at(0);
  store->updateDragOverTarget(f.at(0), f.at(2), kIconCentre, kCell);
  store->updateDragOverTarget(f.at(0), f.at(3), kIconCentre, kCell);

  TransactionRecorder recorder(store->changes);
  store->clearFolderHighlight(f.apps[2].id);  // left the cell highlighted before
  EXPECT_EQ(store->potentialFolderTargetID.get(), f.apps[3].id);
  EXPECT_TRUE(recorder.changes.empty());
  store->clearFolderHighlight(f.apps[3].id);
  EXPECT_EQ(store->potentialFolderTargetID.get(), std::nullopt);
  ASSERT_EQ(recorder.changes.size(), 1u);
  EXPECT_TRUE(isSpring(recorder.changes[0].transaction, 0.16, 1.0));

  // Released after the highlight went: the drag only ends.
  const auto before = store->items.get();
  store->finalizeItemDrop(f.at(0), f.at(3));
  EXPECT_EQ(store->items.get(), before);
  EXPECT_EQ(store->draggingItem.get(), std::nullopt);
  EXPECT_TRUE(store->hasPendingSave());

  // Released on the highlighted application: a folder.
  store->draggingItem = f.at(0);
  store->updateDragOverTarget(f.at(0), f.at(3), kIconCentre, kCell);
  store->finalizeItemDrop(f.at(0), f.at(3));
  ASSERT_EQ(store->items->size(), 5u);
  EXPECT_TRUE(store->items.get()[2].isFolder());
  EXPECT_EQ(store->potentialFolderTargetID.get(), std::nullopt);
  EXPECT_EQ(store->draggingItem.get(), std::nullopt);
  EXPECT_EQ(store->statusToast.get(), "已创建「同类应用」文件夹");

  // Released on the highlighted folder: the application joins it.
  store->updateDragOverTarget(f.at(4), f.at(2), kIconCentre, kCell);
  store->finalizeItemDrop(f.at(4), f.at(2));
  EXPECT_EQ(store->items.get()[2].asFolder()->apps.size(), 3u);

  // A highlight for another cell, or a drop on no cell, merges nothing.
  store->updateDragOverTarget(f.at(0), f.at(1), kIconCentre, kCell);
  const auto held = store->items.get();
  store->finalizeItemDrop(f.at(0), f.at(3));
  store->finalizeItemDrop(f.at(0), std::nullopt);
  EXPECT_EQ(store->items.get(), held);
}

TEST(ItemMoveTest, ArrowStepsClampAndThePagerFollowsTheItem) {
  DragFixture f(40);
  auto& store = f.store;
  TransactionRecorder recorder(store->changes);
  TransactionRecorder pagerRecorder(store.pager.changes);

  store->moveItemStep(f.at(0), -1);
  store->moveItemStep(f.at(39), 1);
  store->moveItemStep(f.at(5), 0);
  EXPECT_TRUE(recorder.changes.empty());
  EXPECT_FALSE(store->hasPendingSave());

  store->moveItemStep(f.at(34), 1);  // the last of page 0 crosses to page 1
  EXPECT_EQ(store->items.get()[35].id(), f.apps[34].id);
  EXPECT_EQ(store.pager.currentPage.get(), 1);
  ASSERT_EQ(recorder.of("items").size(), 1u);
  EXPECT_TRUE(isSpring(recorder.of("items")[0], 0.26, 1.0));
  EXPECT_NEAR(pagerRecorder.of("currentPage").at(0).animation.response,
              PagerMotionController::jumpResponse(1100.0), 1e-12);
  EXPECT_TRUE(store->hasPendingSave());
  EXPECT_EQ(store->statusToast.get(), std::nullopt);

  // Far steps clamp to the ends, without overflowing.
  store->moveItemStep(f.at(10), INT_MAX);
  EXPECT_EQ(store->items.get()[39].id(), f.apps[10].id);
  store->moveItemStep(f.at(20), INT_MIN);
  EXPECT_EQ(store->items.get()[0].id(), f.apps[21].id);
  EXPECT_EQ(store.pager.currentPage.get(), 0);
  EXPECT_EQ(testing::arrangementFault(store->items), "");

  // Found by value: a folder copy that is out of date, or a stranger, moves nothing.
  const LaunchFolder folder("F", {makeApp("A"), makeApp("B")});
  store->items.mutate([&](auto& items) { items[3] = LaunchItem::folder(folder); });
  LaunchFolder stale = folder;
  stale.apps.pop_back();
  const auto before = store->items.get();
  store->moveItemStep(LaunchItem::folder(stale), 1);
  store->moveItemStep(LaunchItem::app(makeApp("Ghost")), 1);
  EXPECT_EQ(store->items.get(), before);
  store->moveItemStep(LaunchItem::folder(folder), 1);
  EXPECT_EQ(store->items.get()[4].id(), folder.id);
}

TEST(ItemMoveTest, PageMovesClampTheirPageAndTellTheUser) {
  DragFixture f(80);  // 3 pages
  auto& store = f.store;
  TransactionRecorder recorder(store->changes);
  store->moveItemToPage(f.at(3), 5);
  EXPECT_EQ(store->items.get()[70].id(), f.apps[3].id);
  EXPECT_EQ(store.pager.currentPage.get(), 2);
  EXPECT_EQ(store->statusToast.get(), "已将「App 003」移至第 3 页");
  ASSERT_EQ(recorder.of("items").size(), 1u);
  EXPECT_TRUE(isSpring(recorder.of("items")[0], 0.3, 1.0));
  EXPECT_TRUE(store->hasPendingSave());

  store->moveItemToPage(f.at(50), -4);
  EXPECT_EQ(store->items.get()[0].id(), f.apps[51].id);
  EXPECT_EQ(store.pager.currentPage.get(), 0);
  EXPECT_EQ(store->statusToast.get(), "已将「App 051」移至第 1 页");

  // A last page with fewer slots than its first index: the item goes to the very end.
  DragFixture g(36);
  g.store->items.mutate(
      [&](auto& items) { items[0] = LaunchItem::folder(LaunchFolder("收藏", {makeApp("X")})); });
  g.store->moveItemToPage(g.at(0), 1);
  EXPECT_EQ(g.store->items.get()[35].name(), "收藏");
  EXPECT_EQ(g.store->statusToast.get(), "已将「收藏」移至第 2 页");

  const auto before = g.store->items.get();
  g.store->moveItemToPage(LaunchItem::app(makeApp("Ghost")), 1);
  g.store->moveItemToPage(LaunchItem::folder(LaunchFolder("收藏", {})), INT_MAX);
  EXPECT_EQ(g.store->items.get(), before);
}

TEST(DragOverTest, DegenerateGeometryNeverCrashesOrMerges) {
  DragFixture f(4);
  auto& store = f.store;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (const auto& [point, size] : std::vector<std::pair<Point, Size>>{
           {{nan, 0}, kCell}, {{inf, inf}, kCell}, {{0, 0}, {inf, -inf}}, {{50, 45}, {nan, 100}}}) {
    store->updateDragOverTarget(f.at(0), f.at(1), point, size);
    EXPECT_EQ(store->potentialFolderTargetID.get(), std::nullopt);
    f.advance(0.2);
  }
  EXPECT_EQ(testing::arrangementFault(store->items), "");
  EXPECT_EQ(store->items->size(), 4u);
}

}  // namespace
}  // namespace calyxa
