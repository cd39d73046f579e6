#include <gtest/gtest.h>

#include "editing/pager_motion_controller.h"
#include "support/transaction_recorder.h"

namespace calyxa {
namespace {

using testing::TransactionRecorder;

TEST(PagerMotionTest, InteractiveDragFollowsTheFingerWithEdgeResistance) {
  PagerMotionController pager;
  pager.pageCount = 3;
  TransactionRecorder recorder(pager.changes);

  pager.updateInteractiveDrag(100);  // pulling right on the first page
  EXPECT_DOUBLE_EQ(pager.dragOffsetX, 28.0);
  EXPECT_TRUE(pager.isInteractiveDragging);
  pager.updateInteractiveDrag(-128);  // back through the rest position: not resisted
  EXPECT_DOUBLE_EQ(pager.dragOffsetX, -100.0);
  for (const auto& change : recorder.changes) {
    EXPECT_TRUE(change.transaction.disablesAnimations) << change.property;
    EXPECT_TRUE(change.transaction.isContinuous) << change.property;
  }

  PagerMotionController last;
  last.pageCount = 3;
  last.currentPage = 2;
  last.updateInteractiveDrag(-50);
  EXPECT_DOUBLE_EQ(last.dragOffsetX, -14.0);
  last.updateInteractiveDrag(80);
  EXPECT_DOUBLE_EQ(last.dragOffsetX, 66.0);

  PagerMotionController single;
  single.updateInteractiveDrag(10);
  EXPECT_DOUBLE_EQ(single.dragOffsetX, 2.8);
  single.updateInteractiveDrag(-20);
  EXPECT_DOUBLE_EQ(single.dragOffsetX, 2.8 - 5.6) << "one page resists both ways";
}

struct SnapCase {
  double offset;
  double velocity;
  double width;
  int startPage;
  int expectedPage;
};

TEST(PagerMotionTest, LiftOffSnapsByProjectedDistanceOrSpeedAtMostOnePage) {
  const SnapCase cases[] = {
      {-100, -300, 1440, 1, 2},  // p = -148 > -201.6, but the speed turns the page
      {-250, 0, 1440, 1, 2},     // far enough
      {-200, 0, 1440, 1, 1},     // not quite: springs back
      {150, 0, 1440, 1, 1},     {210, 0, 1440, 1, 0},
      {0, 211, 1440, 1, 0},     {0, 210, 1440, 1, 1},        // exactly the snap speed is not enough
      {-113, 0, 600, 1, 2},                                  // narrow pages use 800: threshold 112
      {-111, 0, 600, 1, 1},     {-5000, -9000, 1440, 2, 2},  // clamped at the last page
      {5000, 9000, 1440, 0, 0}, {-400, 300, 1440, 1, 2},     // both apply: the next page wins
  };
  for (const auto& c : cases) {
    PagerMotionController pager;
    pager.pageCount = 3;
    pager.currentPage = c.startPage;
    pager.updateInteractiveDrag(0);
    pager.dragOffsetX = c.offset;
    TransactionRecorder recorder(pager.changes);
    pager.finishInteractiveDrag(c.velocity, c.width);
    EXPECT_EQ(pager.currentPage.get(), c.expectedPage) << c.offset << " " << c.velocity;
    EXPECT_EQ(pager.dragOffsetX.get(), 0.0);
    EXPECT_FALSE(pager.isInteractiveDragging);
    const auto page = recorder.of("currentPage");
    ASSERT_EQ(page.size(), 1u);
    EXPECT_EQ(page[0].animation.curve, Animation::Curve::spring);
    EXPECT_EQ(page[0].animation.dampingFraction, 1.0);
    EXPECT_DOUBLE_EQ(page[0].animation.response, PagerMotionController::snapResponse(c.velocity));
    EXPECT_TRUE(recorder.of("isInteractiveDragging")[0].effectiveAnimation().isNone());
  }
  EXPECT_NEAR(PagerMotionController::snapResponse(-300), 0.38 - 0.2 * 240 / 3140, 1e-12);
  EXPECT_DOUBLE_EQ(PagerMotionController::snapResponse(60), 0.38);
  EXPECT_DOUBLE_EQ(PagerMotionController::snapResponse(-99999), 0.18);
}

TEST(PagerMotionTest, JumpsAreClampedAndAlwaysAnimated) {
  PagerMotionController pager;
  pager.pageCount = 3;
  TransactionRecorder recorder(pager.changes);
  pager.switchPageAnimated(7);
  EXPECT_EQ(pager.currentPage.get(), 2);
  pager.switchPageAnimated(-1);
  EXPECT_EQ(pager.currentPage.get(), 0);

  pager.dragOffsetX = 40;
  recorder.clear();
  pager.switchPageAnimated(0, 5000);
  EXPECT_EQ(pager.dragOffsetX.get(), 0.0) << "a jump to the same page springs the offset back";
  EXPECT_DOUBLE_EQ(recorder.of("dragOffsetX").at(0).animation.response, 0.20);

  EXPECT_DOUBLE_EQ(PagerMotionController::jumpResponse(50), 0.35);
  EXPECT_NEAR(PagerMotionController::jumpResponse(1100), 0.2976, 1e-4);
  EXPECT_NEAR(PagerMotionController::jumpResponse(-1400), 0.2822, 1e-4);
  recorder.clear();
  pager.switchPageAnimated(1);
  EXPECT_NEAR(recorder.of("currentPage").at(0).animation.response, 0.2976, 1e-4);
}

}  // namespace
}  // namespace calyxa
