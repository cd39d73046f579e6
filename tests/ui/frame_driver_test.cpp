#include <gtest/gtest.h>

#include <QWidget>

#include "support/manual_scheduler.h"
#include "views/animation/frame_driver.h"
#include "views/animation/view_animator.h"

namespace calyxa {
namespace {

using testing::ManualScheduler;
constexpr auto kMain = ManualScheduler::Lane::main;

struct DriverFixture {
  std::shared_ptr<ManualScheduler> scheduler = ManualScheduler::make();
  FrameDriver driver{scheduler->clock(), scheduler->mainQueue()};
};

TEST(FrameDriverTest, TicksOnlyWhileSomethingMoves) {
  DriverFixture f;
  EXPECT_FALSE(f.driver.isRunning());
  EXPECT_EQ(f.scheduler->pendingCount(kMain), 0);

  std::vector<double> firstFrames, secondFrames;
  FrameDriver::Client first(f.driver, [&](double t) {
    firstFrames.push_back(t);
    return firstFrames.size() < 3;
  });
  FrameDriver::Client second(f.driver, [&](double t) {
    secondFrames.push_back(t);
    return secondFrames.size() < 10;
  });
  first.wake();
  second.wake();
  first.wake();  // waking an awake client changes nothing
  EXPECT_EQ(f.scheduler->pendingCount(kMain), 1) << "one timer for every client";

  f.scheduler->advance(1.0);
  EXPECT_EQ(firstFrames.size(), 3u);
  EXPECT_EQ(secondFrames.size(), 10u);
  EXPECT_NEAR(secondFrames[1] - secondFrames[0], 1.0 / 60.0, 1e-9);
  EXPECT_EQ(f.driver.framesTicked(), 10u);
  EXPECT_FALSE(f.driver.isRunning());
  EXPECT_EQ(f.scheduler->pendingCount(kMain), 0) << "nothing moves: no work is scheduled";

  // A client that puts itself to sleep, or is destroyed, mid-frame stops the timer too.
  auto third = std::make_unique<FrameDriver::Client>(f.driver, [](double) { return true; });
  FrameDriver::Client killer(f.driver, [&](double) {
    third.reset();
    return false;
  });
  third->wake();
  killer.wake();
  f.scheduler->advance(0.1);
  EXPECT_FALSE(f.driver.isRunning());
  EXPECT_EQ(f.scheduler->pendingCount(kMain), 0);
}

TEST(ViewAnimatorTest, RepaintsWhileAValueMovesAndStopsWhenHiddenOrAtRest) {
  DriverFixture f;
  QWidget view;
  view.resize(100, 100);
  Animated<double> offset(0.0);
  Animated<double> wobble(0.0);
  ViewAnimator animator(&view, f.driver);
  animator.track(offset);
  animator.track(wobble);

  // Hidden views get no frames, even when told to wake.
  offset.setTarget(50.0, Animation::spring(0.3, 1.0), animator.now());
  animator.wake();
  EXPECT_FALSE(f.driver.isRunning());

  view.show();
  EXPECT_TRUE(animator.isReceivingFrames()) << "showing resumes a motion in progress";
  f.scheduler->advance(0.1);
  EXPECT_TRUE(f.driver.isRunning());
  f.scheduler->advance(3.0);
  EXPECT_FALSE(offset.isAnimating(animator.now()));
  EXPECT_FALSE(f.driver.isRunning()) << "a static view costs nothing";
  EXPECT_EQ(f.scheduler->pendingCount(kMain), 0);
  const auto framesAtRest = f.driver.framesTicked();
  f.scheduler->advance(5.0);
  EXPECT_EQ(f.driver.framesTicked(), framesAtRest);

  // A motion that never ends runs only while the view is visible.
  wobble.setTarget(2.0, Animation::easeInOut(0.12).repeatForever(), animator.now());
  animator.wake();
  f.scheduler->advance(1.0);
  EXPECT_GE(f.driver.framesTicked() - framesAtRest, 59u);
  view.hide();
  f.scheduler->advance(0.05);
  EXPECT_FALSE(f.driver.isRunning());
  EXPECT_EQ(f.scheduler->pendingCount(kMain), 0) << "a hidden overlay costs nothing";
  const auto framesHidden = f.driver.framesTicked();
  f.scheduler->advance(10.0);
  EXPECT_EQ(f.driver.framesTicked(), framesHidden);
  view.show();
  f.scheduler->advance(0.5);
  EXPECT_GT(f.driver.framesTicked(), framesHidden);
  EXPECT_TRUE(f.driver.isRunning());
}

}  // namespace
}  // namespace calyxa
