#include "platform/posix/touchpad_frame_assembler.h"

#include <algorithm>
#include <utility>

namespace calyxa {

double eventTime(const input_event& event) {
  return static_cast<double>(event.input_event_sec) +
         static_cast<double>(event.input_event_usec) / 1e6;
}

TouchpadFrameAssembler::TouchpadFrameAssembler(AxisRange x, AxisRange y, int slotCount)
    : x_(x), y_(y), slots_(static_cast<std::size_t>(std::clamp(slotCount, 1, kMaxSlots))) {
  records_.reserve(slots_.size());
}

float TouchpadFrameAssembler::normalised(int value, const AxisRange& range) const {
  const double span = static_cast<double>(range.maximum) - range.minimum;
  if (span <= 0) return 0.0f;
  // Many pads report a little beyond their declared range at the edges: that finger is still on
  // the surface, at its edge.
  const double position = (static_cast<double>(value) - range.minimum) / span;
  return static_cast<float>(std::clamp(position, 0.0, 1.0));
}

TouchpadFrameAssembler::Frame TouchpadFrameAssembler::buildFrame(double timestamp) {
  records_.clear();
  for (const SlotState& slot : slots_) {
    if (slot.trackingId < 0 || slot.toolType == MT_TOOL_PALM) continue;
    records_.push_back(
        ContactRecord::make(kContactStateTouching, normalised(slot.x, x_), normalised(slot.y, y_)));
  }
  const bool endsTouch = hadContacts_ && records_.empty();
  hadContacts_ = !records_.empty();
  return Frame{timestamp, records_, endsTouch};
}

std::optional<TouchpadFrameAssembler::Frame> TouchpadFrameAssembler::resynchronise(
    std::span<const SlotState> slots, int currentSlot) {
  const std::size_t count = std::min(slots.size(), slots_.size());
  std::fill(slots_.begin(), slots_.end(), SlotState{});
  std::copy_n(slots.begin(), count, slots_.begin());
  currentSlot_ = currentSlot >= 0 && currentSlot < slotCount() ? currentSlot : -1;
  const bool wasDropped = std::exchange(dropped_, false);
  const bool anyContact = std::any_of(slots_.begin(), slots_.end(), [](const SlotState& slot) {
    return slot.trackingId >= 0 && slot.toolType != MT_TOOL_PALM;
  });
  if (hadContacts_ && !anyContact) return buildFrame(wasDropped ? droppedAt_ : 0.0);
  return std::nullopt;
}

std::optional<TouchpadFrameAssembler::Frame> TouchpadFrameAssembler::feed(
    const input_event& event) {
  if (event.type == EV_SYN && event.code == SYN_DROPPED) {
    dropped_ = true;
    droppedAt_ = eventTime(event);
    return std::nullopt;
  }
  if (dropped_) return std::nullopt;
  if (event.type == EV_SYN && event.code == SYN_REPORT) return buildFrame(eventTime(event));
  if (event.type != EV_ABS) return std::nullopt;

  if (event.code == ABS_MT_SLOT) {
    currentSlot_ = event.value >= 0 && event.value < slotCount() ? event.value : -1;
    return std::nullopt;
  }
  if (currentSlot_ < 0) return std::nullopt;
  SlotState& slot = slots_[static_cast<std::size_t>(currentSlot_)];
  switch (event.code) {
    case ABS_MT_TRACKING_ID:
      // Position and tool type stay: the kernel leaves out a new contact's values that equal the
      // slot's last ones.
      slot.trackingId = event.value < 0 ? -1 : event.value;
      break;
    case ABS_MT_POSITION_X:
      slot.x = event.value;
      break;
    case ABS_MT_POSITION_Y:
      slot.y = event.value;
      break;
    case ABS_MT_TOOL_TYPE:
      slot.toolType = event.value;
      break;
    default:
      break;
  }
  return std::nullopt;
}

}  // namespace calyxa
