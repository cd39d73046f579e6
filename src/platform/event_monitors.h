#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace calyxa {

// A magnify (pinch-zoom) event: its phase (1 = began) and the change of scale it carries.
struct MagnifyEvent {
  std::int64_t phase = 0;
  double magnification = 0.0;
};
inline constexpr std::int64_t kEventPhaseBegan = 1;

// A key press or auto-repeat, in the program's key codes and modifier flags (keyboard_codes.h).
struct KeyDownEvent {
  std::uint16_t keyCode = 0;
  std::uint64_t modifierFlags = 0;
};

// What a local monitor does with an event of the program's own windows.
enum class EventDisposition { deliver, consume };

// Keeps an event monitor installed; removes it when destroyed.
class EventMonitorToken {
 public:
  EventMonitorToken() = default;
  explicit EventMonitorToken(std::function<void()> remove) : remove_(std::move(remove)) {}
  EventMonitorToken(EventMonitorToken&& other) noexcept : remove_(std::move(other.remove_)) {
    other.remove_ = nullptr;
  }
  EventMonitorToken& operator=(EventMonitorToken&& other) noexcept;
  EventMonitorToken(const EventMonitorToken&) = delete;
  EventMonitorToken& operator=(const EventMonitorToken&) = delete;
  ~EventMonitorToken() { remove(); }

  void remove();

 private:
  std::function<void()> remove_;
};

// Whether one of the program's own windows has the keyboard; shared with work posted to the main
// queue, which may outlive the monitors. Main thread only.
struct KeyboardFocusState {
  bool ownWindowFocused = false;
};

// Opaque parts of the system's event stream, as a tap callback sees them.
struct EventTapProxy;
struct TappedEvent;
// Returns the event to pass it on, null to swallow it.
using EventTapCallback = TappedEvent* (*)(EventTapProxy* proxy, std::uint32_t type,
                                          TappedEvent* event, void* userInfo);

// A system-wide event tap and the run-loop source that drives it; released with the last owner.
class EventTap {
 public:
  virtual ~EventTap() = default;
};
class EventTapRunLoopSource {
 public:
  virtual ~EventTapRunLoopSource() = default;
};

// The system's event stream: a system-wide tap, global monitors (events of other programs,
// handlers run on the main thread) and local monitors (events of the program's own windows,
// which the toolkit hands over through the deliver functions). Main thread only.
class EventMonitors {
 public:
  using MagnifyHandler = std::function<void(const MagnifyEvent&)>;
  using KeyDownHandler = std::function<void(const KeyDownEvent&)>;
  using LocalMagnifyHandler = std::function<EventDisposition(const MagnifyEvent&)>;
  using LocalKeyDownHandler = std::function<EventDisposition(const KeyDownEvent&)>;

  EventMonitors();
  virtual ~EventMonitors() = default;

  // Nothing where the system offers no tap or refuses one (no permission).
  virtual std::shared_ptr<EventTap> createEventTap(std::uint32_t location, std::uint32_t placement,
                                                   std::uint32_t options, std::uint64_t mask,
                                                   EventTapCallback callback, void* userInfo) = 0;
  virtual std::shared_ptr<EventTapRunLoopSource> addEventTapToMainRunLoop(EventTap& tap) = 0;
  virtual void enableEventTap(EventTap& tap, bool enabled) = 0;

  // Nothing when the monitor cannot be installed.
  virtual std::optional<EventMonitorToken> addGlobalMagnifyMonitor(MagnifyHandler handler) = 0;
  virtual std::optional<EventMonitorToken> addGlobalKeyDownMonitor(KeyDownHandler handler) = 0;

  std::optional<EventMonitorToken> addLocalMagnifyMonitor(LocalMagnifyHandler handler);
  std::optional<EventMonitorToken> addLocalKeyDownMonitor(LocalKeyDownHandler handler);

  // Entry points of the toolkit, for each such event of the program's own windows, in the order
  // they arrive. The event reaches the window only when the result is `deliver`.
  EventDisposition deliverLocalMagnifyEvent(const MagnifyEvent& event);
  EventDisposition deliverLocalKeyDownEvent(const KeyDownEvent& event);

  // The toolkit reports whether one of the program's windows has the keyboard, so that a backend
  // whose global monitor reads the devices themselves leaves those keys to the local monitors.
  void setOwnWindowHasKeyboardFocus(bool focused);
  bool ownWindowHasKeyboardFocus() const;

 protected:
  std::shared_ptr<const KeyboardFocusState> focusState() const { return focus_; }

 private:
  struct LocalMonitors;
  std::shared_ptr<LocalMonitors> local_;
  std::shared_ptr<KeyboardFocusState> focus_;
};

}  // namespace calyxa
