#pragma once

#include <linux/input.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "platform/posix/evdev_device.h"

namespace calyxa {

// Reads the events of several devices on one thread of its own, from construction until
// destruction. A device that goes away is dropped; the others go on.
class EvdevReader {
 public:
  struct Handlers {
    // Every event as libevdev reports it, a SYN_DROPPED included.
    std::function<void(std::size_t device, const input_event& event)> event;
    // After a SYN_DROPPED, once libevdev's picture of the device is current again; the events
    // that brought it there are not passed to `event`.
    std::function<void(std::size_t device)> resynchronised;
  };

  EvdevReader(std::vector<std::unique_ptr<EvdevDevice>> devices, Handlers handlers);
  // Stops the thread and waits for it: no handler runs after this returns.
  ~EvdevReader();
  EvdevReader(const EvdevReader&) = delete;
  EvdevReader& operator=(const EvdevReader&) = delete;

  const std::vector<std::unique_ptr<EvdevDevice>>& devices() const { return devices_; }

 private:
  void run();
  // Reads what the device has; false when it is gone.
  bool drain(std::size_t index);

  std::vector<std::unique_ptr<EvdevDevice>> devices_;
  Handlers handlers_;
  int stopFd_ = -1;
  std::thread thread_;
};

}  // namespace calyxa
