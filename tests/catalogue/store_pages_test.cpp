#include <gtest/gtest.h>

#include "support/test_platform.h"
#include "support/transaction_recorder.h"

namespace calyxa {
namespace {

using testing::numberedApps;
using testing::slots;
using testing::TestStore;
using testing::TilewellStoreInspector;

TEST(StorePagesTest, PagesAreSlicesOfThirtyFiveAndNeverFewerThanOne) {
  TestStore store;
  EXPECT_EQ(store->pageCount(), 1);
  EXPECT_TRUE(store->itemsForPage(0).empty());

  for (const auto& [count, pages] : {std::pair{35, 1}, {36, 2}, {70, 2}, {71, 3}}) {
    store->items = slots(numberedApps(count));
    EXPECT_EQ(store->pageCount(), pages) << count << " slots";
  }
  store->items = slots(numberedApps(36));
  EXPECT_EQ(store->itemsForPage(0).size(), 35u);
  ASSERT_EQ(store->itemsForPage(1).size(), 1u);
  EXPECT_EQ(store->itemsForPage(1)[0].id(), store->items->back().id());
  EXPECT_TRUE(store->itemsForPage(2).empty());
  EXPECT_TRUE(store->itemsForPage(-1).empty());
  EXPECT_EQ(store->itemsPerPage, 35);
}

TEST(StorePagesTest, TotalCountsTheWholeCatalogue) {
  TestStore store;
  std::map<std::string, AppItem> catalogue;
  for (const auto& app : numberedApps(5))
    catalogue.emplace(app.id, app);
  store->allAppsMap = catalogue;
  store->items = {LaunchItem::folder(LaunchFolder("F", "f", numberedApps(5)))};
  EXPECT_EQ(store->totalAppsCount(), 5);
}

TEST(StorePagesTest, IconsAreCachedByPathAndRenderedAtNinetySixPoints) {
  TestStore store;
  AppItem a = testing::makeApp("Alpha");
  AppItem b = a;
  b.id = "/Applications/Alpha Copy.app";  // another id, the same bundle path

  const Image first = store->icon(a);
  EXPECT_EQ(first.width(), 96);
  EXPECT_EQ(first.height(), 96);
  EXPECT_EQ(first.render(2.0).width, 192);
  EXPECT_EQ(store->icon(a), first);
  EXPECT_EQ(store->icon(b), first);
  EXPECT_EQ(store.platform.workspace->iconRequests.size(), 1u);
  EXPECT_EQ(TilewellStoreInspector::iconCacheSize(*store), 1u);
}

TEST(StorePagesTest, OnboardingShowsUntilCompletedOnce) {
  TestStore firstRun;
  EXPECT_TRUE(firstRun->showOnboarding);

  testing::TestPlatform platform;
  platform.defaults->setBool("Calyxa.hasCompletedOnboarding", true);
  PagerMotionController pager;
  TilewellStore store(platform.services(), pager);
  EXPECT_FALSE(store.showOnboarding);
  EXPECT_EQ(&store.pager, &pager);
}

TEST(StorePagesTest, EveryWriteOfItemsClearsTheFilterCacheAndNotifies) {
  TestStore store;
  store->items = slots(numberedApps(10));
  testing::TransactionRecorder recorder(store->changes);
  store->searchText = "app";
  ASSERT_EQ(store->filteredItems().size(), 10u);
  ASSERT_TRUE(TilewellStoreInspector::filterCacheKey(*store));

  const auto writes = std::vector<std::function<void()>>{
      [&] { store->items = store->items.get(); },  // an equal value still counts
      [&] { store->items.mutate([](auto& items) { items.pop_back(); }); },
  };
  for (const auto& write : writes) {
    ASSERT_FALSE(store->filteredItems().empty());  // refills the cache
    ASSERT_TRUE(TilewellStoreInspector::filterCacheKey(*store));
    write();
    EXPECT_FALSE(TilewellStoreInspector::filterCacheKey(*store));
    EXPECT_TRUE(TilewellStoreInspector::filterCacheValue(*store).empty());
  }
  EXPECT_EQ(store->filteredItems().size(), 9u);
  EXPECT_EQ(recorder.of("items").size(), 2u);
}

}  // namespace
}  // namespace calyxa
