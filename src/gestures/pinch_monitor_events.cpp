// The monitor's event tap, magnify monitors and hot keys.
#include <cmath>

#include "gestures/multitouch_pinch_monitor.h"
#include "platform/keyboard_codes.h"

namespace calyxa {

TappedEvent* globalEventTapCallback(EventTapProxy*, std::uint32_t type, TappedEvent* event, void*) {
  return MultitouchPinchMonitor::shared().handleTappedEvent(type, event);
}

void MultitouchPinchMonitor::installEventTapAndMonitors() {
  const auto& monitors = services_.eventMonitors;
  if (!monitors) return;

  eventTap = monitors->createEventTap(kTapLocationHID, 0, 0, kEventTapMask, &globalEventTapCallback,
                                      nullptr);
  if (!eventTap) {
    eventTap = monitors->createEventTap(kTapLocationSession, 0, 0, kEventTapMask,
                                        &globalEventTapCallback, nullptr);
  }
  if (eventTap) {
    runLoopSource = monitors->addEventTapToMainRunLoop(*eventTap);
    monitors->enableEventTap(*eventTap, true);
  }

  const std::weak_ptr<MultitouchPinchMonitor> weak = weak_from_this();
  globalMagnifyMonitor = monitors->addGlobalMagnifyMonitor([weak](const MagnifyEvent& event) {
    if (const auto self = weak.lock()) self->handleMagnifyEvent(event);
  });
  localMagnifyMonitor = monitors->addLocalMagnifyMonitor([weak](const MagnifyEvent& event) {
    if (const auto self = weak.lock()) self->handleMagnifyEvent(event);
    return EventDisposition::deliver;
  });
  globalKeyMonitor = monitors->addGlobalKeyDownMonitor([weak](const KeyDownEvent& event) {
    if (const auto self = weak.lock()) self->runHotKeyTest(event);
  });
  localKeyMonitor = monitors->addLocalKeyDownMonitor([weak](const KeyDownEvent& event) {
    const auto self = weak.lock();
    return self && self->runHotKeyTest(event) ? EventDisposition::consume
                                              : EventDisposition::deliver;
  });
}

bool MultitouchPinchMonitor::tapPassesEvent(std::uint32_t type, int fingerCount,
                                            double sinceLastTrigger) {
  const bool fingersDown = fingerCount >= kMinimumFingers;
  if (!fingersDown && sinceLastTrigger >= kTapSwallowWindow) return true;
  switch (type) {
    case kEventTypeRotate:
    case kEventTypeBeginGesture:
    case kEventTypeEndGesture:
    case kEventTypeGesture:
    case kEventTypeMagnify:
    case kEventTypeSwipe:
      return false;
    case kEventTypeScrollWheel:
      return !fingersDown;
    default:
      return true;
  }
}

TappedEvent* MultitouchPinchMonitor::handleTappedEvent(std::uint32_t type, TappedEvent* event) {
  if (type == kEventTapDisabledByTimeout || type == kEventTapDisabledByUserInput) {
    if (eventTap) services_.eventMonitors->enableEventTap(*eventTap, true);
    return event;
  }
  const int fingers = currentFingerCount.load(std::memory_order_relaxed);
  const double now = services_.clock->now();
  const double since = now - lastTriggerWallTime.load(std::memory_order_relaxed);
  return tapPassesEvent(type, fingers, since) ? event : nullptr;
}

void MultitouchPinchMonitor::handleMagnifyEvent(const MagnifyEvent& event) {
  if (event.phase == kEventPhaseBegan) accumulatedMagnification = 0.0;
  // A broken value would poison the sum until the next gesture begins.
  if (std::isfinite(event.magnification)) accumulatedMagnification += event.magnification;

  const double now = services_.clock->now();
  if (now - lastTriggerWallTime.load(std::memory_order_relaxed) <= kMagnifyCooldown) return;
  if (accumulatedMagnification < kMagnifyPinchInSum) {
    accumulatedMagnification = 0.0;
    lastTriggerWallTime.store(now, std::memory_order_relaxed);
    schedule(&MultitouchPinchMonitor::onPinchIn);
  } else if (accumulatedMagnification > kMagnifyPinchOutSum) {
    accumulatedMagnification = 0.0;
    lastTriggerWallTime.store(now, std::memory_order_relaxed);
    schedule(&MultitouchPinchMonitor::onPinchOut);
  }
}

bool MultitouchPinchMonitor::isHotKey(std::uint16_t keyCode, std::uint64_t modifierFlags) {
  const std::uint64_t flags = modifierFlags & modifier::kDeviceIndependentMask;
  switch (keyCode) {
    case keycode::kF4:
    case keycode::kLauncher:
      return true;
    case keycode::kSpace:
      return flags == modifier::kOption;
    case keycode::kL:
      return flags == (modifier::kCommand | modifier::kShift);
    default:
      return false;
  }
}

bool MultitouchPinchMonitor::runHotKeyTest(const KeyDownEvent& event) {
  if (!isHotKey(event.keyCode, event.modifierFlags)) return false;
  schedule(&MultitouchPinchMonitor::onToggleTilewell);
  return true;
}

}  // namespace calyxa
