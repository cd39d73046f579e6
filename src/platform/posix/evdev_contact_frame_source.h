#pragma once

#include <filesystem>
#include <vector>

#include "platform/contact_frame_source.h"
#include "platform/posix/touchpad_frame_assembler.h"

struct libevdev;

namespace calyxa {

// Contact frames of every touchpad in `directory` (normally /dev/input), read with libevdev on
// one thread, each SYN_REPORT one frame (see TouchpadFrameAssembler).
class EvdevContactFrameSource final : public ContactFrameSource {
 public:
  explicit EvdevContactFrameSource(std::filesystem::path directory = "/dev/input")
      : directory_(std::move(directory)) {}

  Started start(ContactFrameHandler handler) override;

 private:
  std::filesystem::path directory_;
};

// The slots of a multitouch device as libevdev last knew them.
std::vector<SlotState> slotStates(const libevdev* device);

// Hands an assembled frame to `handler`: once, or repeatedly for the frame that ends a touch
// (TouchpadFrameAssembler::kEndOfTouchDeliveries). `frameNumber` counts the deliveries.
void deliverTouchpadFrame(std::int32_t device, const TouchpadFrameAssembler::Frame& frame,
                          const ContactFrameHandler& handler, std::int32_t& frameNumber);

// An assembler with the device's axis ranges and slot count, set to its present slots.
TouchpadFrameAssembler makeFrameAssembler(const libevdev* device);

}  // namespace calyxa
