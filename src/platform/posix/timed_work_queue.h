#pragma once

#include <cstdint>
#include <optional>
#include <queue>
#include <vector>

#include "platform/dispatch.h"

namespace calyxa {

// Work ordered by deadline, then by scheduling order. Not thread-safe: the owner locks.
class TimedWorkQueue {
 public:
  struct Entry {
    double deadline = 0.0;
    std::uint64_t sequence = 0;
    Work work;
    Cancellable token;
    double interval = 0.0;  // > 0 for a repeating timer
    int tag = 0;            // the owner's label, carried along
  };

  void push(double deadline, Work work, Cancellable token, double interval = 0.0, int tag = 0);
  bool empty() const { return heap_.empty(); }
  std::size_t size() const { return heap_.size(); }
  std::optional<double> nextDeadline() const;
  // Removes and returns the earliest entry if it is due at `now`; cancelled entries are dropped.
  std::optional<Entry> popDue(double now);
  // Drops cancelled entries from the front so that nextDeadline() names live work.
  void dropCancelledFront();

 private:
  struct Later {
    bool operator()(const Entry& a, const Entry& b) const {
      return a.deadline != b.deadline ? a.deadline > b.deadline : a.sequence > b.sequence;
    }
  };
  std::priority_queue<Entry, std::vector<Entry>, Later> heap_;
  std::uint64_t nextSequence_ = 0;
};

}  // namespace calyxa
