#include "platform/posix/posix_event_monitors.h"

#include <libevdev/libevdev.h>

#include <atomic>

#include "platform/posix/evdev_reader.h"
#include "platform/posix/linux_key_translation.h"

namespace calyxa {
namespace {

// A press (1) or an auto-repeat (2); 0 is a release.
bool isKeyDown(const input_event& event) {
  return event.type == EV_KEY && (event.value == 1 || event.value == 2);
}

// Modifiers held on any of the keyboards: a laptop may report them on another device node than
// the key they modify.
LinuxModifiers heldModifiers(const std::vector<const libevdev*>& keyboards) {
  LinuxModifiers held;
  for (const libevdev* device : keyboards) {
    const auto down = [device](unsigned key) {
      return libevdev_get_event_value(device, EV_KEY, key) != 0;
    };
    held.shift = held.shift || down(KEY_LEFTSHIFT) || down(KEY_RIGHTSHIFT);
    held.control = held.control || down(KEY_LEFTCTRL) || down(KEY_RIGHTCTRL);
    held.alt = held.alt || down(KEY_LEFTALT) || down(KEY_RIGHTALT);
    held.super = held.super || down(KEY_LEFTMETA) || down(KEY_RIGHTMETA);
    held.capsLockOn = held.capsLockOn || libevdev_get_event_value(device, EV_LED, LED_CAPSL) != 0;
  }
  return held;
}

class KeyboardSession {
 public:
  KeyboardSession(std::vector<std::unique_ptr<EvdevDevice>> keyboards,
                  std::shared_ptr<MainQueue> mainQueue, EventMonitors::KeyDownHandler handler,
                  std::shared_ptr<const KeyboardFocusState> focus)
      : mainQueue_(std::move(mainQueue)),
        delivery_(
            std::make_shared<Delivery>(Delivery{std::move(handler), std::move(focus), true})) {
    for (const auto& keyboard : keyboards)
      handles_.push_back(keyboard->get());
    reader_ = std::make_unique<EvdevReader>(
        std::move(keyboards),
        EvdevReader::Handlers{[this](std::size_t, const input_event& event) { onEvent(event); },
                              [](std::size_t) {}});
  }

  // Main thread: nothing is delivered after this, not even key presses already posted.
  ~KeyboardSession() {
    delivery_->active = false;
    reader_.reset();
  }

 private:
  struct Delivery {
    EventMonitors::KeyDownHandler handler;
    std::shared_ptr<const KeyboardFocusState> focus;
    bool active;  // main thread only
  };

  // Reader thread: the devices' key states are read on the thread that updates them.
  void onEvent(const input_event& event) {
    if (!isKeyDown(event)) return;
    const auto key = translateLinuxKeyDown(event.code, heldModifiers(handles_));
    if (!key) return;
    mainQueue_->async([delivery = delivery_, key = *key] {
      // Keys typed into the program's own windows belong to its local monitors.
      if (!delivery->active || delivery->focus->ownWindowFocused) return;
      delivery->handler(key);
    });
  }

  std::shared_ptr<MainQueue> mainQueue_;
  std::shared_ptr<Delivery> delivery_;
  // Owned by the reader; fixed before its thread starts.
  std::vector<const libevdev*> handles_;
  std::unique_ptr<EvdevReader> reader_;
};

}  // namespace

std::shared_ptr<EventTap> PosixEventMonitors::createEventTap(std::uint32_t, std::uint32_t,
                                                             std::uint32_t, std::uint64_t,
                                                             EventTapCallback, void*) {
  return nullptr;
}

std::shared_ptr<EventTapRunLoopSource> PosixEventMonitors::addEventTapToMainRunLoop(EventTap&) {
  return nullptr;
}

void PosixEventMonitors::enableEventTap(EventTap&, bool) {}

std::optional<EventMonitorToken> PosixEventMonitors::addGlobalMagnifyMonitor(MagnifyHandler) {
  return std::nullopt;
}

std::optional<EventMonitorToken> PosixEventMonitors::addGlobalKeyDownMonitor(
    KeyDownHandler handler) {
  auto keyboards = openInputDevices(directory_, isKeyboard);
  if (keyboards.empty()) return std::nullopt;
  auto session = std::make_shared<KeyboardSession>(std::move(keyboards), mainQueue_,
                                                   std::move(handler), focusState());
  return EventMonitorToken([session = std::move(session)]() mutable { session.reset(); });
}

}  // namespace calyxa
