#pragma once

#include "platform/media_clock.h"

namespace calyxa {

// CLOCK_MONOTONIC in seconds.
class PosixMediaClock final : public MediaClock {
 public:
  double now() const override;
};

}  // namespace calyxa
