#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/published.h"

namespace calyxa {
namespace {

TEST(TransactionTest, NestedBlocksSetAndRestoreTheTransactionInForce) {
  EXPECT_TRUE(currentTransaction().animation.isNone());
  withAnimation(Animation::spring(0.3, 0.95), [] {
    EXPECT_EQ(currentTransaction().animation, Animation::spring(0.3, 0.95, 0.0));
    withoutAnimation([] {
      EXPECT_TRUE(currentTransaction().disablesAnimations);
      EXPECT_TRUE(currentTransaction().effectiveAnimation().isNone());
    });
    withTransaction(Transaction::disabledContinuous(), [] {
      EXPECT_TRUE(currentTransaction().isContinuous);
      EXPECT_TRUE(currentTransaction().disablesAnimations);
    });
    EXPECT_EQ(currentTransaction().animation.response, 0.3);
  });
  EXPECT_EQ(currentTransaction(), Transaction{});

  const Animation wobble = Animation::easeInOut(0.118).repeatForever();
  EXPECT_EQ(wobble.curve, Animation::Curve::easeInOut);
  EXPECT_TRUE(wobble.repeatsForever);
  EXPECT_TRUE(wobble.autoreverses);
  EXPECT_DOUBLE_EQ(wobble.duration, 0.118);
}

TEST(PublishedTest, EveryAssignmentNotifiesWithItsTransaction) {
  ChangeHub hub;
  Published<int> value{0, &hub, "value"};
  std::vector<std::pair<int, Transaction>> seen;
  std::vector<std::string> hubSeen;
  Observation observation =
      value.observe([&](const int& v, const Transaction& t) { seen.emplace_back(v, t); });
  Observation hubObservation = hub.observe(
      [&](std::string_view property, const Transaction&) { hubSeen.emplace_back(property); });

  value = 1;
  value = 1;  // equal value: still a change notification
  withAnimation(Animation::easeOut(0.2), [&] { value = 2; });
  value.mutate([](int& v) { v += 40; });

  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[1].first, 1);
  EXPECT_EQ(seen[2].second.animation, Animation::easeOut(0.2));
  EXPECT_TRUE(seen[3].second.animation.isNone());
  EXPECT_EQ(value.get(), 42);
  EXPECT_EQ(hubSeen, std::vector<std::string>(4, "value"));

  observation.cancel();
  value = 5;
  EXPECT_EQ(seen.size(), 4u);
}

TEST(PublishedTest, DidSetRunsBeforeObserversAndObserversMayUnsubscribeWhileNotified) {
  Published<std::string> text;
  std::vector<std::string> order;
  text.setDidSet([&] { order.push_back("didSet:" + text.get()); });
  Observation first;
  first = text.observe([&](const std::string& v, const Transaction&) {
    order.push_back("first:" + v);
    first.cancel();  // one-shot
  });
  Observation second = text.observe(
      [&](const std::string& v, const Transaction&) { order.push_back("second:" + v); });
  text = "a";
  text = "b";
  EXPECT_EQ(order,
            (std::vector<std::string>{"didSet:a", "first:a", "second:a", "didSet:b", "second:b"}));

  // A token that outlives its property stops nothing and crashes nothing.
  Observation orphan;
  {
    Published<int> shortLived;
    orphan = shortLived.observe([&](const int&, const Transaction&) { order.push_back("x"); });
    shortLived = 1;
  }
  orphan.cancel();
  EXPECT_EQ(order.back(), "x");
}

}  // namespace
}  // namespace calyxa
