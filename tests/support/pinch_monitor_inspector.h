#pragma once

#include <optional>
#include <span>

#include "gestures/multitouch_pinch_monitor.h"

namespace calyxa {

// Reads and drives the monitor's private state in tests and benchmarks.
class MultitouchPinchMonitorInspector {
 public:
  using Monitor = MultitouchPinchMonitor;

  static void processTouchPoints(Monitor& m, std::span<const TouchPoint> points, double time) {
    m.processTouchPoints(points, time);
  }
  static int currentFingerCount(const Monitor& m) {
    return m.currentFingerCount.load(std::memory_order_relaxed);
  }
  static double lastTriggerWallTime(const Monitor& m) {
    return m.lastTriggerWallTime.load(std::memory_order_relaxed);
  }
  static std::optional<float> initialSpread(const Monitor& m) { return m.initialSpread; }
  static std::optional<float> peakSpread(const Monitor& m) { return m.peakSpread; }
  static std::optional<float> minSpread(const Monitor& m) { return m.minSpread; }
  static bool gestureConsumed(const Monitor& m) { return m.gestureConsumed; }
  static double accumulatedMagnification(const Monitor& m) { return m.accumulatedMagnification; }
  static const EventTap* eventTap(const Monitor& m) { return m.eventTap.get(); }
  static bool hasRunLoopSource(const Monitor& m) { return m.runLoopSource != nullptr; }
  static const void* mtHandle(const Monitor& m) { return m.mtHandle; }
  static std::size_t activeDevices(const Monitor& m) { return m.activeDevices.size(); }
  static bool hasGlobalKeyMonitor(const Monitor& m) { return m.globalKeyMonitor.has_value(); }
  static bool hasGlobalMagnifyMonitor(const Monitor& m) {
    return m.globalMagnifyMonitor.has_value();
  }
  static bool hasLocalMonitors(const Monitor& m) {
    return m.localKeyMonitor.has_value() && m.localMagnifyMonitor.has_value();
  }
};

}  // namespace calyxa
