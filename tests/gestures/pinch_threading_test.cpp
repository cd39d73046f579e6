#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "pinch_test_support.h"
#include "support/pinch_monitor_inspector.h"

namespace calyxa {
namespace {

using testing::fingersWithSpread;
using testing::RecordingMonitor;
using testing::touching;

// Frames come from the frame source's thread while the main thread runs the queue, asks the
// event tap and feeds magnify events, as in the application. Run under ThreadSanitizer too.
TEST(PinchThreadingTest, FramesFromTheReaderThreadMeetTheMainThreadWithoutRaces) {
  RecordingMonitor m;
  m.platform.eventMonitors->tapLocationsThatWork = {MultitouchPinchMonitor::kTapLocationHID};
  m.monitor->startMonitoring();
  auto& source = *m.platform.contactFrames;

  constexpr int kEpisodes = 40;
  std::atomic<int> mainSteps{0};
  std::atomic<bool> done{false};
  std::thread reader([&] {
    double time = 10.0;
    for (int episode = 0; episode < kEpisodes; ++episode, time += 1.0) {
      // Keep pace with the main thread so that the two really overlap.
      while (mainSteps.load() < episode * 2)
        std::this_thread::yield();
      double t = time;
      for (const float spread : {0.10f, 0.12f, 0.15f, 0.16f})
        source.deliver(touching(fingersWithSpread(spread)), t += 0.01);
      for (int lift = 0; lift < MultitouchPinchMonitor::kLiftFramesToEndEpisode; ++lift)
        source.deliver({}, t += 0.01);
    }
    done = true;
  });

  static char event;
  auto* tapped = reinterpret_cast<TappedEvent*>(&event);
  while (!done.load()) {
    m.platform.scheduler->advance(0.05);
    m.monitor->handleTappedEvent(MultitouchPinchMonitor::kEventTypeSwipe, tapped);
    m.platform.eventMonitors->deliverLocalMagnifyEvent({kEventPhaseBegan, -0.3});
    ++mainSteps;
  }
  reader.join();
  m.platform.scheduler->runReady();

  const auto& events = *m.events;
  EXPECT_EQ(std::count(events.begin(), events.end(), "out"), kEpisodes);
  EXPECT_EQ(std::count(events.begin(), events.end(), "release"), kEpisodes);
  EXPECT_GE(mainSteps.load(), 2 * (kEpisodes - 1));
  EXPECT_EQ(MultitouchPinchMonitorInspector::currentFingerCount(*m.monitor), 0);
}

}  // namespace
}  // namespace calyxa
