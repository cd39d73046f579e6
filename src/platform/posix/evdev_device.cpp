#include "platform/posix/evdev_device.h"

#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <ctime>
#include <string>
#include <system_error>

namespace calyxa {
namespace {

// The program writes no log, libevdev neither.
void discardLog(const libevdev*, libevdev_log_priority, void*, const char*, int, const char*,
                const char*, va_list) {}

bool hasUsableRange(const libevdev* device, unsigned code) {
  const input_absinfo* info = libevdev_get_abs_info(device, code);
  return info && info->maximum > info->minimum;
}

}  // namespace

std::unique_ptr<EvdevDevice> EvdevDevice::open(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return nullptr;
  libevdev* device = libevdev_new();
  if (!device) {
    ::close(fd);
    return nullptr;
  }
  libevdev_set_device_log_function(device, discardLog, LIBEVDEV_LOG_ERROR, nullptr);
  if (libevdev_set_fd(device, fd) != 0) {
    libevdev_free(device);
    ::close(fd);
    return nullptr;
  }
  // Without it the kernel stamps events with the wall clock, which may jump; the recogniser only
  // compares timestamps, so a refusal is harmless.
  libevdev_set_clock_id(device, CLOCK_MONOTONIC);
  return std::unique_ptr<EvdevDevice>(new EvdevDevice(device, fd, path));
}

EvdevDevice::~EvdevDevice() {
  libevdev_free(device_);
  ::close(fd_);
}

std::vector<std::filesystem::path> inputEventNodes(const std::filesystem::path& directory) {
  std::vector<std::pair<unsigned long, std::filesystem::path>> numbered;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(directory, error)) {
    const std::string name = entry.path().filename().string();
    if (!name.starts_with("event") || name.size() == 5 || name.size() > 12) continue;
    if (!std::all_of(name.begin() + 5, name.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      continue;
    }
    numbered.emplace_back(std::stoul(name.substr(5)), entry.path());
  }
  std::sort(numbered.begin(), numbered.end());
  std::vector<std::filesystem::path> paths;
  paths.reserve(numbered.size());
  for (auto& [number, path] : numbered)
    paths.push_back(std::move(path));
  return paths;
}

std::vector<std::unique_ptr<EvdevDevice>> openInputDevices(const std::filesystem::path& directory,
                                                           bool (*accept)(const libevdev*)) {
  std::vector<std::unique_ptr<EvdevDevice>> devices;
  for (const auto& path : inputEventNodes(directory)) {
    auto device = EvdevDevice::open(path);
    if (device && accept(device->get())) devices.push_back(std::move(device));
  }
  return devices;
}

bool isTouchpad(const libevdev* device) {
  if (libevdev_has_property(device, INPUT_PROP_DIRECT)) return false;
  if (!libevdev_has_event_code(device, EV_ABS, ABS_MT_SLOT) ||
      !libevdev_has_event_code(device, EV_ABS, ABS_MT_TRACKING_ID) ||
      !hasUsableRange(device, ABS_MT_POSITION_X) || !hasUsableRange(device, ABS_MT_POSITION_Y)) {
    return false;
  }
  return libevdev_has_property(device, INPUT_PROP_POINTER) ||
         libevdev_has_event_code(device, EV_KEY, BTN_TOOL_FINGER);
}

bool isKeyboard(const libevdev* device) {
  for (const unsigned key : {KEY_F4, KEY_SPACE, KEY_L, KEY_ALL_APPLICATIONS}) {
    if (libevdev_has_event_code(device, EV_KEY, key)) return true;
  }
  return false;
}

}  // namespace calyxa
