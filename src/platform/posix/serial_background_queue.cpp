#include "platform/posix/serial_background_queue.h"

#include <algorithm>
#include <chrono>

namespace calyxa {

SerialBackgroundQueue::SerialBackgroundQueue(std::shared_ptr<const MediaClock> clock)
    : clock_(std::move(clock)), worker_([this] { workerLoop(); }) {}

SerialBackgroundQueue::~SerialBackgroundQueue() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wakeup_.notify_all();
  worker_.join();
}

Cancellable SerialBackgroundQueue::asyncAfter(double seconds, Work work) {
  Cancellable token;
  {
    std::lock_guard lock(mutex_);
    queue_.push(clock_->now() + std::max(0.0, seconds), std::move(work), token);
  }
  wakeup_.notify_all();
  return token;
}

void SerialBackgroundQueue::waitUntilIdle() {
  std::unique_lock lock(mutex_);
  for (;;) {
    queue_.dropCancelledFront();
    if (queue_.empty() && !running_) return;
    // Cancelled work deeper in the queue is dropped when it comes due; wake then to re-check.
    idle_.wait_for(lock, std::chrono::milliseconds(20));
  }
}

void SerialBackgroundQueue::workerLoop() {
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    const double now = clock_->now();
    if (auto entry = queue_.popDue(now)) {
      running_ = true;
      lock.unlock();
      entry->work();
      lock.lock();
      running_ = false;
      idle_.notify_all();
      continue;
    }
    idle_.notify_all();
    if (auto next = queue_.nextDeadline()) {
      wakeup_.wait_for(lock, std::chrono::duration<double>(std::max(0.0, *next - now)));
    } else {
      wakeup_.wait(lock);
    }
  }
}

}  // namespace calyxa
