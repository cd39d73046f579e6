#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/dispatch.h"
#include "platform/lifetime.h"
#include "platform/media_clock.h"

namespace calyxa {

// The one frame timer of the interface. It ticks on the main queue while at least one client
// is awake and is cancelled as soon as none is, so an overlay where nothing moves, or that is
// hidden, schedules no work at all. Main thread only.
class FrameDriver {
 public:
  static constexpr double kDefaultFrameInterval = 1.0 / 60.0;

  FrameDriver(std::shared_ptr<const MediaClock> clock, std::shared_ptr<MainQueue> mainQueue,
              double frameInterval = kDefaultFrameInterval);
  ~FrameDriver();
  FrameDriver(const FrameDriver&) = delete;
  FrameDriver& operator=(const FrameDriver&) = delete;

  // The interface's driver, on the process's platform services.
  static FrameDriver& shared();

  double now() const { return clock_->now(); }
  bool isRunning() const { return timer_.has_value(); }
  std::uint64_t framesTicked() const { return framesTicked_; }

  // One participant (usually a view). After wake() its callback runs once a frame, with the
  // frame's time, until it returns false (nothing of it moves any more) or sleep() is called.
  class Client {
   public:
    Client(FrameDriver& driver, std::function<bool(double frameTime)> onFrame);
    ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    void wake();
    void sleep();
    bool isAwake() const;
    FrameDriver& driver() const { return driver_; }

   private:
    friend class FrameDriver;
    struct State {
      std::function<bool(double)> onFrame;
      bool awake = false;
    };
    FrameDriver& driver_;
    std::shared_ptr<State> state_;
  };

 private:
  void add(const std::shared_ptr<Client::State>& state);
  void remove(const std::shared_ptr<Client::State>& state);
  void tick();
  void stopWhenIdle();

  std::shared_ptr<const MediaClock> clock_;
  std::shared_ptr<MainQueue> mainQueue_;
  double frameInterval_;
  std::vector<std::shared_ptr<Client::State>> awake_;
  std::optional<Cancellable> timer_;
  std::uint64_t framesTicked_ = 0;
  LifetimeToken lifetime_;
};

}  // namespace calyxa
