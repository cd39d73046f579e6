#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "allocation_counter.h"
#include "pinch_test_support.h"
#include "support/pinch_monitor_inspector.h"

namespace calyxa {
namespace {

using testing::fingersWhere;
using testing::fingersWithSpread;
using testing::Points;
using testing::RecordingMonitor;
using testing::ring;
using testing::square;
using testing::touching;
using Inspector = MultitouchPinchMonitorInspector;
using Events = std::vector<std::string>;

// A fresh monitor sees `first` (the baseline), then `second`.
Events twoFrames(const Points& first, const Points& second) {
  RecordingMonitor m;
  m.frame(first, 10.0);
  m.frame(second, 10.01);
  return m.drained();
}

TEST(PinchSpreadTest, WeighsTheWidestPairAndTheMeanRadius) {
  // A square of side s: widest pair s√2, mean radius s/√2.
  EXPECT_NEAR(MultitouchPinchMonitor::spreadOf(square(0.1f)),
              0.35 * 0.1 * std::sqrt(2.0) + 0.65 * 0.1 / std::sqrt(2.0), 1e-6);
  // Five on a circle of radius r: widest pair 2r·sin 72°, mean radius r.
  const double r = 0.15;
  EXPECT_NEAR(MultitouchPinchMonitor::spreadOf(ring(5, 0.15f)),
              0.35 * 2 * r * std::sin(72.0 * std::numbers::pi / 180.0) + 0.65 * r, 1e-6);
  EXPECT_NEAR(MultitouchPinchMonitor::spreadOf(square(0.1f, 0.0f, 0.0f)),
              MultitouchPinchMonitor::spreadOf(square(0.1f, 0.85f, 0.6f)), 1e-6);
  const Points together(4, TouchPoint{0.3f, 0.7f});
  EXPECT_EQ(MultitouchPinchMonitor::spreadOf(together), 0.0f);
}

TEST(PinchRecogniserTest, HeldFingersOnlyCaptureTheBaseline) {
  RecordingMonitor m;
  const float spread = MultitouchPinchMonitor::spreadOf(square(0.2f));
  for (int i = 0; i < 20; ++i)
    m.frame(square(0.2f), 10.0 + i * 0.01);
  EXPECT_EQ(Inspector::initialSpread(*m.monitor), spread);
  EXPECT_EQ(Inspector::peakSpread(*m.monitor), spread);
  EXPECT_EQ(Inspector::minSpread(*m.monitor), spread);
  EXPECT_EQ(Inspector::currentFingerCount(*m.monitor), 4);
  m.lift(10.3);
  EXPECT_EQ(m.drained(), Events{}) << "no release without a pinch";
  EXPECT_FALSE(Inspector::initialSpread(*m.monitor));
  EXPECT_EQ(Inspector::currentFingerCount(*m.monitor), 0);
}

TEST(PinchRecogniserTest, OnePinchPerEpisodeAndOneReleaseAfterTheFourthLiftFrame) {
  RecordingMonitor m;
  m.frame(fingersWithSpread(0.25f), 10.00);
  m.frame(fingersWithSpread(0.22f), 10.01);  // 12 %, 0.03: not yet
  EXPECT_EQ(m.drained(), Events{});
  m.frame(fingersWithSpread(0.19f), 10.02);
  EXPECT_EQ(*m.events, Events{}) << "callbacks wait for the main queue";
  EXPECT_EQ(m.drained(), Events{"in"});
  EXPECT_TRUE(Inspector::gestureConsumed(*m.monitor));

  // Closing further or opening wide in the same episode fires nothing more.
  m.frame(fingersWithSpread(0.10f), 10.50);
  m.frame(fingersWithSpread(0.40f), 10.60);
  m.lift(10.7, 3);
  EXPECT_EQ(m.drained(), Events{});
  m.lift(10.73, 1);
  EXPECT_EQ(m.drained(), Events{"release"});
  m.lift(10.74, 20);
  EXPECT_EQ(m.drained(), Events{});

  // The next episode opens with a fresh baseline.
  m.frame(fingersWithSpread(0.10f), 11.0);
  m.frame(fingersWithSpread(0.16f), 11.01);
  m.lift(11.02);
  EXPECT_EQ(m.drained(), (Events{"out", "release"}));
}

TEST(PinchRecogniserTest, ThresholdsHoldExactlyAtTheirLimitsInSinglePrecision) {
  const auto exactly = [](float target) {
    auto points = fingersWhere(target, [target](float s) { return s == target; });
    EXPECT_TRUE(points) << "no shape with spread " << target;
    return points.value_or(Points{});
  };
  // How far the spread moves with one step of float precision near `s`.
  const auto quantum = [](float s) { return std::nextafter(s, 1.0f) - s; };

  // The peak must exceed 0.13.
  const Points closed = fingersWithSpread(0.09f);
  EXPECT_EQ(twoFrames(exactly(0.13f), closed), Events{});
  EXPECT_EQ(twoFrames(exactly(std::nextafter(0.13f, 1.0f)), closed), Events{"in"});

  // The drop must reach 0.035: the nearest drops on either side of it.
  const float peak = 0.2f;
  const auto dropAbove = fingersWhere(0.165f, [&](float s) {
    const float drop = peak - s;
    return drop >= 0.035f && drop - quantum(s) < 0.035f;
  });
  const auto dropBelow = fingersWhere(0.165f, [&](float s) {
    const float drop = peak - s;
    return drop < 0.035f && drop + quantum(s) >= 0.035f;
  });
  ASSERT_TRUE(dropAbove && dropBelow);
  EXPECT_EQ(twoFrames(exactly(peak), *dropAbove), Events{"in"});
  EXPECT_EQ(twoFrames(exactly(peak), *dropBelow), Events{});

  // The drop must reach 16 % of the peak, the ratio taken in single precision.
  const float widePeak = 0.3f;
  const auto ratioAbove = fingersWhere(0.252f, [&](float s) {
    const float drop = widePeak - s;
    return drop / widePeak >= 0.16f && (drop - quantum(s)) / widePeak < 0.16f;
  });
  const auto ratioBelow = fingersWhere(0.252f, [&](float s) {
    const float drop = widePeak - s;
    return drop / widePeak < 0.16f && (drop + quantum(s)) / widePeak >= 0.16f;
  });
  ASSERT_TRUE(ratioAbove && ratioBelow);
  EXPECT_EQ(twoFrames(exactly(widePeak), *ratioAbove), Events{"in"});
  EXPECT_EQ(twoFrames(exactly(widePeak), *ratioBelow), Events{});

  // Opening from 0.08: a rise of 0.044 in single precision fires (0.044f is a little less than
  // 0.044, so a comparison in double precision would not), one step less does not, and 0.022
  // fails although it is 22 % of the 0.10 floor.
  const float low = 0.08f;
  const auto riseExact = fingersWhere(0.124f, [&](float s) { return s - low == 0.044f; });
  const auto riseBelow =
      fingersWhere(0.124f, [&](float s) { return s - low == 0.044f - quantum(s); });
  ASSERT_TRUE(riseExact && riseBelow);
  EXPECT_EQ(twoFrames(exactly(low), *riseExact), Events{"out"});
  EXPECT_EQ(twoFrames(exactly(low), *riseBelow), Events{});
  EXPECT_EQ(twoFrames(exactly(low), fingersWithSpread(0.102f)), Events{});

  // The rise must reach 22 % of the minimum when the minimum is above the floor.
  const float wideLow = 0.3f;
  const auto riseRatioAbove = fingersWhere(0.366f, [&](float s) {
    const float rise = s - wideLow;
    return rise / wideLow >= 0.22f && (rise - quantum(s)) / wideLow < 0.22f;
  });
  const auto riseRatioBelow = fingersWhere(0.366f, [&](float s) {
    const float rise = s - wideLow;
    return rise / wideLow < 0.22f && (rise + quantum(s)) / wideLow >= 0.22f;
  });
  ASSERT_TRUE(riseRatioAbove && riseRatioBelow);
  EXPECT_EQ(twoFrames(exactly(wideLow), *riseRatioAbove), Events{"out"});
  EXPECT_EQ(twoFrames(exactly(wideLow), *riseRatioBelow), Events{});

  // The minimum must exceed 0.05.
  const Points opened = fingersWithSpread(0.11f);
  EXPECT_EQ(twoFrames(exactly(0.05f), opened), Events{});
  EXPECT_EQ(twoFrames(exactly(std::nextafter(0.05f, 1.0f)), opened), Events{"out"});

  // Closing by 17 % of the peak but by only 0.034 fires nothing: both rules must hold.
  EXPECT_EQ(twoFrames(fingersWithSpread(0.2f), fingersWithSpread(0.166f)), Events{});
}

TEST(PinchRecogniserTest, FiveFingersCountAsFourThreeNeverStartAnEpisode) {
  EXPECT_EQ(twoFrames(ring(5, 0.15f), ring(5, 0.11f)), Events{"in"});
  EXPECT_EQ(twoFrames(ring(5, 0.09f), ring(5, 0.14f)), Events{"out"});

  RecordingMonitor m;
  for (int i = 0; i < 10; ++i)
    m.frame(ring(3, i % 2 ? 0.05f : 0.3f), 10.0 + i * 0.01);
  EXPECT_EQ(Inspector::currentFingerCount(*m.monitor), 3);
  EXPECT_FALSE(Inspector::initialSpread(*m.monitor));
  m.lift(10.2);
  EXPECT_EQ(m.drained(), Events{});
}

TEST(PinchRecogniserTest, OnlyTouchingRecordsInsideTheSurfaceCount) {
  RecordingMonitor m;
  auto records = touching({{1.0f, 0.0f}, {0.0f, 1.0f}, {0.5f, 0.5f}});
  records.push_back(ContactRecord::make(5, 1.0f, 1.0f));
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (const auto& [x, y] : {std::pair{1.0001f, 0.5f},
                             {-0.0001f, 0.5f},
                             {0.5f, -1.0f},
                             {nan, 0.5f},
                             {0.5f, nan},
                             {std::numeric_limits<float>::infinity(), 0.5f}}) {
    records.push_back(ContactRecord::make(4, x, y));
  }
  for (const std::int32_t state : {0, 1, 2, 3, 6, 7, -4})
    records.push_back(ContactRecord::make(state, 0.5f, 0.5f));
  m.monitor->handleContactFrame(records.data(), static_cast<std::int32_t>(records.size()), 10.0);
  EXPECT_EQ(Inspector::currentFingerCount(*m.monitor), 4);
  EXPECT_TRUE(Inspector::initialSpread(*m.monitor));
}

TEST(PinchRecogniserTest, BadFramesCountAsFramesWithoutFingersAndAllocateOnlyThePointArray) {
  RecordingMonitor m;
  const auto four = touching(square(0.2f));
  const auto frame = [&](const void* records, std::int32_t count, double time) {
    testing::startCountingAllocations();
    m.monitor->handleContactFrame(records, count, time);
    return testing::stopCountingAllocations();
  };

  // After a pinch, bad frames end the episode as lifted fingers do.
  m.frame(fingersWithSpread(0.25f), 10.0);
  m.frame(fingersWithSpread(0.19f), 10.01);
  EXPECT_EQ(m.drained(), Events{"in"});
  EXPECT_EQ(frame(nullptr, 4, 10.02), 0);
  EXPECT_EQ(Inspector::currentFingerCount(*m.monitor), 0);
  EXPECT_EQ(frame(four.data(), 0, 10.03), 0);
  EXPECT_EQ(frame(four.data(), -7, 10.04), 0);
  m.monitor->handleContactFrame(nullptr, std::numeric_limits<std::int32_t>::min(), 10.05);
  EXPECT_EQ(m.drained(), Events{"release"});

  // Usual frames need no memory; thousands of contacts need just their point array.
  EXPECT_EQ(frame(four.data(), 4, 11.0), 0);
  EXPECT_EQ(frame(four.data(), 4, 11.01), 0);
  m.lift(11.02);
  Points crowdPoints;
  for (int i = 0; i < 3000; ++i)
    crowdPoints.push_back({(i % 100) / 99.0f, (i / 100) / 29.0f});
  const auto crowd = touching(crowdPoints);
  const auto crowdSize = static_cast<std::int32_t>(crowd.size());
  EXPECT_EQ(frame(crowd.data(), crowdSize, 11.1), 1);
  EXPECT_EQ(Inspector::currentFingerCount(*m.monitor), 3000);
  EXPECT_EQ(Inspector::initialSpread(*m.monitor), MultitouchPinchMonitor::spreadOf(crowdPoints));
  EXPECT_EQ(frame(crowd.data(), crowdSize, 11.11), 1);
  m.lift(11.12);
  EXPECT_EQ(m.drained(), Events{});
}

TEST(PinchRecogniserTest, DropoutsOfUpToThreeFramesKeepTheEpisode) {
  RecordingMonitor m;
  m.frame(fingersWithSpread(0.25f), 10.0);
  m.frame(ring(2, 0.1f), 10.01);
  m.frame({}, 10.02);
  m.frame(ring(3, 0.1f), 10.03);
  m.frame(fingersWithSpread(0.20f), 10.04);  // 0.05 and 20 % below the peak of the episode
  EXPECT_EQ(m.drained(), Events{"in"});

  // After the pinch, three empty frames neither release nor reopen the episode.
  m.lift(10.05, 3);
  m.frame(fingersWithSpread(0.40f), 10.5);
  m.lift(10.6, 3);
  EXPECT_EQ(m.drained(), Events{});
  m.lift(10.63, 1);
  EXPECT_EQ(m.drained(), Events{"release"});

  // Four empty frames end an episode without a pinch: the baseline starts again.
  RecordingMonitor n;
  n.frame(fingersWithSpread(0.25f), 10.0);
  n.lift(10.01);
  n.frame(fingersWithSpread(0.20f), 10.05);
  EXPECT_EQ(Inspector::initialSpread(*n.monitor),
            MultitouchPinchMonitor::spreadOf(fingersWithSpread(0.20f)));
  EXPECT_EQ(n.drained(), Events{});
}

TEST(PinchRecogniserTest, CooldownRunsOnFrameTimeFromTheLastPinch) {
  RecordingMonitor m;
  m.frame(fingersWithSpread(0.25f), 10.0);
  m.frame(fingersWithSpread(0.19f), 10.1);  // fires at 10.1
  m.lift(10.11);
  EXPECT_EQ(m.drained(), (Events{"in", "release"}));

  // A magnify trigger moves the media-time mark, not the frame cooldown.
  m.monitor->startMonitoring();
  m.platform.scheduler->advance(5.0);
  m.platform.eventMonitors->deliverLocalMagnifyEvent({1, -0.3});
  EXPECT_EQ(m.drained(), Events{"in"});

  // Fingers down again 0.3 s later: no baseline, no pinch until 0.42 s have passed.
  m.frame(fingersWithSpread(0.30f), 10.40);
  m.frame(fingersWithSpread(0.20f), 10.45);
  m.frame(fingersWithSpread(0.20f), 10.51);
  EXPECT_FALSE(Inspector::initialSpread(*m.monitor));
  m.frame(fingersWithSpread(0.24f), 10.53);
  EXPECT_EQ(Inspector::initialSpread(*m.monitor),
            MultitouchPinchMonitor::spreadOf(fingersWithSpread(0.24f)));
  m.frame(fingersWithSpread(0.18f), 10.54);
  EXPECT_EQ(m.drained(), Events{"in"});
  const double wall = Inspector::lastTriggerWallTime(*m.monitor);
  EXPECT_EQ(wall, m.platform.scheduler->now()) << "the pinch marks media time";
}

TEST(PinchRecogniserTest, CallbacksRunLaterOnTheMainQueueWithTheSlotOfThatMoment) {
  RecordingMonitor m;
  m.frame(fingersWithSpread(0.25f), 10.0);
  m.frame(fingersWithSpread(0.19f), 10.01);
  int replaced = 0;
  m.monitor->onPinchIn = [&replaced] { ++replaced; };
  EXPECT_EQ(m.platform.scheduler->pendingCount(testing::ManualScheduler::Lane::main), 1);
  m.drained();
  EXPECT_EQ(replaced, 1);

  // An empty slot is skipped; a monitor let go of still runs the work it queued.
  m.monitor->onGestureRelease = nullptr;
  m.lift(10.1);
  EXPECT_EQ(m.drained(), Events{});
  m.frame(fingersWithSpread(0.10f), 11.0);
  m.frame(fingersWithSpread(0.16f), 11.01);
  std::weak_ptr<MultitouchPinchMonitor> weak = m.monitor;
  m.monitor.reset();
  EXPECT_FALSE(weak.expired());
  EXPECT_EQ(m.drained(), Events{"out"});
  EXPECT_TRUE(weak.expired());
}

}  // namespace
}  // namespace calyxa
