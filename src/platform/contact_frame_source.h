#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace calyxa {

// Receives one frame: `count` contact records (contact_record.h) laid out one after another, or
// null, and the frame's timestamp in seconds. Called on the source's own thread; the records are
// valid during the call only.
using ContactFrameHandler =
    std::function<void(std::int32_t device, const void* records, std::int32_t count,
                       double timestamp, std::int32_t frameNumber)>;

// The touch surfaces' raw contact frames, where the multitouch framework is not available.
class ContactFrameSource {
 public:
  // Frame delivery of one start; destroying it stops the delivery and waits until no call of the
  // handler is running.
  class Session {
   public:
    virtual ~Session() = default;
  };

  struct Started {
    // One reference per device that delivers frames; opaque, valid while the session lives.
    std::vector<const void*> devices;
    // Empty when no device could be started.
    std::unique_ptr<Session> session;
  };

  virtual ~ContactFrameSource() = default;

  // Starts delivering the frames of every touch surface to `handler`.
  virtual Started start(ContactFrameHandler handler) = 0;
};

}  // namespace calyxa
