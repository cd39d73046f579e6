#include "platform/posix/evdev_reader.h"

#include <libevdev/libevdev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace calyxa {

EvdevReader::EvdevReader(std::vector<std::unique_ptr<EvdevDevice>> devices, Handlers handlers)
    : devices_(std::move(devices)),
      handlers_(std::move(handlers)),
      stopFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
  thread_ = std::thread([this] { run(); });
}

EvdevReader::~EvdevReader() {
  const std::uint64_t one = 1;
  if (stopFd_ >= 0) {
    [[maybe_unused]] const auto written = ::write(stopFd_, &one, sizeof one);
  }
  thread_.join();
  if (stopFd_ >= 0) ::close(stopFd_);
}

void EvdevReader::run() {
  if (stopFd_ < 0) return;
  std::vector<pollfd> polled;
  polled.reserve(devices_.size() + 1);
  for (const auto& device : devices_)
    polled.push_back({device->fd(), POLLIN, 0});
  polled.push_back({stopFd_, POLLIN, 0});
  const std::size_t stopIndex = devices_.size();

  for (;;) {
    const int ready = ::poll(polled.data(), polled.size(), -1);
    if (ready < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (polled[stopIndex].revents != 0) return;
    for (std::size_t i = 0; i < stopIndex; ++i) {
      const short events = polled[i].revents;
      if (events == 0) continue;
      // A negative descriptor is skipped by poll: the device is gone for good.
      if ((events & (POLLERR | POLLHUP | POLLNVAL)) != 0 || !drain(i)) polled[i].fd = -1;
    }
  }
}

bool EvdevReader::drain(std::size_t index) {
  libevdev* device = devices_[index]->get();
  input_event event{};
  for (;;) {
    int status = libevdev_next_event(device, LIBEVDEV_READ_FLAG_NORMAL, &event);
    if (status == LIBEVDEV_READ_STATUS_SUCCESS) {
      handlers_.event(index, event);
      continue;
    }
    if (status == LIBEVDEV_READ_STATUS_SYNC) {
      handlers_.event(index, event);
      do {
        status = libevdev_next_event(device, LIBEVDEV_READ_FLAG_SYNC, &event);
      } while (status == LIBEVDEV_READ_STATUS_SYNC);
      handlers_.resynchronised(index);
      if (status == -EAGAIN) continue;
    }
    if (status == -EAGAIN) return true;
    if (status == -EINTR) continue;
    return false;
  }
}

}  // namespace calyxa
