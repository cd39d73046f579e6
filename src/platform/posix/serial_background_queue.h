#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/dispatch.h"
#include "platform/media_clock.h"
#include "platform/posix/timed_work_queue.h"

namespace calyxa {

// One worker thread that runs delayed work in deadline order, one item at a time. Work still
// waiting when the queue is destroyed is dropped; work already running finishes first.
class SerialBackgroundQueue final : public BackgroundQueue {
 public:
  explicit SerialBackgroundQueue(std::shared_ptr<const MediaClock> clock);
  ~SerialBackgroundQueue() override;
  SerialBackgroundQueue(const SerialBackgroundQueue&) = delete;
  SerialBackgroundQueue& operator=(const SerialBackgroundQueue&) = delete;

  Cancellable asyncAfter(double seconds, Work work) override;
  void waitUntilIdle() override;

 private:
  void workerLoop();

  std::shared_ptr<const MediaClock> clock_;
  std::mutex mutex_;
  std::condition_variable wakeup_;
  std::condition_variable idle_;
  TimedWorkQueue queue_;
  bool running_ = false;
  bool stopping_ = false;
  std::thread worker_;
};

}  // namespace calyxa
