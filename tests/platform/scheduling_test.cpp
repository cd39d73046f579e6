#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "platform/posix/run_loop.h"
#include "platform/posix/serial_background_queue.h"
#include "platform/published.h"
#include "support/manual_scheduler.h"

namespace calyxa {
namespace {

using testing::ManualScheduler;
using Strings = std::vector<std::string>;

TEST(ManualSchedulerTest, RunsDueWorkInTimeOrderIncludingWorkScheduledByWorkAndTimers) {
  auto scheduler = ManualScheduler::make();
  auto main = scheduler->mainQueue();
  Strings log;
  const auto stamp = [&](const std::string& what) {
    return [&, what] { log.push_back(what + "@" + std::to_string(scheduler->now()).substr(0, 4)); };
  };
  main->asyncAfter(0.3, stamp("c"));
  scheduler->backgroundQueue()->asyncAfter(0.1, [&] {
    stamp("a")();
    main->asyncAfter(0.1, stamp("b"));  // due inside the same advance, before "c"
  });
  main->asyncAfter(0.3, stamp("d"));  // the same deadline as "c": scheduling order
  main->async(stamp("now"));
  main->asyncAfter(0.2, stamp("never")).cancel();
  const Cancellable timer = main->scheduleRepeating(1.5, stamp("tick"));

  scheduler->advance(0.25);
  EXPECT_EQ(log, (Strings{"now@0.00", "a@0.10", "b@0.20"}));
  scheduler->advance(4.25);  // t = 4.5: ticks at 1.5, 3.0 and 4.5
  timer.cancel();
  scheduler->advance(10);
  EXPECT_EQ(log, (Strings{"now@0.00", "a@0.10", "b@0.20", "c@0.30", "d@0.30", "tick@1.50",
                          "tick@3.00", "tick@4.50"}));
  EXPECT_EQ(scheduler->pendingCount(ManualScheduler::Lane::main), 0) << "the timer is gone";
}

TEST(PosixQueuesTest, TheRunLoopRunsWorkByDeadlineAndTheBackgroundQueueOneItemAtATime) {
  auto time = ManualScheduler::make();  // only its clock, set by hand
  RunLoop loop(time->clock());
  std::vector<int> order;
  loop.asyncAfter(2.0, [&] { order.push_back(2); });
  loop.asyncAfter(1.0, [&] { order.push_back(1); });
  loop.asyncAfter(1.5, [&] { order.push_back(99); }).cancel();
  std::thread([&] { loop.async([&] { order.push_back(0); }); }).join();
  loop.runPending();
  EXPECT_EQ(order, (std::vector<int>{0}));
  const Cancellable timer = loop.scheduleRepeating(0.5, [&] { order.push_back(5); });
  time->advance(1.0);
  loop.runPending();
  timer.cancel();
  time->advance(9.0);
  EXPECT_TRUE(loop.runUntil([&] { return order.size() == 5; }, 0.0));
  EXPECT_EQ(order, (std::vector<int>{0, 5, 1, 5, 2}));

  SerialBackgroundQueue queue(time->clock());
  order.clear();  // touched only by the worker until waitUntilIdle returns
  for (int i = 0; i < 50; ++i)
    queue.asyncAfter(0.0, [&, i] { order.push_back(i); });
  queue.asyncAfter(1000.0, [&] { order.push_back(-1); }).cancel();
  queue.waitUntilIdle();
  std::vector<int> expected(50);
  std::iota(expected.begin(), expected.end(), 0);
  EXPECT_EQ(order, expected);
}

TEST(PublishedTest, EveryAssignmentNotifiesWithTheTransactionInForce) {
  ChangeHub hub;
  Published<std::string> text{"", &hub, "text"};
  Strings seen;
  text.setDidSet([&] { seen.push_back("didSet:" + text.get()); });
  Observation first, third;
  first = text.observe([&](const std::string& v, const Transaction&) {
    seen.push_back("first:" + v);
    first.cancel(), third.cancel();  // observers may unsubscribe any observer while notified
  });
  Observation second = text.observe([&](const std::string& v, const Transaction& t) {
    seen.push_back("second:" + v + (t.disablesAnimations ? " jump" : "") +
                   (t.animation == Animation::easeOut(0.2) ? " eased" : ""));
  });
  third = text.observe([&](const std::string& v, auto&) { seen.push_back("third:" + v); });
  Observation onHub = hub.observe([&](std::string_view name, auto&) { seen.emplace_back(name); });

  text = "a";
  text = "a";  // an equal value still notifies
  withAnimation(Animation::easeOut(0.2), [&] {
    withoutAnimation([&] { text = "b"; });
    text.mutate([](std::string& v) { v += "c"; });
  });
  EXPECT_EQ(currentTransaction(), Transaction{}) << "blocks restore the transaction outside them";
  second.cancel();
  text = "d";
  EXPECT_EQ(seen, (Strings{"didSet:a", "text", "first:a", "second:a", "didSet:a", "text",
                           "second:a", "didSet:b", "text", "second:b jump", "didSet:bc", "text",
                           "second:bc eased", "didSet:d", "text"}));
}

}  // namespace
}  // namespace calyxa
