// The per-frame cost of the pinch recogniser and the per-event cost of the event tap's decision.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <numbers>

#include "gestures/multitouch_pinch_monitor.h"
#include "platform/contact_record.h"
#include "platform/posix/posix_media_clock.h"
#include "support/pinch_monitor_inspector.h"
#include "support/test_platform.h"

namespace calyxa {
namespace {

using Inspector = MultitouchPinchMonitorInspector;

// A monitor on the real media clock; its main queue is never asked for anything here.
struct Bench {
  testing::TestPlatform platform;
  std::shared_ptr<MultitouchPinchMonitor> monitor;

  Bench() {
    PlatformServices services = platform.services();
    services.clock = std::make_shared<PosixMediaClock>();
    monitor = MultitouchPinchMonitor::make(services);
  }
};

// Five fingers resting, trembling a little: the recogniser's usual frame in an open episode.
std::array<std::array<TouchPoint, 5>, 2> restingHand() {
  std::array<std::array<TouchPoint, 5>, 2> frames{};
  for (int frame = 0; frame < 2; ++frame) {
    const float radius = frame == 0 ? 0.15f : 0.148f;
    for (int i = 0; i < 5; ++i) {
      const double angle = 2 * std::numbers::pi * i / 5 + 0.1;
      frames[frame][i] = {0.5f + radius * static_cast<float>(std::cos(angle)),
                          0.5f + radius * static_cast<float>(std::sin(angle))};
    }
  }
  return frames;
}

void BM_ProcessTouchPointsFiveContacts(benchmark::State& state) {
  Bench bench;
  const auto frames = restingHand();
  double time = 10.0;
  Inspector::processTouchPoints(*bench.monitor, frames[0], time);
  std::size_t i = 0;
  for (auto _ : state) {
    time += 0.008;
    Inspector::processTouchPoints(*bench.monitor, frames[++i & 1], time);
  }
  if (Inspector::gestureConsumed(*bench.monitor) || !Inspector::initialSpread(*bench.monitor)) {
    state.SkipWithError("the benchmark left the open episode it means to measure");
  }
}
BENCHMARK(BM_ProcessTouchPointsFiveContacts);

// The same through the frame callback, reading the 96-byte records.
void BM_ContactFrameFiveRecords(benchmark::State& state) {
  Bench bench;
  std::array<std::array<ContactRecord, 5>, 2> records;
  const auto frames = restingHand();
  for (int f = 0; f < 2; ++f) {
    for (int i = 0; i < 5; ++i)
      records[f][i] = ContactRecord::make(4, frames[f][i].x, frames[f][i].y);
  }
  double time = 10.0;
  std::size_t i = 0;
  for (auto _ : state) {
    time += 0.008;
    bench.monitor->handleContactFrame(records[++i & 1].data(), 5, time);
  }
}
BENCHMARK(BM_ContactFrameFiveRecords);

void BM_EventTapDecision(benchmark::State& state) {
  Bench bench;
  static char storage;
  auto* event = reinterpret_cast<TappedEvent*>(&storage);
  std::uint32_t type = MultitouchPinchMonitor::kEventTypeScrollWheel;
  for (auto _ : state) {
    benchmark::DoNotOptimize(bench.monitor->handleTappedEvent(type, event));
    benchmark::DoNotOptimize(type);
  }
}
BENCHMARK(BM_EventTapDecision);

}  // namespace
}  // namespace calyxa
