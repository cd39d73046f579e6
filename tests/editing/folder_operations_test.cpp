#include <gtest/gtest.h>

#include "arrangement_checks.h"
#include "catalogue/layout_file.h"
#include "editing/folder_category.h"
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
using testing::TilewellStoreInspector;
using testing::TransactionRecorder;

std::vector<std::string> appIDs(const LaunchFolder& folder) {
  std::vector<std::string> result;
  for (const auto& app : folder.apps)
    result.push_back(app.id);
  return result;
}

const LaunchFolder& folderAt(TestStore& store, std::size_t index) {
  const LaunchFolder* folder = store->items.get().at(index).asFolder();
  EXPECT_NE(folder, nullptr) << "slot " << index << " is not a folder";
  static const LaunchFolder none;
  return folder ? *folder : none;
}

void catalogue(TestStore& store, const std::vector<AppItem>& apps) {
  std::map<std::string, AppItem> map;
  for (const auto& app : apps)
    map.emplace(app.id, app);
  store->allAppsMap = std::move(map);
}

// What the store had done by the time the toast appeared.
struct ToastWatch {
  std::vector<std::string> texts;
  int pagesAtToast = 0;
  bool savePendingAtToast = false;
  Observation observation;

  explicit ToastWatch(TestStore& store)
      : observation(store->statusToast.observe([this, &store](const auto& text, const auto&) {
          if (!text) return;
          texts.push_back(*text);
          pagesAtToast = store.pager.pageCount;
          savePendingAtToast = store->hasPendingSave();
        })) {}
};

