#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/dispatch.h"
#include "platform/media_clock.h"
#include "platform/posix/timed_work_queue.h"

namespace calyxa {

// The main queue of a program without a toolkit (calyxa-ctl): work posted from any thread runs
// on whichever thread calls run().
class RunLoop final : public MainQueue {
 public:
  explicit RunLoop(std::shared_ptr<const MediaClock> clock);

  void async(Work work) override;
  Cancellable asyncAfter(double seconds, Work work) override;
  Cancellable scheduleRepeating(double interval, Work work) override;

  // Runs work until `done` holds (checked after each item and at start) or `timeout` seconds pass.
  // True when `done` held.
  bool runUntil(const std::function<bool()>& done, double timeout);
  // Runs work that is due now, without waiting.
  void runPending();

 private:
  std::shared_ptr<const MediaClock> clock_;
  std::mutex mutex_;
  std::condition_variable wakeup_;
  TimedWorkQueue queue_;
};

}  // namespace calyxa
