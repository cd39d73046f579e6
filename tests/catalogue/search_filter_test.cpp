#include <gtest/gtest.h>

#include "catalogue/search_filter.h"
#include "support/test_platform.h"
#include "support/transaction_recorder.h"

namespace calyxa {
namespace {

using testing::ids;
using testing::makeApp;
using testing::numberedApps;
using testing::slots;
using testing::TestStore;
using testing::TilewellStoreInspector;

TEST(SearchQueryTest, TrimsUnicodeSpaceAndLowerCasesWithoutLocale) {
  EXPECT_EQ(makeSearchQuery("  SAF \n"), "saf");
  EXPECT_EQ(makeSearchQuery("\t\u3000微信\u00A0\u2028"), "微信")
      << "ideographic and no-break spaces";
  EXPECT_EQ(makeSearchQuery("Visual Studio"), "visual studio") << "inner spaces stay";
  EXPECT_EQ(makeSearchQuery(" \r\n\u0085 "), "");
  EXPECT_EQ(makeSearchQuery("ÉCOLE"), "école");
  EXPECT_EQ(makeSearchQuery("STRASSE İ"), "strasse i\u0307") << "root locale, full mapping";
  EXPECT_EQ(makeSearchQuery("Cafe\u0301"), "caf\u00E9") << "queries are composed";
  EXPECT_EQ(trimWhitespaceAndNewlines("\xFF x"), "\xFF x") << "invalid bytes are not space";
}

TEST(SearchMatcherTest, MatchesCaseInsensitivelyButAccentSensitively) {
  const SearchMatcher cafe(makeSearchQuery("café"));
  EXPECT_TRUE(cafe.fieldMatches("Café Racer"));
  EXPECT_TRUE(cafe.fieldMatches("CAFE\u0301 Racer")) << "decomposed text matches a composed query";
  EXPECT_FALSE(cafe.fieldMatches("Cafe Racer"));

  const SearchMatcher decomposedQuery(makeSearchQuery("CAFE\u0301"));
  EXPECT_TRUE(decomposedQuery.fieldMatches("café"));

  const SearchMatcher plainE(makeSearchQuery("cafe"));
  EXPECT_FALSE(plainE.fieldMatches("Café")) << "an accent is part of the letter";
  EXPECT_FALSE(plainE.fieldMatches("Cafe\u0301")) << "also when written decomposed";
  EXPECT_TRUE(plainE.fieldMatches("Cafeteria"));

  const SearchMatcher chinese(makeSearchQuery("音乐"));
  EXPECT_TRUE(chinese.fieldMatches("网易云音乐"));
  EXPECT_FALSE(chinese.fieldMatches("音频"));

  const SearchMatcher greek(makeSearchQuery("ΣΟΦ"));
  EXPECT_TRUE(greek.fieldMatches("σοφία"));

  const AppItem teams{"/Applications/Teams.app", "Microsoft Teams",         "Teams",
                      "COM.MICROSOFT.TEAMS2",    "/Applications/Teams.app", false};
  EXPECT_TRUE(SearchMatcher(makeSearchQuery("microsoft.team")).appMatches(teams));
  EXPECT_TRUE(SearchMatcher(makeSearchQuery("teams")).appMatches(teams));
  EXPECT_FALSE(SearchMatcher(makeSearchQuery("/applications")).appMatches(teams))
      << "the path is not searched";
}

TEST(SearchFilterTest, FoldersShowWholeOnANameMatchElseTheirMatchingMembers) {
  TestStore store;
  const AppItem safari = makeApp("Safari", true, "com.apple.Safari");
  const AppItem xcode = makeApp("Xcode");
  const AppItem wechat{"/Applications/WeChat.app", "微信", "WeChat", "com.tencent.xinWeChat",
                       "/Applications/WeChat.app", false};
  const AppItem music = makeApp("Music", true);
  const LaunchFolder social("S", "社交沟通", {wechat, makeApp("Slack")});
  const LaunchFolder tools("T", "Tools", {xcode, makeApp("Safari Technology Preview")});
  store->items = {LaunchItem::app(safari), LaunchItem::folder(social), LaunchItem::folder(tools),
                  LaunchItem::app(music)};

  store->searchText = "  SAF ";
  EXPECT_EQ(ids(store->filteredItems()),
            (std::vector<std::string>{safari.id, "/Applications/Safari Technology Preview.app"}))
      << "members come out in their folder's place and order, without the folder";

  store->searchText = "社交";
  ASSERT_EQ(store->filteredItems().size(), 1u);
  EXPECT_EQ(store->filteredItems()[0], LaunchItem::folder(social)) << "the whole folder";

  store->searchText = "wechat";
  EXPECT_EQ(ids(store->filteredItems()), std::vector<std::string>{wechat.id});
  store->searchText = "xinwe";
  EXPECT_EQ(ids(store->filteredItems()), std::vector<std::string>{wechat.id});

  store->searchText = "zzz";
  EXPECT_TRUE(store->filteredItems().empty());
  EXPECT_EQ(store->pageCount(), 1);
  EXPECT_EQ(store->selectedItemID.get(), std::nullopt);

  store->searchText = " \n ";
  EXPECT_EQ(store->filteredItems().size(), 4u) << "a blank search shows everything";
  EXPECT_EQ(store->selectedItemID.get(), std::nullopt);
  EXPECT_FALSE(TilewellStoreInspector::filterCacheKey(*store)) << "blank queries skip the cache";
}

TEST(SearchFilterTest, ChangingTheTextResetsPagerAndSelectsTheFirstResult) {
  TestStore store;
  store->items = slots(numberedApps(100));
  store.pager.pageCount = store->pageCount();
  store.pager.switchPageAnimated(2);
  store.pager.dragOffsetX = 30.0;
  testing::TransactionRecorder recorder(store.pager.changes);

  withAnimation(Animation::spring(0.3, 1.0), [&] { store->searchText = "App 05"; });
  EXPECT_EQ(store.pager.currentPage.get(), 0);
  EXPECT_EQ(store.pager.dragOffsetX.get(), 0.0);
  EXPECT_EQ(store.pager.pageCount, 1);
  ASSERT_FALSE(recorder.of("currentPage").empty());
  EXPECT_TRUE(recorder.of("currentPage").back().disablesAnimations) << "the reset jumps";
  EXPECT_EQ(store->selectedItemID.get(), "/Applications/App 050.app");
  EXPECT_EQ(store->filteredItems().size(), 10u);

  // The same text again changes nothing: page and selection stay.
  store.pager.pageCount = 3;
  store.pager.switchPageAnimated(1);
  store->selectedItemID = "/Applications/App 055.app";
  recorder.clear();
  store->searchText = "App 05";
  EXPECT_EQ(store.pager.currentPage.get(), 1);
  EXPECT_EQ(store->selectedItemID.get(), "/Applications/App 055.app");
  EXPECT_TRUE(recorder.changes.empty());

  store->searchText = "App 099";
  EXPECT_EQ(store->selectedItemID.get(), "/Applications/App 099.app");
  EXPECT_EQ(store.pager.currentPage.get(), 0);

  store->searchText = "";
  EXPECT_EQ(store->selectedItemID.get(), std::nullopt);
  EXPECT_EQ(store.pager.pageCount, 3);
}

TEST(SearchFilterTest, ResultIsCachedPerQueryUntilTheArrangementChanges) {
  TestStore store;
  store->items = slots(numberedApps(20));
  store->searchText = "app 01";
  const auto* first = &store->filteredItems();
  EXPECT_EQ(first, &store->filteredItems()) << "a cached read returns the same result";
  EXPECT_EQ(TilewellStoreInspector::filterCacheKey(*store), "app 01");

  // An edit during a search: the next read recomputes.
  store->items.mutate([](auto& items) { items.push_back(LaunchItem::app(makeApp("App 01x"))); });
  EXPECT_EQ(store->filteredItems().size(), 11u);
}

}  // namespace
}  // namespace calyxa
