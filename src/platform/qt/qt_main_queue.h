#pragma once

#include <QObject>
#include <memory>

#include "platform/dispatch.h"

namespace calyxa {

// The main queue on the Qt event loop: work runs on the thread that created the queue (the
// application's main thread) as queued calls and QTimer timeouts. `async` and `asyncAfter` may
// be called from any thread; the queue itself is created and destroyed on the main thread.
// Work still pending when the queue is destroyed is dropped.
class QtMainQueue final : public MainQueue {
 public:
  QtMainQueue();
  ~QtMainQueue() override;
  QtMainQueue(const QtMainQueue&) = delete;
  QtMainQueue& operator=(const QtMainQueue&) = delete;

  void async(Work work) override;
  Cancellable asyncAfter(double seconds, Work work) override;
  Cancellable scheduleRepeating(double interval, Work work) override;

  // Timers alive now (a cancelled repeating timer goes at its next tick). For tests.
  int liveTimerCount() const;

 private:
  // Owns the timers and receives the queued calls; deleting it drops what is pending.
  std::unique_ptr<QObject> context_;
};

}  // namespace calyxa
