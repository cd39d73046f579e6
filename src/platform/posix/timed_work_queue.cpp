#include "platform/posix/timed_work_queue.h"

namespace calyxa {

void TimedWorkQueue::push(double deadline, Work work, Cancellable token, double interval, int tag) {
  heap_.push(Entry{deadline, nextSequence_++, std::move(work), std::move(token), interval, tag});
}

std::optional<double> TimedWorkQueue::nextDeadline() const {
  if (heap_.empty()) return std::nullopt;
  return heap_.top().deadline;
}

void TimedWorkQueue::dropCancelledFront() {
  while (!heap_.empty() && heap_.top().token.isCancelled())
    heap_.pop();
}

std::optional<TimedWorkQueue::Entry> TimedWorkQueue::popDue(double now) {
  dropCancelledFront();
  if (heap_.empty() || heap_.top().deadline > now) return std::nullopt;
  Entry entry = heap_.top();
  heap_.pop();
  return entry;
}

}  // namespace calyxa
