#pragma once

#include <cmath>
#include <functional>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "gestures/multitouch_pinch_monitor.h"
#include "platform/contact_record.h"
#include "support/test_platform.h"

namespace calyxa::testing {

using Points = std::vector<TouchPoint>;

// `n` fingers evenly spaced on a circle.
inline Points ring(int n, float radius, float cx = 0.5f, float cy = 0.5f) {
  Points points;
  for (int i = 0; i < n; ++i) {
    const double angle = 2 * std::numbers::pi * i / n;
    points.push_back({cx + radius * static_cast<float>(std::cos(angle)),
                      cy + radius * static_cast<float>(std::sin(angle))});
  }
  return points;
}

// Four fingers on the corners of a square; its spread is about 0.9546 × side.
inline Points square(float side, float x0 = 0.2f, float y0 = 0.2f) {
  return {{x0, y0}, {x0 + side, y0}, {x0 + side, y0 + side}, {x0, y0 + side}};
}

// A square of four fingers with about this spread.
inline Points fingersWithSpread(float spread) {
  return square(spread / 0.954594f);
}

inline std::vector<ContactRecord> touching(const Points& points, std::int32_t state = 4) {
  std::vector<ContactRecord> records;
  for (const auto& p : points)
    records.push_back(ContactRecord::make(state, p.x, p.y));
  return records;
}

// Four fingers whose spread, as the recogniser computes it in single precision, satisfies
// `want`: a square of about `approx` spread, two coordinates stepped one float at a time.
inline std::optional<Points> fingersWhere(float approx, const std::function<bool(float)>& want) {
  const Points base = fingersWithSpread(approx);
  constexpr int kSteps = 96;
  std::vector<float> xs{base[2].x};
  std::vector<float> ys{base[1].y};
  for (int i = 0; i < kSteps; ++i) {
    xs.push_back(std::nextafter(xs.back(), 2.0f));
    ys.push_back(std::nextafter(ys.back(), 2.0f));
  }
  for (int i = 0; i < kSteps; ++i) {
    xs.insert(xs.begin(), std::nextafter(xs.front(), -2.0f));
    ys.insert(ys.begin(), std::nextafter(ys.front(), -2.0f));
  }
  for (const float x : xs) {
    for (const float y : ys) {
      Points points = base;
      points[2].x = x;
      points[1].y = y;
      if (want(MultitouchPinchMonitor::spreadOf(points))) return points;
    }
  }
  return std::nullopt;
}

// A monitor on a test platform whose four callbacks write down their names.
struct RecordingMonitor {
  TestPlatform platform;
  std::shared_ptr<MultitouchPinchMonitor> monitor =
      MultitouchPinchMonitor::make(platform.services());
  std::shared_ptr<std::vector<std::string>> events = std::make_shared<std::vector<std::string>>();

  RecordingMonitor() {
    const auto record = [events = events](const char* name) {
      return [events, name] { events->push_back(name); };
    };
    monitor->onPinchIn = record("in");
    monitor->onPinchOut = record("out");
    monitor->onGestureRelease = record("release");
    monitor->onToggleTilewell = record("toggle");
    // Media time well past the trigger time of zero that a new monitor starts with.
    platform.scheduler->advanceTo(100.0);
  }

  void frame(const Points& points, double time) {
    const auto records = touching(points);
    monitor->handleContactFrame(records.empty() ? nullptr : records.data(),
                                static_cast<std::int32_t>(records.size()), time);
  }
  // Frames without fingers, `step` apart, starting at `time`.
  void lift(double time, int frames = MultitouchPinchMonitor::kLiftFramesToEndEpisode,
            double step = 0.01) {
    for (int i = 0; i < frames; ++i)
      frame({}, time + i * step);
  }
  // What the main queue has run since the last call.
  std::vector<std::string> drained() {
    platform.scheduler->runReady();
    return std::exchange(*events, {});
  }
};

}  // namespace calyxa::testing
