#include <gtest/gtest.h>

#include <random>

#include "platform/posix/posix_workspace.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"
#include "support/transaction_recorder.h"

namespace calyxa {
namespace {

using testing::numberedApps;
using testing::slots;
using testing::TestStore;
using testing::TransactionRecorder;

std::string idAt(TestStore& store, std::size_t index) {
  return store->filteredItems()[index].id();
}

TEST(SelectionTest, ArrowsMoveByRowsAndColumnsAndPagesFollowHorizontalMoves) {
  TestStore store;
  store->items = slots(numberedApps(40));
  store.pager.pageCount = store->pageCount();
  store.pager.switchPageAnimated(1);

  // No selection: any arrow selects the first item of the page shown.
  store->moveSelection(1, 0);
  EXPECT_EQ(store->selectedItemID.get(), idAt(store, 35));
  store->moveSelection(1, 0);
  EXPECT_EQ(store->selectedItemID.get(), idAt(store, 36));

  store->moveSelection(0, -1);
  EXPECT_EQ(store->selectedItemID.get(), idAt(store, 36)) << "row -1 is refused";
  store->moveSelection(0, 1);
  EXPECT_EQ(store->selectedItemID.get(), idAt(store, 36)) << "index 43 does not exist";
  store->moveSelection(-1, 0);
  EXPECT_EQ(store->selectedItemID.get(), idAt(store, 35));

  TransactionRecorder recorder(store.pager.changes);
  store->moveSelection(-1, 0);
  EXPECT_EQ(store->selectedItemID.get(), idAt(store, 34));
  EXPECT_EQ(store.pager.currentPage.get(), 0);
  EXPECT_NEAR(recorder.of("currentPage").at(0).animation.response,
              PagerMotionController::jumpResponse(1400), 1e-12);

  store->moveSelection(0, -1);
  EXPECT_EQ(store->selectedItemID.get(), idAt(store, 27));
  store->selectedItemID = "/gone";
  store->moveSelection(0, 1);
  EXPECT_EQ(store->selectedItemID.get(), idAt(store, 0)) << "a vanished selection counts as none";

  TestStore empty;
  empty->moveSelection(1, 0);
  EXPECT_EQ(empty->selectedItemID.get(), std::nullopt);
}

TEST(SelectionTest, RandomArrowSequencesKeepTheSelectionVisibleAndThePagerOnIt) {
  const unsigned seed = 20261206;
  std::mt19937 random(seed);
  TestStore store;
  store->items = slots(numberedApps(83));
  store.pager.pageCount = store->pageCount();
  const auto& shown = store->filteredItems();
  const auto indexOf = [&](const std::string& id) {
    for (std::size_t i = 0; i < shown.size(); ++i) {
      if (shown[i].id() == id) return static_cast<long>(i);
    }
    return -1L;
  };
  store->moveSelection(0, 1);
  for (int step = 0; step < 5000; ++step) {
    const long before = indexOf(*store->selectedItemID.get());
    const int direction = static_cast<int>(random() % 4);
    const int dx = direction == 0 ? -1 : direction == 1 ? 1 : 0;
    const int dy = direction == 2 ? -1 : direction == 3 ? 1 : 0;
    store->moveSelection(dx, dy);
    ASSERT_TRUE(store->selectedItemID.get()) << "seed " << seed;
    const long after = indexOf(*store->selectedItemID.get());
    ASSERT_GE(after, 0) << "seed " << seed;
    if (dy != 0) {
      ASSERT_EQ(after / 35, before / 35) << "vertical moves stay on their page; seed " << seed;
      ASSERT_TRUE(after == before || std::labs(after - before) == 7) << "seed " << seed;
    } else {
      ASSERT_LE(std::labs(after - before), 1) << "seed " << seed;
    }
    ASSERT_EQ(store.pager.currentPage.get(), after / 35) << "seed " << seed << " step " << step;
  }
}

TEST(ActivationTest, ReturnLaunchesTheSelectionOrFirstItemAndOpensFolders) {
  TestStore store;
  const auto apps = numberedApps(3);
  const LaunchFolder folder("F", "工具", {testing::makeApp("Inner")});
  store->items = {LaunchItem::app(apps[0]), LaunchItem::folder(folder), LaunchItem::app(apps[1])};

  int dismissed = 0;
  std::vector<std::string> opened;
  const auto dismiss = [&] { ++dismissed; };
  const auto openFolder = [&](const LaunchFolder& f) { opened.push_back(f.id); };

  store->activateSelection(dismiss, openFolder);  // no selection: the first item
  ASSERT_EQ(store.platform.workspace->opened.size(), 1u);
  EXPECT_EQ(store.platform.workspace->opened[0].path, apps[0].path);
  EXPECT_TRUE(store.platform.workspace->opened[0].activates);

  store->selectedItemID = "F";
  store->activateSelection(dismiss, openFolder);
  EXPECT_EQ(opened, std::vector<std::string>{"F"});

  store->searchText = "App 001";  // selects the only result
  store->activateSelection(dismiss, openFolder);
  EXPECT_EQ(store.platform.workspace->opened.back().path, apps[1].path);

  store->searchText = "nothing at all";
  store->activateSelection(dismiss, openFolder);
  EXPECT_EQ(store.platform.workspace->opened.size(), 2u);

  store.platform.scheduler->advance(1.0);
  EXPECT_EQ(dismissed, 2);
}

TEST(LaunchTest, FeedbackLastsAFractionOfASecondThenTheCallerDismisses) {
  TestStore store;
  const AppItem app = testing::makeApp("Mail");
  store->activeFolder = LaunchFolder("F", "f", {app});
  TransactionRecorder recorder(store->changes);
  int dismissed = 0;

  store->launchApp(app, [&] {
    ++dismissed;
    EXPECT_EQ(store->launchingAppID.get(), std::nullopt) << "cleared before the dismissal";
  });
  EXPECT_EQ(store->launchingAppID.get(), app.id);
  EXPECT_EQ(recorder.of("launchingAppID").at(0).animation, Animation::spring(0.22, 0.95));

  store.platform.scheduler->advance(0.149);
  EXPECT_EQ(dismissed, 0);
  EXPECT_EQ(store->launchingAppID.get(), app.id);
  store.platform.scheduler->advance(0.001);
  EXPECT_EQ(dismissed, 1);
  EXPECT_EQ(store->activeFolder.get(), std::nullopt);
  EXPECT_TRUE(recorder.of("launchingAppID").at(1).effectiveAnimation().isNone());
  EXPECT_TRUE(recorder.of("activeFolder").back().effectiveAnimation().isNone());
}

TEST(LaunchTest, AMissingBundleStillEndsTheFeedbackAndDismisses) {
  testing::TestPlatform platform;
  testing::TempDir root;
  platform.systemRoot = SystemRoot(root.path());
  auto services = platform.services();
  services.workspace = std::make_shared<PosixWorkspace>(platform.systemRoot);
  PagerMotionController pager;
  TilewellStore store(services, pager);

  int dismissed = 0;
  store.launchApp(testing::makeApp("Deleted Long Ago"), [&] { ++dismissed; });
  platform.scheduler->advance(0.15);
  EXPECT_EQ(dismissed, 1);
  EXPECT_EQ(store.launchingAppID.get(), std::nullopt);
}

TEST(LaunchTest, PendingCompletionDoesNothingOnceTheStoreIsGone) {
  testing::TestPlatform platform;
  int dismissed = 0;
  {
    PagerMotionController pager;
    TilewellStore store(platform.services(), pager);
    store.launchApp(testing::makeApp("Mail"), [&] { ++dismissed; });
    store.triggerToast("bye");
  }
  platform.scheduler->advance(5.0);
  EXPECT_EQ(dismissed, 0);
}

TEST(ToastTest, EachToastClearsOnlyItsOwnTextAfterItsFullTime) {
  TestStore store;
  auto& scheduler = *store.platform.scheduler;
  TransactionRecorder recorder(store->changes);

  // Two texts 1 s apart: the second shows from 1 s to 2.8 s.
  store->triggerToast("第一条");
  EXPECT_EQ(store->statusToast.get(), "第一条");
  EXPECT_EQ(recorder.of("statusToast").at(0).animation, Animation::spring(0.24, 1.0));
  scheduler.advance(1.0);
  store->triggerToast("第二条");
  scheduler.advance(0.8);  // t = 1.8: the first timer fires and leaves the second text alone
  EXPECT_EQ(store->statusToast.get(), "第二条");
  scheduler.advance(0.999);
  EXPECT_EQ(store->statusToast.get(), "第二条");
  scheduler.advance(0.001);  // t = 2.8
  EXPECT_EQ(store->statusToast.get(), std::nullopt);
  EXPECT_EQ(recorder.of("statusToast").back().animation, Animation::easeOut(0.2));

  // The same text twice 1 s apart disappears 1.8 s after the first call.
  store->triggerToast("同一条");
  scheduler.advance(1.0);
  store->triggerToast("同一条");
  scheduler.advance(0.8);
  EXPECT_EQ(store->statusToast.get(), std::nullopt);
}

}  // namespace
}  // namespace calyxa
