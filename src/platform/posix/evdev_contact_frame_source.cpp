#include "platform/posix/evdev_contact_frame_source.h"

#include <libevdev/libevdev.h>

#include <algorithm>

#include "platform/posix/evdev_reader.h"

namespace calyxa {
namespace {

AxisRange axisRange(const libevdev* device, unsigned code) {
  const input_absinfo* info = libevdev_get_abs_info(device, code);
  return info ? AxisRange{info->minimum, info->maximum} : AxisRange{};
}

class TouchpadSession final : public ContactFrameSource::Session {
 public:
  TouchpadSession(std::vector<std::unique_ptr<EvdevDevice>> devices, ContactFrameHandler handler)
      : handler_(std::move(handler)) {
    assemblers_.reserve(devices.size());
    for (const auto& device : devices) {
      handles_.push_back(device->get());
      assemblers_.push_back(makeFrameAssembler(device->get()));
    }
    // Last: the reader's thread uses everything above.
    reader_ = std::make_unique<EvdevReader>(
        std::move(devices),
        EvdevReader::Handlers{[this](std::size_t device, const input_event& event) {
                                if (auto frame = assemblers_[device].feed(event))
                                  deliver(device, *frame);
                              },
                              [this](std::size_t device) {
                                const auto slots = slotStates(handles_[device]);
                                const int current = libevdev_get_current_slot(handles_[device]);
                                if (auto frame =
                                        assemblers_[device].resynchronise(slots, current)) {
                                  deliver(device, *frame);
                                }
                              }});
  }

  std::vector<const void*> deviceReferences() const { return {handles_.begin(), handles_.end()}; }

 private:
  void deliver(std::size_t device, const TouchpadFrameAssembler::Frame& frame) {
    deliverTouchpadFrame(static_cast<std::int32_t>(device), frame, handler_, frameNumber_);
  }

  ContactFrameHandler handler_;
  // Owned by the reader; fixed before its thread starts.
  std::vector<const libevdev*> handles_;
  std::vector<TouchpadFrameAssembler> assemblers_;
  std::int32_t frameNumber_ = 0;
  std::unique_ptr<EvdevReader> reader_;
};

}  // namespace

void deliverTouchpadFrame(std::int32_t device, const TouchpadFrameAssembler::Frame& frame,
                          const ContactFrameHandler& handler, std::int32_t& frameNumber) {
  const int times = frame.endsTouch ? TouchpadFrameAssembler::kEndOfTouchDeliveries : 1;
  const void* records = frame.records.empty() ? nullptr : frame.records.data();
  for (int i = 0; i < times; ++i) {
    handler(device, records, static_cast<std::int32_t>(frame.records.size()), frame.timestamp,
            frameNumber++);
  }
}

std::vector<SlotState> slotStates(const libevdev* device) {
  const int count =
      std::clamp(libevdev_get_num_slots(device), 0, TouchpadFrameAssembler::kMaxSlots);
  std::vector<SlotState> slots(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const auto slot = static_cast<unsigned>(i);
    slots[static_cast<std::size_t>(i)] = {libevdev_get_slot_value(device, slot, ABS_MT_TRACKING_ID),
                                          libevdev_get_slot_value(device, slot, ABS_MT_POSITION_X),
                                          libevdev_get_slot_value(device, slot, ABS_MT_POSITION_Y),
                                          libevdev_get_slot_value(device, slot, ABS_MT_TOOL_TYPE)};
  }
  return slots;
}

TouchpadFrameAssembler makeFrameAssembler(const libevdev* device) {
  TouchpadFrameAssembler assembler(axisRange(device, ABS_MT_POSITION_X),
                                   axisRange(device, ABS_MT_POSITION_Y),
                                   libevdev_get_num_slots(device));
  assembler.resynchronise(slotStates(device), libevdev_get_current_slot(device));
  return assembler;
}

ContactFrameSource::Started EvdevContactFrameSource::start(ContactFrameHandler handler) {
  auto devices = openInputDevices(directory_, isTouchpad);
  if (devices.empty()) return {};
  auto session = std::make_unique<TouchpadSession>(std::move(devices), std::move(handler));
  auto references = session->deviceReferences();
  return {std::move(references), std::move(session)};
}

}  // namespace calyxa
