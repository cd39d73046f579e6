#include "views/animation/frame_driver.h"

#include <algorithm>

#include "platform/platform_services.h"

namespace calyxa {

FrameDriver::FrameDriver(std::shared_ptr<const MediaClock> clock,
                         std::shared_ptr<MainQueue> mainQueue, double frameInterval)
    : clock_(std::move(clock)), mainQueue_(std::move(mainQueue)), frameInterval_(frameInterval) {}

FrameDriver::~FrameDriver() {
  if (timer_) timer_->cancel();
  for (const auto& state : awake_)
    state->awake = false;
}

FrameDriver& FrameDriver::shared() {
  static FrameDriver driver(PlatformServices::shared().clock, PlatformServices::shared().mainQueue);
  return driver;
}

void FrameDriver::add(const std::shared_ptr<Client::State>& state) {
  if (state->awake) return;
  state->awake = true;
  awake_.push_back(state);
  if (timer_) return;
  timer_ = mainQueue_->scheduleRepeating(frameInterval_, [this, watch = lifetime_.watch()] {
    if (!watch.expired()) tick();
  });
}

void FrameDriver::remove(const std::shared_ptr<Client::State>& state) {
  if (!state->awake) return;
  state->awake = false;
  std::erase(awake_, state);
  stopWhenIdle();
}

void FrameDriver::stopWhenIdle() {
  if (!awake_.empty() || !timer_) return;
  timer_->cancel();
  timer_.reset();
}

void FrameDriver::tick() {
  ++framesTicked_;
  const double time = now();
  // Callbacks may wake, put to sleep or destroy clients, themselves included.
  const auto snapshot = awake_;
  for (const auto& state : snapshot) {
    if (!state->awake) continue;
    if (!state->onFrame(time)) remove(state);
  }
  stopWhenIdle();
}

FrameDriver::Client::Client(FrameDriver& driver, std::function<bool(double)> onFrame)
    : driver_(driver), state_(std::make_shared<State>(State{std::move(onFrame), false})) {}

FrameDriver::Client::~Client() {
  sleep();
}

void FrameDriver::Client::wake() {
  driver_.add(state_);
}

void FrameDriver::Client::sleep() {
  driver_.remove(state_);
}

bool FrameDriver::Client::isAwake() const {
  return state_->awake;
}

}  // namespace calyxa
