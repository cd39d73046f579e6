#pragma once

#include <memory>
#include <mutex>

#include "platform/dispatch.h"
#include "platform/media_clock.h"
#include "platform/posix/timed_work_queue.h"

namespace calyxa::testing {

// Virtual time for tests. The main and the background queue share one timeline; nothing runs
// until the test advances it. Advancing runs every due item in time order, including items
// scheduled by items that ran, and sets the clock to each item's deadline as it runs.
class ManualScheduler : public std::enable_shared_from_this<ManualScheduler> {
 public:
  enum class Lane { main, background };

  static std::shared_ptr<ManualScheduler> make();

  std::shared_ptr<MediaClock> clock();
  std::shared_ptr<MainQueue> mainQueue();
  std::shared_ptr<BackgroundQueue> backgroundQueue();

  double now() const;
  // Runs everything due up to now + seconds, then sets the clock there.
  void advance(double seconds);
  void advanceTo(double time);
  // Runs what is due now (work posted with async, zero delays).
  void runReady() { advance(0.0); }
  // Live (not cancelled) items waiting in a lane.
  int pendingCount(Lane lane) const;
  // Items run so far in a lane.
  int completedCount(Lane lane) const;

  // Thread-safe entry points of the queues.
  Cancellable schedule(Lane lane, double delay, Work work, double interval = 0.0);

 private:
  ManualScheduler() = default;

  mutable std::mutex mutex_;
  double now_ = 0.0;
  TimedWorkQueue queue_;
  int completed_[2] = {0, 0};
};

}  // namespace calyxa::testing
