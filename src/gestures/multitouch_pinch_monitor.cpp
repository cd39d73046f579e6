#include "gestures/multitouch_pinch_monitor.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "gestures/multitouch_framework.h"
#include "platform/contact_record.h"

namespace calyxa {

std::int32_t globalMultitouchCallback(std::int32_t, const void* records, std::int32_t count,
                                      double timestamp, std::int32_t) {
  MultitouchPinchMonitor::shared().handleContactFrame(records, count, timestamp);
  return 0;
}

MultitouchPinchMonitor& MultitouchPinchMonitor::shared() {
  static const std::shared_ptr<MultitouchPinchMonitor> instance = make(PlatformServices::shared());
  return *instance;
}

std::shared_ptr<MultitouchPinchMonitor> MultitouchPinchMonitor::make(PlatformServices services) {
  return std::make_shared<MultitouchPinchMonitor>(Passkey{}, std::move(services));
}

MultitouchPinchMonitor::MultitouchPinchMonitor(Passkey, PlatformServices services)
    : services_(std::move(services)) {}

MultitouchPinchMonitor::~MultitouchPinchMonitor() = default;

void MultitouchPinchMonitor::startMonitoring() {
  if (std::exchange(started_, true)) return;
  startMultitouchInput();
  installEventTapAndMonitors();
}

void MultitouchPinchMonitor::startMultitouchInput() {
  MultitouchFrameworkStart framework = startMultitouchFramework(&globalMultitouchCallback);
  mtHandle = framework.handle;
  activeDevices = std::move(framework.devices);
  if (!activeDevices.empty() || !services_.contactFrames) return;
  // Without the framework, the platform's own touchpad frames stand in for it. The session is
  // destroyed before anything the handler touches.
  ContactFrameSource::Started started = services_.contactFrames->start(
      [this](std::int32_t, const void* records, std::int32_t count, double timestamp,
             std::int32_t) { handleContactFrame(records, count, timestamp); });
  activeDevices = std::move(started.devices);
  frameSession_ = std::move(started.session);
}

void MultitouchPinchMonitor::handleContactFrame(const void* records, std::int32_t count,
                                                double timestamp) {
  if (!records || count < 1) {
    processTouchPoints({}, timestamp);
    return;
  }
  // Hands have few fingers: the usual frame fits on the stack; only a larger one needs memory.
  constexpr std::size_t kInlinePoints = 16;
  std::array<TouchPoint, kInlinePoints> inlinePoints;
  std::vector<TouchPoint> largeFrame;
  TouchPoint* points = inlinePoints.data();
  const auto total = static_cast<std::size_t>(count);
  if (total > kInlinePoints) {
    largeFrame.resize(total);
    points = largeFrame.data();
  }
  const auto* record = static_cast<const std::byte*>(records);
  std::size_t kept = 0;
  for (std::size_t i = 0; i < total; ++i, record += kContactRecordSize) {
    const std::int32_t state = contactState(record);
    if (state != 4 && state != 5) continue;
    const float x = contactX(record);
    const float y = contactY(record);
    // Written so that NaN fails too.
    if (!(x >= 0.0f && x <= 1.0f && y >= 0.0f && y <= 1.0f)) continue;
    points[kept++] = {x, y};
  }
  processTouchPoints({points, kept}, timestamp);
}

float MultitouchPinchMonitor::spreadOf(std::span<const TouchPoint> points) {
  const auto n = static_cast<float>(points.size());
  float sumX = 0.0f;
  float sumY = 0.0f;
  for (const TouchPoint& p : points) {
    sumX += p.x;
    sumY += p.y;
  }
  const float centroidX = sumX / n;
  const float centroidY = sumY / n;

  // The square root is monotonic: the largest squared distance gives the largest distance.
  float maxPairSquared = 0.0f;
  for (std::size_t i = 0; i < points.size(); ++i) {
    for (std::size_t j = i + 1; j < points.size(); ++j) {
      const float dx = points[i].x - points[j].x;
      const float dy = points[i].y - points[j].y;
      maxPairSquared = std::max(maxPairSquared, dx * dx + dy * dy);
    }
  }
  float radiusSum = 0.0f;
  for (const TouchPoint& p : points) {
    const float dx = p.x - centroidX;
    const float dy = p.y - centroidY;
    radiusSum += std::sqrt(dx * dx + dy * dy);
  }
  return kMaxPairWeight * std::sqrt(maxPairSquared) + kMeanRadiusWeight * (radiusSum / n);
}

void MultitouchPinchMonitor::processTouchPoints(std::span<const TouchPoint> points,
                                                double timestamp) {
  const auto n = static_cast<int>(std::min<std::size_t>(points.size(), 1 << 30));
  currentFingerCount.store(n, std::memory_order_relaxed);

  if (n < kMinimumFingers) {
    // Saturates: an endless stream of empty frames must not overflow the count.
    zeroTouchFrames = std::min(zeroTouchFrames + 1, kLiftFramesToEndEpisode);
    if (zeroTouchFrames < kLiftFramesToEndEpisode) return;
    const bool wasConsumed = gestureConsumed;
    initialSpread.reset();
    peakSpread.reset();
    minSpread.reset();
    gestureConsumed = false;
    if (wasConsumed) schedule(&MultitouchPinchMonitor::onGestureRelease);
    return;
  }
  zeroTouchFrames = 0;

  if (timestamp - lastTriggerTime < kFrameCooldown) return;

  const float spread = spreadOf(points);
  if (!initialSpread) {
    initialSpread = spread;
    peakSpread = spread;
    minSpread = spread;
    gestureConsumed = false;
    return;
  }
  if (gestureConsumed) return;

  if (spread > *peakSpread) peakSpread = spread;
  if (spread < *minSpread) minSpread = spread;

  const float peak = *peakSpread;
  const float drop = peak - spread;
  const bool pinchIn = peak > kPinchInMinimumPeak && drop >= kPinchInMinimumDrop &&
                       drop / peak >= kPinchInMinimumDropRatio;
  bool pinchOut = false;
  if (!pinchIn) {
    const float minimum = *minSpread;
    const float rise = spread - minimum;
    const float base = std::max(minimum, kPinchOutRatioBaseFloor);
    pinchOut = minimum > kPinchOutMinimumSpread && rise >= kPinchOutMinimumRise &&
               rise / base >= kPinchOutMinimumRiseRatio;
  }
  if (!pinchIn && !pinchOut) return;

  gestureConsumed = true;
  lastTriggerTime = timestamp;
  lastTriggerWallTime.store(services_.clock->now(), std::memory_order_relaxed);
  schedule(pinchIn ? &MultitouchPinchMonitor::onPinchIn : &MultitouchPinchMonitor::onPinchOut);
}

void MultitouchPinchMonitor::schedule(Slot slot) {
  services_.mainQueue->async([self = shared_from_this(), slot] {
    // A copy: the callback may reassign its own slot while it runs.
    const std::function<void()> callback = (*self).*slot;
    if (callback) callback();
  });
}

}  // namespace calyxa
