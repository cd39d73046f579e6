#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "platform/contact_frame_source.h"
#include "platform/event_monitors.h"
#include "platform/platform_services.h"

namespace calyxa {

// A contact's normalised position on the touch surface.
struct TouchPoint {
  float x = 0.0f;
  float y = 0.0f;
};

// The multitouch framework's frame callback: hands the frame to the shared monitor. Returns 0.
std::int32_t globalMultitouchCallback(std::int32_t device, const void* records, std::int32_t count,
                                      double timestamp, std::int32_t frameNumber);

// The system-wide event tap's callback: the shared monitor's decision.
TappedEvent* globalEventTapCallback(EventTapProxy* proxy, std::uint32_t type, TappedEvent* event,
                                    void* userInfo);

// Recognises the four-finger pinch from raw contact frames and watches the event stream for
// magnify gestures and hot keys; recognised gestures reach the main queue through the four
// callback slots. Frames arrive on a thread of the frame source; everything else runs on the
// main thread.
class MultitouchPinchMonitor : public std::enable_shared_from_this<MultitouchPinchMonitor> {
  struct Passkey {
    explicit Passkey() = default;
  };

 public:
  // Contact frames.
  static constexpr int kLiftFramesToEndEpisode = 4;
  static constexpr int kMinimumFingers = 4;
  static constexpr double kFrameCooldown = 0.42;
  static constexpr float kMaxPairWeight = 0.35f;
  static constexpr float kMeanRadiusWeight = 0.65f;
  static constexpr float kPinchInMinimumPeak = 0.13f;
  static constexpr float kPinchInMinimumDrop = 0.035f;
  static constexpr float kPinchInMinimumDropRatio = 0.16f;
  static constexpr float kPinchOutMinimumSpread = 0.05f;
  static constexpr float kPinchOutMinimumRise = 0.044f;
  static constexpr float kPinchOutMinimumRiseRatio = 0.22f;
  static constexpr float kPinchOutRatioBaseFloor = 0.10f;
  // Event tap, magnify, hot keys.
  static constexpr std::uint32_t kEventTypeKeyDown = 10;
  static constexpr std::uint32_t kEventTypeRotate = 18;
  static constexpr std::uint32_t kEventTypeBeginGesture = 19;
  static constexpr std::uint32_t kEventTypeEndGesture = 20;
  static constexpr std::uint32_t kEventTypeScrollWheel = 22;
  static constexpr std::uint32_t kEventTypeGesture = 29;
  static constexpr std::uint32_t kEventTypeMagnify = 30;
  static constexpr std::uint32_t kEventTypeSwipe = 31;
  static constexpr std::uint32_t kEventTapDisabledByTimeout = 0xFFFFFFFE;
  static constexpr std::uint32_t kEventTapDisabledByUserInput = 0xFFFFFFFF;
  static constexpr std::uint64_t kEventTapMask =
      (std::uint64_t{1} << kEventTypeScrollWheel) | (std::uint64_t{1} << kEventTypeRotate) |
      (std::uint64_t{1} << kEventTypeBeginGesture) | (std::uint64_t{1} << kEventTypeEndGesture) |
      (std::uint64_t{1} << kEventTypeGesture) | (std::uint64_t{1} << kEventTypeMagnify) |
      (std::uint64_t{1} << kEventTypeSwipe);
  static constexpr std::uint32_t kTapLocationHID = 0;
  static constexpr std::uint32_t kTapLocationSession = 1;
  static constexpr double kTapSwallowWindow = 0.35;
  static constexpr double kMagnifyCooldown = 0.42;
  static constexpr double kMagnifyPinchInSum = -0.22;
  static constexpr double kMagnifyPinchOutSum = 0.25;

  static MultitouchPinchMonitor& shared();
  // A monitor on `services`, for programs and tests that bring their own.
  static std::shared_ptr<MultitouchPinchMonitor> make(PlatformServices services);

  MultitouchPinchMonitor(Passkey, PlatformServices services);
  ~MultitouchPinchMonitor();
  MultitouchPinchMonitor(const MultitouchPinchMonitor&) = delete;
  MultitouchPinchMonitor& operator=(const MultitouchPinchMonitor&) = delete;

  // Main thread only; read when the dispatched call runs.
  std::function<void()> onPinchIn;
  std::function<void()> onPinchOut;
  std::function<void()> onGestureRelease;
  std::function<void()> onToggleTilewell;

  // Starts contact frames, the event tap and the monitors, once; later calls do nothing.
  void startMonitoring();

  // The frame callback's work: keeps the records in state 4 or 5 with both coordinates in 0..1
  // and runs one recogniser step. One frame at a time, from any one thread.
  void handleContactFrame(const void* records, std::int32_t count, double timestamp);

  // The event tap's decision (main thread): the event to pass it on, null to swallow it. Re-enables
  // a tap that the system disabled.
  TappedEvent* handleTappedEvent(std::uint32_t type, TappedEvent* event);

  // Whether the tap lets an event of `type` through with `fingerCount` contacts down,
  // `sinceLastTrigger` seconds after the last recognised pinch.
  static bool tapPassesEvent(std::uint32_t type, int fingerCount, double sinceLastTrigger);

  // F4, the launcher key, Option+Space, Command+Shift+L.
  static bool isHotKey(std::uint16_t keyCode, std::uint64_t modifierFlags);

  // How far apart the contacts are: 0.35 × the largest pairwise distance + 0.65 × the mean
  // distance from their centroid, in 32-bit floats. At least one point.
  static float spreadOf(std::span<const TouchPoint> points);

 private:
  friend class MultitouchPinchMonitorInspector;
  using Slot = std::function<void()> MultitouchPinchMonitor::*;

  void startMultitouchInput();
  void installEventTapAndMonitors();
  void processTouchPoints(std::span<const TouchPoint> points, double timestamp);
  void handleMagnifyEvent(const MagnifyEvent& event);
  // True when the key is a hot key; schedules the toggle then.
  bool runHotKeyTest(const KeyDownEvent& event);
  // Calls the slot on the main queue, keeping the monitor alive until then.
  void schedule(Slot slot);

  void* mtHandle = nullptr;
  std::vector<const void*> activeDevices;
  std::shared_ptr<EventTap> eventTap;
  std::shared_ptr<EventTapRunLoopSource> runLoopSource;
  std::atomic<int> currentFingerCount{0};
  std::atomic<double> lastTriggerWallTime{0.0};
  std::optional<float> initialSpread;
  std::optional<float> peakSpread;
  std::optional<float> minSpread;
  double lastTriggerTime = 0.0;
  bool gestureConsumed = false;
  int zeroTouchFrames = 0;
  std::optional<EventMonitorToken> globalMagnifyMonitor;
  std::optional<EventMonitorToken> localMagnifyMonitor;
  std::optional<EventMonitorToken> globalKeyMonitor;
  std::optional<EventMonitorToken> localKeyMonitor;
  double accumulatedMagnification = 0.0;

  PlatformServices services_;
  bool started_ = false;
  // Destroyed first: no frame arrives once the rest starts to go.
  std::unique_ptr<ContactFrameSource::Session> frameSession_;
};

static_assert(std::atomic<double>::is_always_lock_free && std::atomic<int>::is_always_lock_free);

}  // namespace calyxa
