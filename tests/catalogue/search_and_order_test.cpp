#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <random>

#include "catalogue/default_order.h"
#include "catalogue/search_filter.h"
#include "support/test_platform.h"
#include "support/transaction_recorder.h"

namespace calyxa {
namespace {

using namespace testing;
using Lines = std::vector<std::string>;

// The names in default order; a name starting with "*" is a system application's.
Lines sortedNames(const Lines& names, const std::string& locale) {
  std::vector<AppItem> apps;
  for (const auto& name : names)
    apps.push_back(makeApp(name.substr(name[0] == '*'), name[0] == '*'));
  sortInDefaultOrder(apps, NameCollator(locale));
  Lines sorted;
  for (const auto& app : apps)
    sorted.push_back((app.isSystemApp ? "*" : "") + app.name);
  return sorted;
}

// The collation locale LC_ALL, LC_COLLATE and LANG give (null: unset); they are put back after.
std::string localeWith(std::array<const char*, 3> values) {
  const char* const names[] = {"LC_ALL", "LC_COLLATE", "LANG"};
  std::optional<std::string> old[3];
  for (int i = 0; i < 3; ++i) {
    if (const char* was = std::getenv(names[i])) old[i] = was;
    values[i] ? ::setenv(names[i], values[i], 1) : ::unsetenv(names[i]);
  }
  const std::string locale = userCollationLocale();
  for (int i = 0; i < 3; ++i)
    old[i] ? ::setenv(names[i], old[i]->c_str(), 1) : ::unsetenv(names[i]);
  return locale;
}

TEST(DefaultOrderTest, UserApplicationsFirstThenNamesAsAFileBrowserOrdersThem) {
  EXPECT_EQ(sortedNames({"*Calculator", "Zoom", "Name 10", "name 2", "Name 1", "ábaco", "Abacus",
                         "abaco", "*Automator", "ABACO"},
                        ""),
            (Lines{"abaco", "ABACO", "ábaco", "Abacus", "Name 1", "name 2", "Name 10", "Zoom",
                   "*Automator", "*Calculator"}))
      << "case ignored (equal names keep their order), accents not, digit runs by value";

  // The locale comes from LC_ALL, then LC_COLLATE, then LANG; Chinese sorts by pinyin under it.
  EXPECT_EQ(localeWith({"", "de_DE@euro", "fr_FR"}), "de_DE");
  EXPECT_EQ(localeWith({nullptr, nullptr, "C.UTF-8"}), "");
  EXPECT_EQ(sortedNames({"微信", "阿里云盘", "百度网盘", "钉钉", "Safari"},
                        localeWith({"zh_CN.UTF-8", "de_DE", "fr_FR"})),
            (Lines{"阿里云盘", "百度网盘", "钉钉", "微信", "Safari"}));
}

// The sort keys order exactly as comparisons do, over random names in several locales.
TEST(DefaultOrderTest, SortKeysOrderExactlyAsComparisonsOverRandomNames) {
  const unsigned seed = 20240611;
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  const Lines parts = {"a",  "A",  "á",  "b",  "B", "z", " ", "1", "2",
                       "10", "09", "音", "乐", "-", "é", "E", "ß", "ss"};
  for (const std::string locale : {"", "zh_CN", "de_DE", "sv_SE"}) {
    const NameCollator collator(locale);
    std::vector<AppItem> apps;
    for (int i = 0; i < 400; ++i) {
      std::string name;
      for (int k = 1 + static_cast<int>(random() % 5); k > 0; --k)
        name += parts[random() % parts.size()];
      apps.push_back(makeApp(name, random() % 4 == 0));
      apps.back().id += '#';  // distinct ids, possibly equal names
      apps.back().id += std::to_string(i);
    }
    std::vector<AppItem> expected = apps;
    std::ranges::stable_sort(expected, [&](const AppItem& a, const AppItem& b) {
      return a.isSystemApp != b.isSystemApp ? b.isSystemApp : collator.compare(a.name, b.name) < 0;
    });
    sortInDefaultOrder(apps, collator);
    EXPECT_EQ(ids(slots(apps)), ids(slots(expected))) << "locale \"" << locale << "\"";
  }
}

TEST(SearchTest, MatchesCaseInsensitivelyButAccentSensitivelyAndShowsFoldersOrTheirMembers) {
  EXPECT_EQ(makeSearchQuery("\t\u3000 Visual 微信\u00A0\u2028\n"), "visual 微信");
  EXPECT_EQ(makeSearchQuery("STRASSE İ"), "strasse i\u0307") << "root locale, full mapping";
  EXPECT_EQ(trimWhitespaceAndNewlines("\xFF x"), "\xFF x") << "invalid bytes are not space";
  const auto matches = [](const char* query, const char* field) {
    return SearchMatcher(makeSearchQuery(query)).fieldMatches(field);
  };
  EXPECT_TRUE(matches("café", "Café Racer"));
  EXPECT_TRUE(matches("café", "CAFE\u0301 Racer")) << "decomposed text, composed query";
  EXPECT_TRUE(matches("CAFE\u0301", "café")) << "decomposed query";
  EXPECT_FALSE(matches("cafe", "Café") || matches("cafe", "Cafe\u0301"));
  EXPECT_FALSE(matches("q", "Q\u0301")) << "a mark is part of its letter, composed or not";
  EXPECT_TRUE(matches("音乐", "网易云音乐") && !matches("音乐", "音频"));
  EXPECT_TRUE(matches("ΣΟΦ", "σοφία"));

  // Folders show whole on a name match, else their matching members.
  TestStore store;
  const AppItem safari = makeApp("Safari", true, "com.apple.Safari");
  const AppItem wechat{"/Applications/WeChat.app", "微信", "WeChat", "COM.TENCENT.XINWECHAT",
                       "/Applications/WeChat.app", false};
  const LaunchFolder social("S", "社交沟通", {wechat, makeApp("Slack")});
  const LaunchFolder tools("T", "Tools", {makeApp("Xcode"), makeApp("Safari Technology Preview")});
  store->items = {LaunchItem::app(safari), LaunchItem::folder(social), LaunchItem::folder(tools),
                  LaunchItem::app(makeApp("Music", true))};

  store->searchText = "  SAF ";
  EXPECT_EQ(ids(store->filteredItems()),
            (Lines{safari.id, "/Applications/Safari Technology Preview.app"}))
      << "members come out in their folder's place and order, without the folder";
  for (const char* query : {"wechat", "tencent.xinwe", "微信"}) {
    store->searchText = query;
    EXPECT_EQ(ids(store->filteredItems()), Lines{wechat.id}) << query;
  }
  store->searchText = "/applications";
  EXPECT_TRUE(store->filteredItems().empty()) << "the path is not searched";
  EXPECT_EQ(store->selectedItemID.get(), std::nullopt);
  store->searchText = " \n ";
  EXPECT_EQ(store->filteredItems().size(), 4u) << "a blank search shows everything";
}

TEST(SearchTest, ChangingTheTextResetsPagerSelectsTheFirstResultAndCachesPerQuery) {
  TestStore store;
  store->items = slots(numberedApps(100));
  store.pager.pageCount = store->pageCount();
  store.pager.switchPageAnimated(2);
  store.pager.dragOffsetX = 30.0;
  TransactionRecorder recorder(store.pager.changes);

  withAnimation(Animation::spring(0.3, 1.0), [&] { store->searchText = "App 05"; });
  EXPECT_EQ(store.pager.currentPage.get(), 0);
  EXPECT_EQ(store.pager.dragOffsetX.get(), 0.0);
  EXPECT_TRUE(recorder.of("currentPage").at(0).disablesAnimations) << "the reset jumps";
  EXPECT_EQ(store->selectedItemID.get(), "/Applications/App 050.app");
  EXPECT_EQ(&store->filteredItems(), &store->filteredItems()) << "a cached read is the same";
  store->items.mutate([](auto& items) { items.push_back(items[50]); });
  EXPECT_EQ(store->filteredItems().size(), 11u) << "a change of the items drops the cached result";

  // The same text again changes nothing: page and selection stay.
  store.pager.pageCount = 3;
  store.pager.switchPageAnimated(1);
  store->selectedItemID = "/Applications/App 055.app";
  recorder.clear();
  store->searchText = "App 05";
  EXPECT_EQ(store->selectedItemID.get(), "/Applications/App 055.app");
  EXPECT_TRUE(recorder.changes.empty()) << "every write of the page is recorded";

  store->searchText = "";
  EXPECT_EQ(store->selectedItemID.get(), std::nullopt);
}

TEST(StorePagesTest, PagesOfThirtyFiveAndIconsByPath) {
  TestStore store;
  EXPECT_EQ(store->pageCount(), 1);
  EXPECT_TRUE(store->itemsForPage(0).empty());
  for (const auto& [count, pages] : {std::pair{35, 1}, {71, 3}, {36, 2}}) {
    store->items = slots(numberedApps(count));
    EXPECT_EQ(store->pageCount(), pages) << count << " slots";
  }
  EXPECT_EQ(store->itemsForPage(0).size(), 35u);
  EXPECT_EQ(ids(store->itemsForPage(1)), Lines{store->items->back().id()});
  EXPECT_TRUE(store->itemsForPage(2).empty() && store->itemsForPage(-1).empty());

  AppItem alpha = makeApp("Alpha");
  const Image icon = store->icon(alpha);
  EXPECT_EQ(icon.render(2.0).height, 192) << "96 points";
  alpha.id = "/Applications/Alpha Copy.app";  // another id, the same bundle path
  EXPECT_EQ(store->icon(alpha), icon);
  EXPECT_EQ(store.platform.workspace->iconRequests, Lines{"/Applications/Alpha.app"});
}

}  // namespace
}  // namespace calyxa
