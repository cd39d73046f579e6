#include "support/manual_scheduler.h"

#include <algorithm>
#include <limits>

namespace calyxa::testing {
namespace {

class Clock final : public MediaClock {
 public:
  explicit Clock(std::shared_ptr<const ManualScheduler> scheduler)
      : scheduler_(std::move(scheduler)) {}
  double now() const override { return scheduler_->now(); }

 private:
  std::shared_ptr<const ManualScheduler> scheduler_;
};

class Main final : public MainQueue {
 public:
  explicit Main(std::shared_ptr<ManualScheduler> scheduler) : scheduler_(std::move(scheduler)) {}
  void async(Work work) override {
    scheduler_->schedule(ManualScheduler::Lane::main, 0.0, std::move(work));
  }
  Cancellable asyncAfter(double seconds, Work work) override {
    return scheduler_->schedule(ManualScheduler::Lane::main, seconds, std::move(work));
  }
  Cancellable scheduleRepeating(double interval, Work work) override {
    return scheduler_->schedule(ManualScheduler::Lane::main, interval, std::move(work), interval);
  }

 private:
  std::shared_ptr<ManualScheduler> scheduler_;
};

class Background final : public BackgroundQueue {
 public:
  explicit Background(std::shared_ptr<ManualScheduler> scheduler)
      : scheduler_(std::move(scheduler)) {}
  Cancellable asyncAfter(double seconds, Work work) override {
    return scheduler_->schedule(ManualScheduler::Lane::background, seconds, std::move(work));
  }
  // Virtual time only moves when the test says so: run what is waiting, in order.
  void waitUntilIdle() override {
    while (scheduler_->pendingCount(ManualScheduler::Lane::background) > 0) {
      scheduler_->advance(0.05);
    }
  }

 private:
  std::shared_ptr<ManualScheduler> scheduler_;
};

}  // namespace

std::shared_ptr<ManualScheduler> ManualScheduler::make() {
  return std::shared_ptr<ManualScheduler>(new ManualScheduler());
}

std::shared_ptr<MediaClock> ManualScheduler::clock() {
  return std::make_shared<Clock>(shared_from_this());
}
std::shared_ptr<MainQueue> ManualScheduler::mainQueue() {
  return std::make_shared<Main>(shared_from_this());
}
std::shared_ptr<BackgroundQueue> ManualScheduler::backgroundQueue() {
  return std::make_shared<Background>(shared_from_this());
}

double ManualScheduler::now() const {
  std::lock_guard lock(mutex_);
  return now_;
}

Cancellable ManualScheduler::schedule(Lane lane, double delay, Work work, double interval) {
  Cancellable token;
  std::lock_guard lock(mutex_);
  queue_.push(now_ + std::max(0.0, delay), std::move(work), token, interval,
              static_cast<int>(lane));
  return token;
}

void ManualScheduler::advance(double seconds) {
  advanceTo(now() + seconds);
}

void ManualScheduler::advanceTo(double target) {
  // A tolerance keeps 0.1 + 0.25 from missing a deadline of 0.35 by a rounding error.
  const double horizon = target + 1e-9;
  for (;;) {
    std::unique_lock lock(mutex_);
    auto entry = queue_.popDue(horizon);
    if (!entry) {
      now_ = std::max(now_, target);
      return;
    }
    now_ = std::max(now_, entry->deadline);
    if (entry->interval > 0) {
      queue_.push(entry->deadline + entry->interval, entry->work, entry->token, entry->interval,
                  entry->tag);
    }
    ++completed_[entry->tag];
    lock.unlock();
    entry->work();
  }
}

int ManualScheduler::pendingCount(Lane lane) const {
  std::lock_guard lock(mutex_);
  TimedWorkQueue copy = queue_;
  int live = 0;
  while (auto entry = copy.popDue(std::numeric_limits<double>::infinity())) {
    if (entry->tag == static_cast<int>(lane)) ++live;
  }
  return live;
}

int ManualScheduler::completedCount(Lane lane) const {
  std::lock_guard lock(mutex_);
  return completed_[static_cast<int>(lane)];
}

}  // namespace calyxa::testing
