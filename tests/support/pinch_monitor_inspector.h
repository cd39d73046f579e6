#pragma once

#include "gestures/multitouch_pinch_monitor.h"

namespace calyxa {

// Reads and drives the monitor's private state in tests and benchmarks.
class MultitouchPinchMonitorInspector {
 public:
  static void processTouchPoints(MultitouchPinchMonitor& m, std::span<const TouchPoint> points,
                                 double time) {
    m.processTouchPoints(points, time);
  }
  static std::optional<float> initialSpread(const MultitouchPinchMonitor& m) {
    return m.initialSpread;
  }
  static bool gestureConsumed(const MultitouchPinchMonitor& m) { return m.gestureConsumed; }
};

}  // namespace calyxa
