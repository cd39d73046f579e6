#pragma once

#include <atomic>
#include <functional>
#include <memory>

namespace calyxa {

using Work = std::function<void()>;

// Handle of scheduled work. Copies share one state; cancelling any copy stops work that has not
// started yet (and every later tick of a repeating timer).
class Cancellable {
 public:
  Cancellable() : cancelled_(std::make_shared<std::atomic<bool>>(false)) {}

  void cancel() const { cancelled_->store(true, std::memory_order_relaxed); }
  bool isCancelled() const { return cancelled_->load(std::memory_order_relaxed); }
  bool sameWorkAs(const Cancellable& other) const { return cancelled_ == other.cancelled_; }

 private:
  std::shared_ptr<std::atomic<bool>> cancelled_;
};

// The main thread's queue. `async` may be called from any thread; the work runs on the main thread.
class MainQueue {
 public:
  virtual ~MainQueue() = default;
  virtual void async(Work work) = 0;
  virtual Cancellable asyncAfter(double seconds, Work work) = 0;
  // Runs `work` every `interval` seconds, first one interval from now, until cancelled.
  virtual Cancellable scheduleRepeating(double interval, Work work) = 0;
};

// A serial queue off the main thread: work runs one item at a time, ordered by deadline and, for
// equal deadlines, by the order of scheduling.
class BackgroundQueue {
 public:
  virtual ~BackgroundQueue() = default;
  virtual Cancellable asyncAfter(double seconds, Work work) = 0;
  // Blocks until nothing is waiting or running (work cancelled meanwhile is dropped).
  virtual void waitUntilIdle() = 0;
};

}  // namespace calyxa
