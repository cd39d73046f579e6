#pragma once

#include <filesystem>
#include <memory>
#include <vector>

struct libevdev;

namespace calyxa {

// An input device read through libevdev, non-blocking, its events timed on the monotonic clock
// (the clock of the media time). Closed when destroyed.
class EvdevDevice {
 public:
  // Nothing when the device cannot be opened (absent, no permission, not an input device).
  static std::unique_ptr<EvdevDevice> open(const std::filesystem::path& path);
  ~EvdevDevice();
  EvdevDevice(const EvdevDevice&) = delete;
  EvdevDevice& operator=(const EvdevDevice&) = delete;

  libevdev* get() const { return device_; }
  int fd() const { return fd_; }
  const std::filesystem::path& path() const { return path_; }

 private:
  EvdevDevice(libevdev* device, int fd, std::filesystem::path path)
      : device_(device), fd_(fd), path_(std::move(path)) {}

  libevdev* device_;
  int fd_;
  std::filesystem::path path_;
};

// The event device nodes (event0, event1, ...) in `directory`, in number order.
std::vector<std::filesystem::path> inputEventNodes(const std::filesystem::path& directory);

// Opens every device of `directory` that `accept` takes.
std::vector<std::unique_ptr<EvdevDevice>> openInputDevices(const std::filesystem::path& directory,
                                                           bool (*accept)(const libevdev*));

// A touchpad speaking the multitouch protocol with slots: tracked contact positions, a pointer
// device (not a touch screen) with usable axis ranges.
bool isTouchpad(const libevdev* device);

// A device with at least one of the keys the hot keys use.
bool isKeyboard(const libevdev* device);

}  // namespace calyxa
