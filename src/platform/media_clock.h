#pragma once

namespace calyxa {

// Monotonic time in seconds, unrelated to the wall clock. Gesture, scroll and drag timings read it.
class MediaClock {
 public:
  virtual ~MediaClock() = default;
  virtual double now() const = 0;
};

}  // namespace calyxa
