#pragma once

#include <linux/input.h>

#include <optional>
#include <span>
#include <vector>

#include "platform/contact_record.h"

namespace calyxa {

// An absolute axis's declared range.
struct AxisRange {
  int minimum = 0;
  int maximum = 0;
};

// One multitouch slot as the device reports it.
struct SlotState {
  int trackingId = -1;  // -1: no contact in the slot
  int x = 0;
  int y = 0;
  int toolType = 0;  // MT_TOOL_FINGER, MT_TOOL_PALM, ...
};

// Turns a touchpad's multitouch (protocol B) events into contact frames in the multitouch
// framework's record layout: each SYN_REPORT is one frame with one record per slot that holds a
// contact (a finger, not a palm), state 4, position normalised to 0..1 by the axis ranges, the
// report's time as the frame's timestamp.
class TouchpadFrameAssembler {
 public:
  // More slots than any hand has fingers is a device to distrust.
  static constexpr int kMaxSlots = 64;
  // Evdev goes silent once the last finger lifts while the framework goes on reporting empty
  // frames, and the recogniser sees the touch end only after several of them: the frame that
  // ends a touch is delivered this many times.
  static constexpr int kEndOfTouchDeliveries = 4;

  struct Frame {
    double timestamp = 0.0;
    std::span<const ContactRecord> records;
    // The last contact lifted with this frame.
    bool endsTouch = false;
  };

  TouchpadFrameAssembler(AxisRange x, AxisRange y, int slotCount);

  // Takes the device's present state (after opening it, after a SYN_DROPPED): the slots and the
  // slot that the next events address. When the last frame delivered had contacts and none are
  // left, returns the frame that ends the touch; otherwise the next report delivers the state.
  std::optional<Frame> resynchronise(std::span<const SlotState> slots, int currentSlot);

  // Consumes one event; a completed frame stays valid until the next call. After a SYN_DROPPED
  // every event is ignored until resynchronise(), so that no frame carries half-known contacts.
  std::optional<Frame> feed(const input_event& event);

  int slotCount() const { return static_cast<int>(slots_.size()); }
  bool awaitingResynchronisation() const { return dropped_; }

 private:
  Frame buildFrame(double timestamp);
  float normalised(int value, const AxisRange& range) const;

  AxisRange x_;
  AxisRange y_;
  std::vector<SlotState> slots_;
  int currentSlot_ = 0;
  bool dropped_ = false;
  double droppedAt_ = 0.0;
  bool hadContacts_ = false;
  std::vector<ContactRecord> records_;
};

// The timestamp of an event in seconds.
double eventTime(const input_event& event);

}  // namespace calyxa
