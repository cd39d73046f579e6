#include <gtest/gtest.h>

#include <random>

#include "arrangement_checks.h"
#include "editing/pager_motion_controller.h"
#include "platform/posix/posix_workspace.h"
#include "support/transaction_recorder.h"

namespace calyxa {
namespace {

using namespace calyxa::testing;

// Where the selection stands among the shown slots; -1 when nowhere.
long selectedIndex(TestStore& store) {
  const auto& shown = store->filteredItems();
  for (std::size_t i = 0; i < shown.size(); ++i) {
    if (shown[i].id() == store->selectedItemID.get()) return static_cast<long>(i);
  }
  return -1;
}

TEST(SelectionTest, ArrowsMoveByRowsColumnsAndPagesAndReturnLaunchesOrOpens) {
  TestStore store;
  arrange(store, manyApps(39) + " [F: x]");
  std::vector<std::string> opened;
  const auto activate = [&] {
    store->activateSelection({}, [&](const LaunchFolder& folder) { opened.push_back(folder.id); });
  };
  const auto& launched = store.platform.workspace->opened;
  activate();  // no selection: the first item
  EXPECT_EQ(launched.at(0).path, makeApp("app0").path);
  EXPECT_TRUE(launched.at(0).activates);

  store.pager.switchPageAnimated(1);
  TransactionRecorder recorder(store.pager.changes);
  // Arrows and the index selected after each: the first only selects; row -1 and 43 are refused.
  const int moves[][3] = {{1, 0, 35},  {1, 0, 36},  {0, -1, 36}, {0, 1, 36},
                          {-1, 0, 35}, {-1, 0, 34}, {0, -1, 27}};
  for (const auto& [dx, dy, expected] : moves) {
    store->moveSelection(dx, dy);
    EXPECT_EQ(selectedIndex(store), expected) << dx << ", " << dy;
  }
  EXPECT_EQ(store.pager.currentPage.get(), 0);
  EXPECT_DOUBLE_EQ(recorder.of("currentPage").at(0).animation.response,
                   PagerMotionController::jumpResponse(1400));
  activate();
  EXPECT_EQ(launched.back().path, makeApp("app27").path);
  store->selectedItemID = "F";
  activate();
  EXPECT_EQ(opened, std::vector<std::string>{"F"});
  store->selectedItemID = "/gone";
  store->moveSelection(0, 1);
  EXPECT_EQ(selectedIndex(store), 0) << "a vanished selection counts as none";

  const unsigned seed = 20261206;  // random arrows keep the selection shown, the pager on it
  std::mt19937 random(seed);
  arrange(store, manyApps(83));
  store->moveSelection(0, 1);
  for (int step = 0; step < 5000; ++step) {
    const long before = selectedIndex(store);
    const int dx[] = {-1, 1, 0, 0}, dy[] = {0, 0, -1, 1}, d = static_cast<int>(random() % 4);
    store->moveSelection(dx[d], dy[d]);
    const long after = selectedIndex(store), by = std::labs(after - before);
    ASSERT_TRUE(after >= 0 && store.pager.currentPage.get() == after / 35 &&
                (dy[d] ? by == 0 || (by == 7 && after / 35 == before / 35) : by <= 1))
        << "seed " << seed << ", step " << step << ": " << before << " to " << after;
  }

  store->searchText = "nothing at all";
  store->moveSelection(1, 0);
  activate();
  EXPECT_EQ(launched.size(), 2u);
}

TEST(FeedbackTest, LaunchFeedbackAndToastsEndOnTimeEvenForAMissingBundle) {
  TestPlatform platform;  // whose system root does not exist: no bundle is there
  auto services = platform.services();
  services.workspace = std::make_shared<PosixWorkspace>(
      platform.systemRoot, platform.scheduler->mainQueue(), platform.scheduler->backgroundQueue());
  auto& clock = *platform.scheduler;
  int dismissed = 0;
  {
    PagerMotionController pager;
    TilewellStore store(services, pager);
    store.activeFolder = LaunchFolder("F", "f", {makeApp("Mail")});
    TransactionRecorder recorder(store.changes);
    store.launchApp(makeApp("Mail"), [&] {
      ++dismissed;
      EXPECT_EQ(store.launchingAppID.get(), std::nullopt) << "cleared before the dismissal";
    });
    EXPECT_EQ(store.launchingAppID.get(), appID("Mail"));
    EXPECT_TRUE(isSpring(recorder.of("launchingAppID").at(0), 0.22, 0.95));
    clock.advance(0.149);
    EXPECT_EQ(dismissed, 0);
    clock.advance(0.001);
    EXPECT_TRUE(dismissed == 1 && !store.activeFolder.get()) << "dismissed, the folder closed";
    EXPECT_TRUE(recorder.of("launchingAppID").at(1).effectiveAnimation().isNone());
    EXPECT_TRUE(recorder.of("activeFolder").at(0).effectiveAnimation().isNone());

    // Two toasts 1 s apart: the first one's timer leaves the second, which shows its full 1.8 s.
    const auto toastAfter = [&](double s) { return clock.advance(s), store.statusToast.get(); };
    store.triggerToast("第一条");
    EXPECT_TRUE(isSpring(recorder.of("statusToast").at(0), 0.24, 1.0));
    clock.advance(1.0);
    store.triggerToast("第二条");
    EXPECT_EQ(toastAfter(0.8), "第二条");
    EXPECT_EQ(toastAfter(0.999), "第二条");
    EXPECT_EQ(toastAfter(0.001), std::nullopt);
    EXPECT_EQ(recorder.of("statusToast").back().animation, Animation::easeOut(0.2));
    // The same text twice 1 s apart goes 1.8 s after the first.
    store.triggerToast("同一条");
    clock.advance(1.0);
    store.triggerToast("同一条");
    EXPECT_EQ(toastAfter(0.8), std::nullopt);

    store.launchApp(makeApp("Mail"), [&] { ++dismissed; });
    store.triggerToast("bye");
  }
  clock.advance(5.0);
  EXPECT_EQ(dismissed, 1) << "timers left by a store that is gone do nothing";
}

TEST(PagerMotionTest, DragsResistAtTheEdgesLiftOffsSnapAtMostOnePageJumpsClamp) {
  // Pages, the page shown, then two finger moves, each with where the strip is after it.
  const double drags[][6] = {
      {3, 0, 100, 28, -128, -100},  // back through the rest position: not resisted
      {3, 2, -50, -14, 80, 66},
      {1, 0, 10, 2.8, -20, 2.8 - 5.6},  // one page resists both ways
  };
  for (const auto& [pages, page, move, at, back, end] : drags) {
    PagerMotionController pager;
    pager.pageCount = static_cast<int>(pages);
    pager.currentPage = static_cast<int>(page);
    TransactionRecorder recorder(pager.changes);
    pager.updateInteractiveDrag(move);
    EXPECT_DOUBLE_EQ(pager.dragOffsetX, at) << page << " of " << pages;
    pager.updateInteractiveDrag(back);
    EXPECT_DOUBLE_EQ(pager.dragOffsetX, end) << page << " of " << pages;
    EXPECT_TRUE(pager.isInteractiveDragging);
    for (const auto& change : recorder.changes)
      EXPECT_EQ(change.transaction, Transaction::disabledContinuous()) << change.property;
  }

  // Offset, speed, page width, page before and after: past 14 % of max(width, 800), or 210/s.
  const double snaps[][5] = {
      {-180, -200, 1440, 1, 2},  // neither the offset nor the speed, but -212 projected 0.16 s on
      {-160, -200, 1440, 1, 1}, {-200, 0, 1440, 1, 1},   {210, 0, 1440, 1, 0},
      {0, 211, 1440, 1, 0},     {0, -211, 1440, 1, 2},   {0, 210, 1440, 1, 1},
      {-113, 0, 600, 1, 2},     {-111, 0, 600, 1, 1},    {-5000, -9000, 1440, 2, 2},
      {5000, 9000, 1440, 0, 0}, {-400, 300, 1440, 1, 2},  // both apply: the next page wins
  };
  for (const auto& [offset, velocity, width, from, to] : snaps) {
    PagerMotionController pager;
    pager.pageCount = 3;
    pager.currentPage = static_cast<int>(from);
    pager.updateInteractiveDrag(offset);  // resisted at the ends: it turns no result
    TransactionRecorder recorder(pager.changes);
    pager.finishInteractiveDrag(velocity, width);
    EXPECT_EQ(pager.currentPage.get(), static_cast<int>(to)) << offset << " " << velocity;
    EXPECT_EQ(pager.dragOffsetX.get(), 0.0);
    EXPECT_FALSE(pager.isInteractiveDragging);
    EXPECT_EQ(recorder.of("currentPage").at(0).animation,
              Animation::spring(PagerMotionController::snapResponse(velocity), 1.0));
  }
  EXPECT_DOUBLE_EQ(PagerMotionController::snapResponse(-60), 0.38);  // quicker when faster
  EXPECT_DOUBLE_EQ(PagerMotionController::snapResponse(1630), 0.28);
  EXPECT_DOUBLE_EQ(PagerMotionController::snapResponse(-99999), 0.18);

  PagerMotionController pager;
  pager.pageCount = 3;
  pager.switchPageAnimated(7);
  EXPECT_EQ(pager.currentPage.get(), 2);
  pager.switchPageAnimated(-1);
  EXPECT_EQ(pager.currentPage.get(), 0);
  for (const auto& [hint, response] :
       {std::pair{1100.0, 0.2976}, {1400.0, 0.2822}, {5000.0, 0.20}, {50.0, 0.35}}) {
    pager.dragOffsetX = 40;
    TransactionRecorder recorder(pager.changes);
    pager.switchPageAnimated(0, hint);
    EXPECT_EQ(pager.dragOffsetX.get(), 0.0) << "a jump to the same page springs the offset back";
    EXPECT_NEAR(recorder.of("dragOffsetX").at(0).animation.response, response, 1e-4) << hint;
  }
}

}  // namespace
}  // namespace calyxa
