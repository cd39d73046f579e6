#include "platform/posix/run_loop.h"

#include <algorithm>
#include <chrono>

namespace calyxa {

RunLoop::RunLoop(std::shared_ptr<const MediaClock> clock) : clock_(std::move(clock)) {}

void RunLoop::async(Work work) {
  asyncAfter(0.0, std::move(work));
}

Cancellable RunLoop::asyncAfter(double seconds, Work work) {
  Cancellable token;
  {
    std::lock_guard lock(mutex_);
    queue_.push(clock_->now() + std::max(0.0, seconds), std::move(work), token);
  }
  wakeup_.notify_all();
  return token;
}

Cancellable RunLoop::scheduleRepeating(double interval, Work work) {
  Cancellable token;
  {
    std::lock_guard lock(mutex_);
    queue_.push(clock_->now() + interval, std::move(work), token, interval);
  }
  wakeup_.notify_all();
  return token;
}

void RunLoop::runPending() {
  runUntil([] { return false; }, 0.0);
}

bool RunLoop::runUntil(const std::function<bool()>& done, double timeout) {
  const double end = clock_->now() + timeout;
  for (;;) {
    if (done()) return true;
    std::unique_lock lock(mutex_);
    const double now = clock_->now();
    if (auto entry = queue_.popDue(now)) {
      if (entry->interval > 0) {
        queue_.push(entry->deadline + entry->interval, entry->work, entry->token, entry->interval);
      }
      lock.unlock();
      entry->work();
      continue;
    }
    if (now >= end) return done();
    const double wakeAt = std::min(end, queue_.nextDeadline().value_or(end));
    wakeup_.wait_for(lock, std::chrono::duration<double>(std::max(0.0, wakeAt - now)));
  }
}

}  // namespace calyxa
