#pragma once

#include <filesystem>
#include <memory>

#include "platform/dispatch.h"
#include "platform/event_monitors.h"

namespace calyxa {

// Linux has no system-wide event tap and no global magnify events for a program to watch; the
// global key monitor reads the keyboards in `directory` (normally /dev/input) with libevdev and
// hands each key press and repeat, translated into the program's codes, to the main queue.
class PosixEventMonitors final : public EventMonitors {
 public:
  explicit PosixEventMonitors(std::shared_ptr<MainQueue> mainQueue,
                              std::filesystem::path directory = "/dev/input")
      : mainQueue_(std::move(mainQueue)), directory_(std::move(directory)) {}

  std::shared_ptr<EventTap> createEventTap(std::uint32_t location, std::uint32_t placement,
                                           std::uint32_t options, std::uint64_t mask,
                                           EventTapCallback callback, void* userInfo) override;
  std::shared_ptr<EventTapRunLoopSource> addEventTapToMainRunLoop(EventTap& tap) override;
  void enableEventTap(EventTap& tap, bool enabled) override;

  std::optional<EventMonitorToken> addGlobalMagnifyMonitor(MagnifyHandler handler) override;
  // Nothing when no keyboard can be opened (none there, or no permission to read it).
  std::optional<EventMonitorToken> addGlobalKeyDownMonitor(KeyDownHandler handler) override;

 private:
  std::shared_ptr<MainQueue> mainQueue_;
  std::filesystem::path directory_;
};

}  // namespace calyxa
