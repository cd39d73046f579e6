#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "platform/qt/property_observer.h"
#include "platform/qt/qt_main_queue.h"
#include "support/test_platform.h"

namespace calyxa {
namespace {

// Runs the Qt event loop until `done` holds; false if that takes longer than a generous bound.
bool runEventLoopUntil(const std::function<bool()>& done) {
  QEventLoop loop;
  QTimer poll;
  poll.setInterval(1);
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (done()) loop.quit();
  });
  QTimer::singleShot(10000, &loop, [&] { loop.exit(1); });
  poll.start();
  return done() || loop.exec() == 0;
}

TEST(QtMainQueueTest, WorkFromAnyThreadRunsOnTheMainThreadInOrder) {
  QtMainQueue queue;
  constexpr int kThreads = 4;
  constexpr int kItems = 250;
  std::vector<std::vector<int>> seen(kThreads);
  std::atomic<int> offMain{0};
  int total = 0;
  QThread* const mainThread = QCoreApplication::instance()->thread();
  std::vector<std::thread> posters;
  for (int t = 0; t < kThreads; ++t) {
    posters.emplace_back([&, t] {
      for (int i = 0; i < kItems; ++i) {
        queue.async([&, t, i] {
          if (QThread::currentThread() != mainThread) ++offMain;
          seen[t].push_back(i);
          ++total;
        });
      }
    });
  }
  for (auto& poster : posters)
    poster.join();
  ASSERT_TRUE(runEventLoopUntil([&] { return total == kThreads * kItems; }));
  EXPECT_EQ(offMain.load(), 0);
  for (const auto& items : seen) {
    ASSERT_EQ(items.size(), static_cast<std::size_t>(kItems));
    for (int i = 0; i < kItems; ++i)
      EXPECT_EQ(items[i], i);
  }
}

TEST(QtMainQueueTest, DelayedWorkRunsByDeadlineAndCancelledWorkNever) {
  QtMainQueue queue;
  std::vector<std::string> order;
  queue.asyncAfter(0.03, [&] { order.push_back("late"); });
  queue.asyncAfter(0.005, [&] { order.push_back("early"); });
  queue.asyncAfter(0.01, [&] { order.push_back("cancelled"); }).cancel();
  std::atomic<bool> fromThreadDone{false};
  std::thread([&] {
    queue.asyncAfter(0.0, [&] {
      order.push_back(QThread::currentThread() == QCoreApplication::instance()->thread()
                          ? "from thread, on main"
                          : "from thread, elsewhere");
      fromThreadDone = true;
    });
  }).join();

  // A repeating timer that cancels itself on its third tick: no fourth, and its timer goes.
  int ticks = 0;
  Cancellable repeating;
  repeating = queue.scheduleRepeating(0.002, [&] {
    if (++ticks == 3) repeating.cancel();
  });
  ASSERT_TRUE(runEventLoopUntil([&] {
    return order.size() >= 3 && fromThreadDone && ticks >= 3 && queue.liveTimerCount() == 0;
  }));
  EXPECT_EQ(ticks, 3);
  // Work posted from the thread may run before or after an already expired timer: the loop
  // starts late on a busy machine. Timers keep their deadline order.
  std::erase(order, "from thread, on main");
  EXPECT_EQ(order, (std::vector<std::string>{"early", "late"}));
}

TEST(PropertyObserverTest, ViewsSeeEachChangeWithItsTransactionWhileTheyLive) {
  testing::TestStore store;
  struct Seen {
    std::string what;
    Transaction transaction;
  };
  std::vector<Seen> seen;
  auto view = std::make_unique<QWidget>();
  observeProperty(view.get(), store->showSettings, [&](bool value, const Transaction& t) {
    seen.push_back({value ? "settings on" : "settings off", t});
  });
  observeChanges(view.get(), store->changes, {"isEditingPositions", "statusToast"},
                 [&](std::string_view property, const Transaction& t) {
                   seen.push_back({std::string(property), t});
                 });

  withAnimation(Animation::spring(0.3, 0.86), [&] { store->showSettings = true; });
  withAnimation(Animation::easeOut(0.2), [&] { store->isEditingPositions = true; });
  store->showOnboarding = true;  // not asked for
  withoutAnimation([&] { store->showSettings = false; });

  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].what, "settings on");
  EXPECT_EQ(seen[0].transaction.animation, Animation::spring(0.3, 0.86));
  EXPECT_EQ(seen[1].what, "isEditingPositions");
  EXPECT_EQ(seen[1].transaction.animation, Animation::easeOut(0.2));
  EXPECT_EQ(seen[2].what, "settings off");
  EXPECT_TRUE(seen[2].transaction.disablesAnimations);
  EXPECT_EQ(PropertyObserver::of(view.get()).count(), 2u);

  // A view that goes away stops observing, even one destroyed by its own callback.
  auto fragile = std::make_unique<QWidget>();
  int fragileCalls = 0;
  observeProperty(fragile.get(), store->isPresented, [&](bool, const Transaction&) {
    ++fragileCalls;
    fragile.reset();
  });
  store->isPresented = true;
  store->isPresented = false;
  EXPECT_EQ(fragileCalls, 1);

  view.reset();
  store->showSettings = true;
  store->isEditingPositions = false;
  EXPECT_EQ(seen.size(), 3u);
}

}  // namespace
}  // namespace calyxa
