#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/posix/run_loop.h"
#include "platform/posix/serial_background_queue.h"
#include "support/manual_scheduler.h"

namespace calyxa {
namespace {

using testing::ManualScheduler;

// A clock the test sets by hand, for the real queues.
class SettableClock final : public MediaClock {
 public:
  double now() const override { return time.load(); }
  std::atomic<double> time{100.0};
};

TEST(ManualSchedulerTest, RunsDueWorkInTimeOrderIncludingWorkScheduledByWork) {
  auto scheduler = ManualScheduler::make();
  auto main = scheduler->mainQueue();
  auto background = scheduler->backgroundQueue();
  std::vector<std::string> log;
  const auto stamp = [&](const std::string& what) {
    log.push_back(what + "@" + std::to_string(scheduler->now()).substr(0, 4));
  };

  main->asyncAfter(0.3, [&] { stamp("c"); });
  background->asyncAfter(0.1, [&] {
    stamp("a");
    // Due inside the same advance: must run, and before "c".
    main->asyncAfter(0.1, [&] { stamp("b"); });
  });
  main->asyncAfter(0.3, [&] { stamp("d"); });  // same deadline as "c": scheduling order
  main->async([&] { stamp("now"); });
  const Cancellable cancelled = main->asyncAfter(0.2, [&] { stamp("never"); });
  cancelled.cancel();

  EXPECT_TRUE(log.empty()) << "nothing runs before time is advanced";
  scheduler->advance(0.25);
  EXPECT_EQ(log, (std::vector<std::string>{"now@0.00", "a@0.10", "b@0.20"}));
  EXPECT_DOUBLE_EQ(scheduler->now(), 0.25);
  scheduler->advance(1.0);
  EXPECT_EQ(log.size(), 5u);
  EXPECT_EQ(log[3], "c@0.30");
  EXPECT_EQ(log[4], "d@0.30");
  EXPECT_EQ(scheduler->completedCount(ManualScheduler::Lane::background), 1);
  EXPECT_EQ(scheduler->pendingCount(ManualScheduler::Lane::main), 0);
}

TEST(ManualSchedulerTest, RepeatingTimerTicksEachIntervalUntilCancelled) {
  auto scheduler = ManualScheduler::make();
  int ticks = 0;
  const Cancellable timer = scheduler->mainQueue()->scheduleRepeating(1.5, [&] { ++ticks; });
  scheduler->advance(1.4);
  EXPECT_EQ(ticks, 0);
  scheduler->advance(3.1);  // t = 4.5: ticks at 1.5, 3.0, 4.5
  EXPECT_EQ(ticks, 3);
  timer.cancel();
  scheduler->advance(10);
  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(scheduler->pendingCount(ManualScheduler::Lane::main), 0);
}

TEST(RunLoopTest, RunsWorkPostedFromOtherThreadsInDeadlineOrder) {
  auto clock = std::make_shared<SettableClock>();
  RunLoop loop(clock);
  std::vector<int> order;
  loop.asyncAfter(2.0, [&] { order.push_back(2); });
  loop.asyncAfter(1.0, [&] { order.push_back(1); });
  const Cancellable dropped = loop.asyncAfter(1.5, [&] { order.push_back(99); });
  dropped.cancel();
  std::thread poster([&] { loop.async([&] { order.push_back(0); }); });
  poster.join();

  loop.runPending();
  EXPECT_EQ(order, (std::vector<int>{0}));
  clock->time = 102.0;
  loop.runPending();
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));

  int ticks = 0;
  const Cancellable timer = loop.scheduleRepeating(0.5, [&] { ++ticks; });
  clock->time = 103.0;
  loop.runPending();
  EXPECT_EQ(ticks, 2);
  timer.cancel();
  clock->time = 110.0;
  loop.runPending();
  EXPECT_EQ(ticks, 2);

  bool done = false;
  loop.async([&] { done = true; });
  EXPECT_TRUE(loop.runUntil([&] { return done; }, 5.0));
}

TEST(SerialBackgroundQueueTest, RunsOneItemAtATimeInSchedulingOrder) {
  auto clock = std::make_shared<SettableClock>();
  SerialBackgroundQueue queue(clock);
  std::vector<int> order;  // touched only by the worker until waitUntilIdle returns
  std::atomic<int> running{0};
  std::atomic<bool> overlapped{false};
  for (int i = 0; i < 50; ++i) {
    queue.asyncAfter(0.0, [&, i] {
      if (running.fetch_add(1) != 0) overlapped = true;
      order.push_back(i);
      running.fetch_sub(1);
    });
  }
  const Cancellable later = queue.asyncAfter(1000.0, [&] { order.push_back(-1); });
  later.cancel();
  queue.waitUntilIdle();
  ASSERT_EQ(order.size(), 50u);
  for (int i = 0; i < 50; ++i)
    EXPECT_EQ(order[static_cast<std::size_t>(i)], i);
  EXPECT_FALSE(overlapped);
}

}  // namespace
}  // namespace calyxa