TEST(FolderCategoryTest, KeywordsAreTriedByCategoryOrderInBothLowerCasedNames) {
  struct Case {
    const char* target;
    const char* dragged;
    const char* expected;
  };
  const Case cases[] = {
      {"Xcode", "Visual Studio Code", "开发工具"},
      {"WeChat", "Music Player", "社交沟通"},  // social comes before media, whichever name hits
      {"Music Player", "WeChat", "社交沟通"},
      {"Podcasts", "Calculator", "同类应用"},
      {"企业微信", "Notes", "社交沟通"},  // "信" inside a word
      {"Notes", "网易云音乐", "影音娱乐"},
      {"Notes", "飞书", "社交沟通"},
      {"ANDROID STUDIO", "Notes", "开发工具"},
      {"Notes", "Apple Developer", "开发工具"},
      {"SPOTIFY", "VLC PLAYER", "影音娱乐"},
      {"Notes", "LiveChat", "社交沟通"},
      {"", "", "同类应用"},
      // Full lower-casing turns İ into i plus a combining dot, which does not spell "studio".
      {"STUDİO", "Notes", "同类应用"},
      {"ÇODE", "Notes", "同类应用"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(categoryFolderName(c.target, c.dragged), c.expected)
        << c.target << " / " << c.dragged;
  }
}

TEST(FolderMergeTest, TwoApplicationsBecomeAFolderInTheTargetsSlotThenPagesSaveAndToast) {
  TestStore store;
  const AppItem xcode = makeApp("Xcode");
  const AppItem code = makeApp("Visual Studio Code");
  auto items = slots(numberedApps(34));
  items.insert(items.begin() + 3, LaunchItem::app(code));
  items.insert(items.begin() + 10, LaunchItem::app(xcode));
  store->items = items;
  store.pager.pageCount = store->pageCount();
  ASSERT_EQ(store.pager.pageCount, 2);

  ToastWatch toast(store);
  TransactionRecorder recorder(store->changes);
  store->createOrMergeIntoFolder(LaunchItem::app(code), LaunchItem::app(xcode));

  ASSERT_EQ(store->items->size(), 35u);
  // Xcode stood at 10; the dragged application left from 3, so the folder lands at 9.
  const LaunchFolder& folder = folderAt(store, 9);
  EXPECT_EQ(folder.name, "开发工具");
  EXPECT_EQ(appIDs(folder), (std::vector<std::string>{xcode.id, code.id}));
  EXPECT_EQ(folder.id.size(), 36u);
  EXPECT_EQ(testing::arrangementFault(store->items), "");
  EXPECT_EQ(store->activeFolder.get(), std::nullopt) << "a merged folder does not open";

  const auto itemChanges = recorder.of("items");
  ASSERT_FALSE(itemChanges.empty());
  for (const auto& t : itemChanges)
    EXPECT_TRUE(isSpring(t, 0.3, 0.95));
  EXPECT_EQ(toast.texts, std::vector<std::string>{"已创建「开发工具」文件夹"});
  EXPECT_EQ(toast.pagesAtToast, 1) << "the page count is set before the toast";
  EXPECT_TRUE(toast.savePendingAtToast) << "the save is scheduled before the toast";

  // Dragged after the target: the folder simply takes the target's place.
  const LaunchItem first = store->items.get()[0];
  const LaunchItem later = store->items.get()[20];
  store->createOrMergeIntoFolder(later, first);
  EXPECT_EQ(folderAt(store, 0).name, "同类应用");
  EXPECT_EQ(appIDs(folderAt(store, 0)), (std::vector<std::string>{first.id(), later.id()}));

  // The arrangement reaches the layout file as it is now.
  store.platform.scheduler->advance(0.35);
  const auto saved = readLayoutFile(TilewellStoreInspector::layoutFileURL(*store));
  EXPECT_EQ(saved, snapshotLayout(store->items));
  ASSERT_EQ(saved.size(), 34u);
  EXPECT_EQ(saved[9].type, "folder");
  EXPECT_EQ(saved[9].subAppIDs, (std::vector<std::string>{xcode.id, code.id}));
}

TEST(FolderMergeTest, AnApplicationDroppedOnAFolderJoinsItsCurrentContents) {
  TestStore store;
  const auto apps = numberedApps(4);  // 0 and 3 loose, 1 and 2 in the folder
  const LaunchFolder tools("工具", {apps[1], apps[2]});
  store->items = {LaunchItem::app(apps[0]), LaunchItem::folder(tools), LaunchItem::app(apps[3])};
  const LaunchItem seenWhenTheDragBegan = store->items.get()[1];

  store->addAppToFolder(tools.id, apps[0]);  // opens the folder, now holding 1, 2, 0
  ToastWatch toast(store);
  TransactionRecorder recorder(store->changes);
  store->createOrMergeIntoFolder(LaunchItem::app(apps[3]), seenWhenTheDragBegan);

  ASSERT_EQ(store->items->size(), 1u);
  EXPECT_EQ(appIDs(folderAt(store, 0)),
            (std::vector<std::string>{apps[1].id, apps[2].id, apps[0].id, apps[3].id}))
      << "an older copy of the folder must not drop what was added since";
  EXPECT_EQ(store->activeFolder.get(), folderAt(store, 0)) << "the open folder shows the newcomer";
  EXPECT_EQ(toast.texts, std::vector<std::string>{"已将「App 003」移入「工具」"});
  for (const auto& t : recorder.of("items"))
    EXPECT_TRUE(isSpring(t, 0.28, 0.95));

  // A folder that already holds the application: nothing changes, yet a save is scheduled.
  TestStore held;
  const LaunchFolder both("Both", {apps[0], apps[1]});
  held->items = {LaunchItem::folder(both), LaunchItem::app(apps[1])};
  const auto before = held->items.get();
  ToastWatch quiet(held);
  held->createOrMergeIntoFolder(LaunchItem::app(apps[1]), LaunchItem::folder(both));
  EXPECT_EQ(held->items.get(), before);
  EXPECT_TRUE(held->hasPendingSave());
  EXPECT_TRUE(quiet.texts.empty());
}

TEST(FolderOperationsTest, NewFolderFromOneApplicationOpensInItsSlot) {
  TestStore store;
  const auto apps = numberedApps(3);
  store->items = slots(apps);
  TransactionRecorder recorder(store->changes);
  store->createNewFolderWithApp(apps[1]);

  const LaunchFolder& folder = folderAt(store, 1);
  EXPECT_EQ(folder.name, "新建文件夹");
  EXPECT_EQ(appIDs(folder), std::vector<std::string>{apps[1].id});
  EXPECT_EQ(store->activeFolder.get(), folder);
  EXPECT_TRUE(store->hasPendingSave());
  EXPECT_EQ(store->statusToast.get(), std::nullopt);
  for (const auto& name : {"items", "activeFolder"}) {
    ASSERT_EQ(recorder.of(name).size(), 1u) << name;
    EXPECT_TRUE(isSpring(recorder.of(name)[0], 0.3, 0.95)) << name;
  }

  store->createNewFolderWithApp(apps[2], "");  // the caller's name, unchanged
  EXPECT_EQ(folderAt(store, 2).name, "");
}

TEST(FolderOperationsTest, RenamingTrimsIgnoresBlanksAndKeepsTheOpenFolderCurrent) {
  TestStore store;
  const auto apps = numberedApps(40);
  const LaunchFolder tools("Tools", std::vector<AppItem>(apps.begin(), apps.begin() + 38));
  const LaunchFolder other("Other", {apps[38], apps[39]});
  store->items = {LaunchItem::folder(tools), LaunchItem::folder(other)};
  store->activeFolder = tools;
  store->flushPendingSave();  // the start-up scan's own save

  TransactionRecorder recorder(store->changes);
  store->updateFolderName(tools.id, " \t　 \n");  // ideographic space too
  EXPECT_TRUE(recorder.changes.empty());
  EXPECT_FALSE(store->hasPendingSave());

  store->updateFolderName(tools.id, "  开发 工具 \n");
  EXPECT_EQ(folderAt(store, 0).name, "开发 工具");
  EXPECT_EQ(store->activeFolder.get(), folderAt(store, 0));
  EXPECT_EQ(store->activeFolder.get()->apps.size(), 38u);
  EXPECT_TRUE(store->hasPendingSave());
  for (const auto& change : recorder.changes)
    EXPECT_TRUE(isUnanimated(change.transaction)) << change.property;

  store->updateFolderName(other.id, "Misc");
  EXPECT_EQ(folderAt(store, 1).name, "Misc");
  EXPECT_EQ(store->activeFolder.get()->id, tools.id) << "renaming another folder leaves it open";

  // Under a search, a name that starts to match shows the folder whole instead of its members.
  store->searchText = "app 0";
  ASSERT_EQ(store.pager.pageCount, 2);
  store->updateFolderName(tools.id, "App 0 Tools");
  EXPECT_EQ(store->pageCount(), 1);
  EXPECT_EQ(store.pager.pageCount, 1);
}

TEST(FolderOperationsTest, AddingTakesTheApplicationFromWhereverItStood) {
  TestStore store;
  auto apps = numberedApps(38);
  const LaunchFolder target("Target", {apps[0], apps[1]});
  const LaunchFolder source("Source", {apps[2], apps[3]});
  std::vector<LaunchItem> items = {LaunchItem::folder(target), LaunchItem::folder(source)};
  for (int i = 4; i < 38; ++i)
    items.push_back(LaunchItem::app(apps[static_cast<std::size_t>(i)]));
  store->items = items;  // 36 slots: 2 pages
  store.pager.pageCount = store->pageCount();

  TransactionRecorder recorder(store->changes);
  store->addAppToFolder(target.id, apps[10]);
  EXPECT_EQ(appIDs(folderAt(store, 0)),
            (std::vector<std::string>{apps[0].id, apps[1].id, apps[10].id}));
  EXPECT_EQ(store->items->size(), 35u);
  EXPECT_EQ(store.pager.pageCount, 1);
  EXPECT_EQ(store->activeFolder.get(), folderAt(store, 0));
  EXPECT_TRUE(store->hasPendingSave());
  EXPECT_EQ(store->statusToast.get(), std::nullopt);
  for (const auto& name : {"items", "activeFolder"}) {
    ASSERT_FALSE(recorder.of(name).empty());
    EXPECT_TRUE(isSpring(recorder.of(name).back(), 0.28, 0.95)) << name;
  }

  // One the arrangement does not hold is only appended.
  const AppItem fresh = makeApp("Fresh");
  store->addAppToFolder(target.id, fresh);
  EXPECT_EQ(folderAt(store, 0).apps.back().id, fresh.id);
  EXPECT_EQ(store->items->size(), 35u);

  // Search shows a member of another folder as a loose slot: adding it moves it, so that it is
  // never in two folders. The source keeps what remains; emptied, it goes.
  store->searchText = "App 002";
  const LaunchItem shown = store->filteredItems().at(0);
  store->addAppToFolder(target.id, *shown.asApp());
  EXPECT_EQ(appIDs(folderAt(store, 1)), std::vector<std::string>{apps[3].id});
  EXPECT_EQ(folderAt(store, 0).apps.back().id, apps[2].id);
  store->addAppToFolder(target.id, apps[3]);
  EXPECT_EQ(store->items->size(), 34u);
  EXPECT_EQ(store->items.get()[1].id(), apps[4].id);
  EXPECT_EQ(testing::arrangementFault(store->items), "");
  EXPECT_EQ(store.pager.pageCount, store->pageCount());
}

TEST(FolderOperationsTest, RemovingDissolvesAFolderLeftWithFewerThanTwo) {
  const auto apps = numberedApps(5);
  const LaunchFolder pair("Pair", {apps[0], apps[1]});
  const LaunchFolder trio("Trio", {apps[2], apps[3], apps[4]});

  // One of two: the other takes the folder's slot, the removed one follows it, the modal closes.
  TestStore store;
  catalogue(store, apps);
  store->items = {LaunchItem::folder(pair), LaunchItem::folder(trio)};
  store->activeFolder = pair;
  ToastWatch toast(store);
  TransactionRecorder recorder(store->changes);
  store->removeAppFromFolder(pair.id, apps[0].id);
  EXPECT_EQ(ids(store->items), (std::vector<std::string>{apps[1].id, apps[0].id, trio.id}));
  EXPECT_EQ(store->activeFolder.get(), std::nullopt);
  EXPECT_EQ(toast.texts, std::vector<std::string>{"文件夹已解散还原为独立图标"});
  EXPECT_TRUE(toast.savePendingAtToast);
  ASSERT_FALSE(recorder.changes.empty());
  for (const auto& change : recorder.changes) {
    if (change.property == "statusToast") continue;
    EXPECT_TRUE(isUnanimated(change.transaction)) << change.property;
  }

  // One of three: the folder keeps two in order and stays open; the removed one stands after it.
  store->removeAppFromFolder(trio.id, apps[3].id);
  EXPECT_EQ(ids(store->items),
            (std::vector<std::string>{apps[1].id, apps[0].id, trio.id, apps[3].id}));
  EXPECT_EQ(appIDs(folderAt(store, 2)), (std::vector<std::string>{apps[2].id, apps[4].id}));
  EXPECT_EQ(store->activeFolder.get(), folderAt(store, 2));
  EXPECT_EQ(toast.texts.size(), 1u);

  // The only application of a one-application folder: the folder goes, the application stays.
  store->createNewFolderWithApp(apps[0]);
  const std::string single = store->items.get()[1].id();
  store->removeAppFromFolder(single, apps[0].id);
  EXPECT_EQ(ids(store->items),
            (std::vector<std::string>{apps[1].id, apps[0].id, trio.id, apps[3].id}));
  EXPECT_EQ(store->activeFolder.get(), std::nullopt);

  // Not in the catalogue any more: dropped from the folder, not put back.
  store->allAppsMap.mutate([&](auto& map) { map.erase(apps[4].id); });
  store->removeAppFromFolder(trio.id, apps[4].id);
  EXPECT_EQ(ids(store->items),
            (std::vector<std::string>{apps[1].id, apps[0].id, apps[2].id, apps[3].id}));
  EXPECT_EQ(store.pager.pageCount, 1);
}

TEST(FolderOperationsTest, DissolvingPutsTheApplicationsInTheFoldersPlace) {
  TestStore store;
  const auto apps = numberedApps(6);
  const LaunchFolder folder("收藏", {apps[2], apps[3], apps[4]});
  const LaunchFolder other("Other", {apps[5]});
  store->items = {LaunchItem::app(apps[0]), LaunchItem::app(apps[1]), LaunchItem::folder(folder),
                  LaunchItem::folder(other)};
  store->activeFolder = other;
  store->dissolveFolder(folder.id);
  EXPECT_EQ(ids(store->items), (std::vector<std::string>{apps[0].id, apps[1].id, apps[2].id,
                                                         apps[3].id, apps[4].id, other.id}));
  EXPECT_EQ(store->activeFolder.get(), other) << "another open folder stays open";
  EXPECT_EQ(store->statusToast.get(), "已解散「收藏」文件夹");

  TransactionRecorder recorder(store->changes);
  store->dissolveFolder(other.id);
  EXPECT_EQ(store->activeFolder.get(), std::nullopt);
  for (const auto& name : {"items", "activeFolder"}) {
    ASSERT_EQ(recorder.of(name).size(), 1u) << name;
    EXPECT_TRUE(isSpring(recorder.of(name)[0], 0.3, 0.95)) << name;
  }
  EXPECT_EQ(store->items.get().back().id(), apps[5].id);
}

TEST(FolderOperationsTest, UnknownOrMismatchedIdsChangeNothing) {
  TestStore store;
  const auto apps = numberedApps(6);
  const LaunchFolder folder("F", {apps[1], apps[2]});
  const LaunchFolder other("G", {apps[3], apps[4]});
  catalogue(store, apps);
  store->items = {LaunchItem::app(apps[0]), LaunchItem::folder(folder), LaunchItem::folder(other),
                  LaunchItem::app(apps[5])};
  store->activeFolder = other;
  store->flushPendingSave();  // the start-up scan's own save
  const auto before = store->items.get();
  const AppItem ghost = makeApp("Ghost");
  const AppItem namedLikeFolder{folder.id, "Impostor", "Impostor", "x", "/x", false};
  const LaunchItem folderNamedLikeApp = LaunchItem::folder(LaunchFolder(apps[0].id, "X", {}));

  const std::vector<std::pair<const char*, std::function<void()>>> calls = {
      {"merge a folder", [&] { store->createOrMergeIntoFolder(before[1], before[0]); }},
      {"merge onto a ghost",
       [&] { store->createOrMergeIntoFolder(before[0], LaunchItem::app(ghost)); }},
      {"merge a ghost", [&] { store->createOrMergeIntoFolder(LaunchItem::app(ghost), before[0]); }},
      {"merge onto itself", [&] { store->createOrMergeIntoFolder(before[0], before[0]); }},
      {"merge a folder's id",
       [&] { store->createOrMergeIntoFolder(LaunchItem::app(namedLikeFolder), before[0]); }},
      {"merge onto a false folder",
       [&] { store->createOrMergeIntoFolder(before[3], folderNamedLikeApp); }},
      {"merge a member",
       [&] { store->createOrMergeIntoFolder(LaunchItem::app(apps[1]), before[0]); }},
      {"new folder of a ghost", [&] { store->createNewFolderWithApp(ghost); }},
      {"new folder of a member", [&] { store->createNewFolderWithApp(apps[3]); }},
      {"new folder of a folder's id", [&] { store->createNewFolderWithApp(namedLikeFolder); }},
      {"rename a ghost", [&] { store->updateFolderName("nope", "Name"); }},
      {"rename an application", [&] { store->updateFolderName(apps[0].id, "Name"); }},
      {"add to a ghost", [&] { store->addAppToFolder("nope", apps[0]); }},
      {"add to an application", [&] { store->addAppToFolder(apps[5].id, apps[0]); }},
      {"add a member again", [&] { store->addAppToFolder(folder.id, apps[2]); }},
      {"add a folder's id", [&] { store->addAppToFolder(folder.id, namedLikeFolder); }},
      {"add the folder to itself",
       [&] {
         store->addAppToFolder(other.id, AppItem{other.id, "Self", "Self", "s", "/s", false});
       }},
      {"remove from a ghost", [&] { store->removeAppFromFolder("nope", apps[1].id); }},
      {"remove from an application", [&] { store->removeAppFromFolder(apps[0].id, apps[0].id); }},
      {"remove a non-member", [&] { store->removeAppFromFolder(folder.id, apps[3].id); }},
      {"remove a loose application", [&] { store->removeAppFromFolder(folder.id, apps[0].id); }},
      {"dissolve a ghost", [&] { store->dissolveFolder(""); }},
      {"dissolve an application", [&] { store->dissolveFolder(apps[0].id); }},
  };
  TransactionRecorder recorder(store->changes);
  for (const auto& [what, call] : calls) {
    call();
    EXPECT_EQ(store->items.get(), before) << what;
    EXPECT_FALSE(store->hasPendingSave()) << what;
    EXPECT_TRUE(recorder.changes.empty()) << what;
    recorder.clear();
  }
  EXPECT_EQ(store->activeFolder.get(), other);
}

}  // namespace
}  // namespace calyxa
