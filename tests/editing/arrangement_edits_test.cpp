#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "arrangement_checks.h"
#include "editing/folder_category.h"
#include "support/transaction_recorder.h"

namespace calyxa {
namespace {

using namespace calyxa::testing;

// An empty folder slot of that id and name: an out-of-date copy, or a false folder.
const auto folderSlot = [](const std::string& id) { return LaunchItem::folder({id, id, {}}); };

TEST(FolderCategoryTest, CategoriesAreTriedInOrderOverBothLowerCasedNames) {
  // Social before media, whichever name hits; "信" counts inside a word; "STUDİO" is no "studio".
  const char* const cases[][3] = {
      {"Xcode", "Visual Studio Code", "开发工具"},  {"WeChat", "Music Player", "社交沟通"},
      {"Music Player", "WeChat", "社交沟通"},       {"企业微信", "Notes", "社交沟通"},
      {"Notes", "网易云音乐", "影音娱乐"},          {"Notes", "飞书", "社交沟通"},
      {"ANDROID STUDIO", "VLC PLAYER", "开发工具"}, {"STUDİO", "Notes", "同类应用"}};
  for (const auto& [target, dragged, expected] : cases)
    EXPECT_EQ(categoryFolderName(target, dragged), expected) << target << " / " << dragged;
}

TEST(FolderOperationsTest, EachEditPutsTheSlotsWhereTheyBelongAndSaysSo) {
  TestStore store;
  arrange(store, "a b c Code d e Xcode f");  // once Code (3) left, Xcode (6) stands at 5
  store->createOrMergeIntoFolder(appSlot("Code"), appSlot("Xcode"));
  EXPECT_EQ(look(store), "a b c d e [开发工具: Xcode Code] f | 已创建「开发工具」文件夹");
  store->createOrMergeIntoFolder(appSlot("f"), appSlot("a"));
  EXPECT_EQ(look(store),
            "[同类应用: a f] b c d e [开发工具: Xcode Code] | 已创建「同类应用」文件夹");

  arrange(store, "a *[工具: b c] d");
  store->addAppToFolder("工具", makeApp("a"));
  store->createOrMergeIntoFolder(appSlot("d"), folderSlot("工具"));  // as the drag began
  EXPECT_EQ(look(store), "*[工具: b c a d] | 已将「d」移入「工具」");

  arrange(store, "a b c [Other: d e]");
  store->createNewFolderWithApp(makeApp("b"));
  EXPECT_EQ(look(store), "a *[新建文件夹: b] c [Other: d e]");
  store->updateFolderName(store->items.get()[1].id(), "  开发 工具 \n");
  store->updateFolderName("Other", "Misc");
  EXPECT_EQ(look(store), "a *[开发 工具: b] c [Misc: d e]");

  arrange(store, "[Tools:" + manyApps(40) + "]");
  store->searchText = "app";
  ASSERT_EQ(store.pager.pageCount, 2);
  store->updateFolderName("Tools", "App Tools");  // shown whole now, not its members
  EXPECT_EQ(store.pager.pageCount, 1);

  arrange(store, "[Target: a b] [Source: kiwi d] e f g");
  store->addAppToFolder("Target", makeApp("f"));
  store->addAppToFolder("Target", makeApp("Fresh"));  // not in the arrangement: only appended
  EXPECT_EQ(look(store), "*[Target: a b f Fresh] [Source: kiwi d] e g");
  // A member of another folder, shown loose by a search, leaves it.
  store->searchText = "kiwi";
  store->addAppToFolder("Target", *store->filteredItems().at(0).asApp());
  EXPECT_EQ(look(store), "*[Target: a b f Fresh kiwi] [Source: d] e g");

  arrange(store, "*[Pair: a b] [Trio: c d e]");
  store->removeAppFromFolder("Pair", appID("a"));
  EXPECT_EQ(look(store), "b a [Trio: c d e] | 文件夹已解散还原为独立图标");
  store->removeAppFromFolder("Trio", appID("d"));
  EXPECT_EQ(look(store), "b a *[Trio: c e] d");
  store->createNewFolderWithApp(makeApp("a"));
  store->removeAppFromFolder(store->items.get()[1].id(), appID("a"));
  EXPECT_EQ(look(store), "b a [Trio: c e] d | 文件夹已解散还原为独立图标");
  // No longer catalogued: dropped from the folder, not put back.
  store->allAppsMap.mutate([&](auto& catalogue) { catalogue.erase(appID("e")); });
  store->removeAppFromFolder("Trio", appID("e"));
  EXPECT_EQ(look(store), "b a c d | 文件夹已解散还原为独立图标");

  arrange(store, "a [收藏: b c d] *[Other: e]");
  store->dissolveFolder("收藏");
  EXPECT_EQ(look(store), "a b c d *[Other: e] | 已解散「收藏」文件夹");
  store->dissolveFolder("Other");
  EXPECT_EQ(look(store), "a b c d e | 已解散「Other」文件夹");
}

TEST(FolderOperationsTest, UnknownOrMismatchedIdsChangeNothing) {
  TestStore store;
  arrange(store, "a [F: b c] *[G: d e] f");
  const auto folderAsApp = [](const char* id) { return AppItem{id, id, id, "x", "/x", false}; };
  const std::function<void()> calls[] = {
      [&] { store->createOrMergeIntoFolder(folderSlot("F"), appSlot("a")); },
      [&] { store->createOrMergeIntoFolder(appSlot("a"), appSlot("Ghost")); },
      [&] { store->createOrMergeIntoFolder(appSlot("Ghost"), appSlot("a")); },
      [&] { store->createOrMergeIntoFolder(appSlot("a"), appSlot("a")); },
      [&] { store->createOrMergeIntoFolder(LaunchItem::app(folderAsApp("F")), appSlot("a")); },
      [&] { store->createOrMergeIntoFolder(appSlot("f"), folderSlot(appID("a"))); },
      [&] { store->createNewFolderWithApp(makeApp("Ghost")); },
      [&] { store->createNewFolderWithApp(folderAsApp("F")); },
      [&] { store->updateFolderName("Ghost", "Name"); },
      [&] { store->updateFolderName(appID("a"), "Name"); },
      [&] { store->updateFolderName("F", " \t　 \n"); },  // ideographic space too
      [&] { store->addAppToFolder("Ghost", makeApp("a")); },
      [&] { store->addAppToFolder(appID("f"), makeApp("a")); },
      [&] { store->addAppToFolder("F", makeApp("c")); },
      [&] { store->addAppToFolder("F", folderAsApp("G")); },
      [&] { store->removeAppFromFolder("Ghost", appID("b")); },
      [&] { store->removeAppFromFolder(appID("a"), appID("a")); },
      [&] { store->removeAppFromFolder("F", appID("d")); },
      [&] { store->dissolveFolder(appID("a")); },
  };
  TransactionRecorder recorder(store->changes);
  for (std::size_t i = 0; i < std::size(calls); ++i) {
    calls[i]();
    EXPECT_TRUE(look(store) == "a [F: b c] *[G: d e] f" && !store->hasPendingSave() &&
                recorder.changes.empty())
        << "call " << i;
  }
}

// Wider than high, so that the icon centre (0.5 w, 0.45 h) is (60, 36) and no other mix.
const Size kCell{120, 80};
const Point kCentre{60, 36};

TEST(DragOverTest, NearTheIconCentreHighlightsFartherAwayReordersDropsOnTheHighlightMerge) {
  TestStore store;
  arrange(store, "a b c d e f");
  store.platform.scheduler->advance(10.0);
  const auto dragOver = [&](double after, const char* dragged, const char* target, Point at) {
    store.platform.scheduler->advance(after);
    store->updateDragOverTarget(appSlot(dragged), appSlot(target), at, kCell);
    return look(store);
  };
  TransactionRecorder recorder(store->changes);
  dragOver(0, "a", "c", kCentre);
  dragOver(0, "a", "c", {60 + 18, 36 + 24});                        // 30 away
  EXPECT_EQ(dragOver(0, "a", "c", {60 + 34, 36}), "a b ^c d e f");  // on the radius
  ASSERT_EQ(recorder.changes.size(), 1u) << "no repeated highlight";
  EXPECT_TRUE(isSpring(recorder.changes[0].transaction, 0.18, 1.0));
  // 35 points: the highlight goes and the grid reorders, the dragged slot taking the target's.
  recorder.clear();
  EXPECT_EQ(dragOver(0, "a", "c", {60 + 21, 36 + 28}), "b c a d e f");
  EXPECT_TRUE(isSpring(recorder.of("potentialFolderTargetID").at(0), 0.16, 1.0));

  // Reorders wait 0.16 s of media time after the last one; a refused one does not restart it.
  EXPECT_EQ(dragOver(0.1, "a", "e", {}), "b c a d e f");
  EXPECT_EQ(dragOver(0.059, "a", "e", {}), "b c a d e f");
  EXPECT_EQ(dragOver(0.002, "a", "e", {}), "b c d e a f");
  dragOver(0.2, "Ghost", "b", {});
  EXPECT_EQ(dragOver(0, "a", "f", {}), "b c d e f a");

  // Over its own slot: a pending highlight goes without animation, nothing moves.
  dragOver(0, "a", "c", kCentre);
  recorder.clear();
  EXPECT_EQ(dragOver(0.2, "a", "a", {}), "b c d e f a");
  EXPECT_TRUE(recorder.changes.at(0).transaction.effectiveAnimation().isNone());

  // A folder never highlights: it reorders. A search's loose folder members move nothing.
  arrange(store, "[F: x y] a [Box: kiwi z] b");
  store->updateDragOverTarget(folderSlot("F"), appSlot("b"), kCentre, kCell);
  store->searchText = "kiwi";
  EXPECT_EQ(dragOver(0.2, "kiwi", "a", {}), "a [Box: kiwi z] b [F: x y]");

  // The highlight is cleared only by its own cell, and ends with the drop.
  arrange(store, "a b c d e f");
  store->draggingItem = appSlot("a");
  dragOver(0, "a", "c", kCentre);
  dragOver(0, "a", "d", kCentre);
  recorder.clear();
  store->clearFolderHighlight(appID("c"));  // left the cell highlighted before
  EXPECT_EQ(look(store), "a b c ^d e f");
  store->clearFolderHighlight(appID("d"));
  EXPECT_TRUE(isSpring(recorder.changes.at(0).transaction, 0.16, 1.0));
  // Released after the highlight went: the drag only ends.
  store->finalizeItemDrop(appSlot("a"), appSlot("d"));
  EXPECT_EQ(look(store), "a b c d e f");
  EXPECT_EQ(store->draggingItem.get(), std::nullopt);
  EXPECT_TRUE(store->hasPendingSave());

  // Released on the highlighted application: a folder; on a highlighted folder: it joins.
  dragOver(0, "a", "d", kCentre);
  store->finalizeItemDrop(appSlot("a"), appSlot("d"));
  const LaunchItem made = store->items.get()[2];
  store->updateDragOverTarget(appSlot("e"), made, kCentre, kCell);
  store->finalizeItemDrop(appSlot("e"), made);
  EXPECT_EQ(look(store), "b c [同类应用: d a e] f | 已将「e」移入「同类应用」");
  // A highlight for another cell, or a drop on no cell, merges nothing.
  dragOver(0, "b", "c", kCentre);
  store->finalizeItemDrop(appSlot("b"), appSlot("f"));
  EXPECT_EQ(look(store), "b c [同类应用: d a e] f");
}

TEST(ItemMoveTest, StepsAndPageMovesClampAndThePagerFollowsTheItem) {
  TestStore store;
  arrange(store, manyApps(80));  // 3 pages
  const auto at = [&](std::size_t i) { return store->items.get().at(i); };
  // The name in slot `i`, then the page shown.
  const auto shown = [&](std::size_t i) {
    return at(i).name() + " on " + std::to_string(store.pager.currentPage.get());
  };
  TransactionRecorder recorder(store->changes), pagerRecorder(store.pager.changes);
  store->moveItemStep(at(0), -1);
  store->moveItemStep(at(79), 1);
  store->moveItemStep(at(5), 0);
  EXPECT_TRUE(recorder.changes.empty());
  EXPECT_FALSE(store->hasPendingSave());
  store->moveItemStep(at(34), 1);  // the last of page 0 crosses to page 1
  EXPECT_EQ(shown(35), "app34 on 1");
  EXPECT_DOUBLE_EQ(pagerRecorder.of("currentPage").at(0).animation.response,
                   PagerMotionController::jumpResponse(1100));
  store->moveItemStep(at(10), INT_MAX);  // far steps clamp to the ends, without overflowing
  EXPECT_EQ(shown(79), "app10 on 2");
  store->moveItemStep(at(20), INT_MIN);
  EXPECT_EQ(shown(0), "app21 on 0");

  arrange(store, manyApps(80));
  store->moveItemToPage(at(3), 5);
  EXPECT_EQ(shown(70), "app3 on 2");
  EXPECT_EQ(store->statusToast.get(), "已将「app3」移至第 3 页");
  store->moveItemToPage(at(50), -4);
  EXPECT_EQ(shown(0), "app51 on 0");
  EXPECT_EQ(store->statusToast.get(), "已将「app51」移至第 1 页");

  // Found by value: an out-of-date copy of a folder moves nothing.
  arrange(store, "a [收藏:" + manyApps(40) + "] b");
  store->moveItemStep(folderSlot("收藏"), 1);
  store->moveItemToPage(folderSlot("收藏"), 0);
  EXPECT_EQ(look(store), "a [收藏:" + manyApps(40) + "] b");
  // A search can show more pages than the arrangement fills: the item goes to the very end.
  store->searchText = "app";
  store->moveItemToPage(appSlot("a"), 1);
  EXPECT_EQ(look(store), "[收藏:" + manyApps(40) + "] b a | 已将「a」移至第 2 页");
}

}  // namespace
}  // namespace calyxa
