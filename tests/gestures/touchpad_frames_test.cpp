#include <gtest/gtest.h>
#include <libevdev/libevdev.h>

#include <cstdio>
#include <map>
#include <memory>
#include <ostream>
#include <random>

#include "pinch_test_support.h"
#include "platform/posix/evdev_contact_frame_source.h"
#include "platform/posix/evdev_device.h"
#include "platform/posix/touchpad_frame_assembler.h"
#include "support/temp_dir.h"

namespace calyxa {
namespace {

using Frame = TouchpadFrameAssembler::Frame;

struct Contact {
  std::int32_t state;
  float x;
  float y;
  bool operator==(const Contact&) const = default;
};

void PrintTo(const Contact& contact, std::ostream* out) {
  *out << "{" << contact.state << ", " << contact.x << ", " << contact.y << "}";
}

std::vector<Contact> contactsOf(const Frame& frame) {
  std::vector<Contact> contacts;
  for (const auto& record : frame.records) {
    contacts.push_back({contactState(record.bytes.data()), contactX(record.bytes.data()),
                        contactY(record.bytes.data())});
  }
  return contacts;
}

// Writes synthetic events the way the kernel would send them, a clock in microseconds.
class EventScript {
 public:
  explicit EventScript(TouchpadFrameAssembler& assembler) : assembler_(assembler) {}

  EventScript& at(long microseconds) {
    time_ = microseconds;
    return *this;
  }
  EventScript& slot(int slot) { return abs(ABS_MT_SLOT, slot); }
  EventScript& id(int trackingId) { return abs(ABS_MT_TRACKING_ID, trackingId); }
  EventScript& x(int value) { return abs(ABS_MT_POSITION_X, value); }
  EventScript& y(int value) { return abs(ABS_MT_POSITION_Y, value); }
  EventScript& abs(unsigned code, int value) { return send(EV_ABS, code, value); }
  EventScript& send(unsigned type, unsigned code, int value) {
    input_event event{};
    event.input_event_sec = time_ / 1000000;
    event.input_event_usec = time_ % 1000000;
    event.type = static_cast<std::uint16_t>(type);
    event.code = static_cast<std::uint16_t>(code);
    event.value = value;
    if (auto frame = assembler_.feed(event)) frames.push_back({*frame, contactsOf(*frame)});
    return *this;
  }
  EventScript& report() { return send(EV_SYN, SYN_REPORT, 0); }
  EventScript& dropped() { return send(EV_SYN, SYN_DROPPED, 0); }

  struct Seen {
    Frame frame;
    std::vector<Contact> contacts;
  };
  std::vector<Seen> frames;

 private:
  TouchpadFrameAssembler& assembler_;
  long time_ = 0;
};

TEST(TouchpadFrameAssemblerTest, EachReportIsOneFrameOfTheSlotsWithContacts) {
  TouchpadFrameAssembler pad({0, 1000}, {-250, 250}, 5);
  EventScript events(pad);
  events.at(1'500'000).slot(0).id(10).x(100).y(-200).slot(3).id(11).x(900).y(250).report();
  ASSERT_EQ(events.frames.size(), 1u);
  EXPECT_DOUBLE_EQ(events.frames[0].frame.timestamp, 1.5);
  EXPECT_EQ(events.frames[0].contacts, (std::vector<Contact>{{4, 0.1f, 0.1f}, {4, 0.9f, 1.0f}}));
  EXPECT_FALSE(events.frames[0].frame.endsTouch);

  // Only what changed is sent; a lifted finger leaves its slot; pads overshoot their ranges.
  events.at(1'508'000).x(1010).slot(0).id(-1).report();
  EXPECT_EQ(events.frames[1].contacts, (std::vector<Contact>{{4, 1.0f, 1.0f}}));
  events.at(1'516'000).slot(3).id(-1).report();
  EXPECT_TRUE(events.frames[2].contacts.empty());
  EXPECT_TRUE(events.frames[2].frame.endsTouch);
  EXPECT_DOUBLE_EQ(events.frames[2].frame.timestamp, 1.516);

  // A frame without fingers after the touch ended is just a frame.
  events.at(1'600'000).send(EV_KEY, BTN_LEFT, 1).report();
  EXPECT_TRUE(events.frames[3].contacts.empty());
  EXPECT_FALSE(events.frames[3].frame.endsTouch);

  // A new finger in slot 3 whose x equals the slot's last one: the kernel leaves x out.
  events.at(2'000'000).id(12).y(0).report();
  EXPECT_EQ(events.frames[4].contacts, (std::vector<Contact>{{4, 1.0f, 0.5f}}));

  // Palms are not fingers; slots the pad does not have are ignored until a real one is chosen.
  events.at(2'010'000).slot(1).id(13).x(500).y(0).abs(ABS_MT_TOOL_TYPE, MT_TOOL_PALM).report();
  events.at(2'020'000).slot(7).id(14).x(0).y(0).slot(-1).id(15).report();
  events.at(2'030'000).slot(1).abs(ABS_MT_TOOL_TYPE, MT_TOOL_FINGER).report();
  EXPECT_EQ(events.frames[5].contacts, events.frames[4].contacts);
  EXPECT_EQ(events.frames[6].contacts, events.frames[4].contacts);
  EXPECT_EQ(events.frames[7].contacts, (std::vector<Contact>{{4, 0.5f, 0.5f}, {4, 1.0f, 0.5f}}));
  EXPECT_EQ(events.frames.size(), 8u);
}

TEST(TouchpadFrameAssemblerTest, DroppedEventsResynchroniseWithoutInventingContacts) {
  TouchpadFrameAssembler pad({0, 100}, {0, 100}, 4);
  EventScript events(pad);
  events.at(1'000'000).slot(0).id(1).x(10).y(10).slot(1).id(2).x(20).y(20).report();
  ASSERT_EQ(events.frames.size(), 1u);

  // Events after the drop, its own report included, are untrustworthy: no frame.
  events.at(1'010'000).slot(2).id(3).x(30).y(30).dropped().slot(3).id(4).x(40).report();
  events.at(1'020'000).slot(1).x(90).report();
  EXPECT_EQ(events.frames.size(), 1u);
  EXPECT_TRUE(pad.awaitingResynchronisation());

  // The device says: slot 0 lifted, slot 1 moved, slot 2 holds a finger. Slot 3 is news to it.
  const std::vector<SlotState> present = {{-1, 10, 10}, {2, 25, 20}, {3, 30, 30}, {-1, 40, 0}};
  EXPECT_FALSE(pad.resynchronise(present, 2));
  events.at(1'030'000).y(35).report();
  ASSERT_EQ(events.frames.size(), 2u);
  EXPECT_EQ(events.frames[1].contacts, (std::vector<Contact>{{4, 0.25f, 0.2f}, {4, 0.3f, 0.35f}}));

  // Everything lifted while events were lost: the touch ends at the moment of the drop.
  events.at(1'040'000).dropped();
  const auto end = pad.resynchronise(std::vector<SlotState>(4), 0);
  ASSERT_TRUE(end);
  EXPECT_TRUE(end->records.empty());
  EXPECT_TRUE(end->endsTouch);
  EXPECT_DOUBLE_EQ(end->timestamp, 1.04);
  EXPECT_FALSE(pad.resynchronise(std::vector<SlotState>(4), 0)) << "ended once";
}

TEST(TouchpadFrameAssemblerTest, FramesFollowTheSlotsOverRandomTouches) {
  const unsigned seed = 20240605;
  SCOPED_TRACE(::testing::Message() << "seed " << seed);
  std::mt19937 random(seed);
  constexpr int kSlots = 6;
  TouchpadFrameAssembler pad({100, 1100}, {0, 700}, kSlots);
  EventScript events(pad);
  // The model: slot -> position of its contact, in the pad's units.
  std::map<int, std::pair<int, int>> model;
  // A slot's last position; where none was sent yet the pad's default lies left of its range.
  std::map<int, std::pair<int, int>> last;
  for (int slot = 0; slot < kSlots; ++slot)
    last[slot] = {100, 0};
  int nextId = 1;
  long time = 0;
  for (int step = 0; step < 2000; ++step) {
    events.at(time += 7000);
    const int changes = 1 + static_cast<int>(random() % 4);
    for (int c = 0; c < changes; ++c) {
      const int slot = static_cast<int>(random() % kSlots);
      events.slot(slot);
      const auto roll = random() % 10;
      if (roll < 2 && model.contains(slot)) {
        events.id(-1);
        model.erase(slot);
      } else if (roll < 4 && !model.contains(slot)) {
        events.id(nextId++);
        model[slot] = last[slot];
      } else if (model.contains(slot)) {
        const int x = 100 + static_cast<int>(random() % 1001);
        const int y = static_cast<int>(random() % 701);
        events.x(x).y(y);
        model[slot] = last[slot] = {x, y};
      }
    }
    events.report();
    std::vector<Contact> expected;
    for (const auto& [slot, position] : model) {
      expected.push_back({4, static_cast<float>((position.first - 100) / 1000.0),
                          static_cast<float>(position.second / 700.0)});
    }
    ASSERT_EQ(events.frames.back().contacts, expected) << "step " << step;
    const auto previous = events.frames.size() > 1 ? events.frames.end()[-2].contacts.size() : 0;
    ASSERT_EQ(events.frames.back().frame.endsTouch, expected.empty() && previous > 0);
  }
}

TEST(TouchpadFrameAssemblerTest, AFourFingerPinchOnThePadReachesTheRecogniser) {
  testing::RecordingMonitor m;
  TouchpadFrameAssembler pad({0, 4000}, {0, 3000}, 5);
  std::int32_t frameNumber = 0;
  int deliveries = 0;
  const ContactFrameHandler handler = [&](std::int32_t, const void* records, std::int32_t count,
                                          double timestamp, std::int32_t) {
    ++deliveries;
    m.monitor->handleContactFrame(records, count, timestamp);
  };
  const auto send = [&](long microseconds, unsigned type, unsigned code, int value) {
    input_event event{};
    event.input_event_sec = microseconds / 1000000;
    event.input_event_usec = microseconds % 1000000;
    event.type = static_cast<std::uint16_t>(type);
    event.code = static_cast<std::uint16_t>(code);
    event.value = value;
    if (auto frame = pad.feed(event)) deliverTouchpadFrame(0, *frame, handler, frameNumber);
  };
  // Four fingers on a square around the middle, closing in steps, then lifting.
  long time = 10'000'000;
  for (int step = 0; step <= 6; ++step, time += 10'000) {
    const int half = 700 - step * 80;
    const int corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (int finger = 0; finger < 4; ++finger) {
      send(time, EV_ABS, ABS_MT_SLOT, finger);
      if (step == 0) send(time, EV_ABS, ABS_MT_TRACKING_ID, 100 + finger);
      send(time, EV_ABS, ABS_MT_POSITION_X, 2000 + corners[finger][0] * half);
      send(time, EV_ABS, ABS_MT_POSITION_Y, 1500 + corners[finger][1] * half);
    }
    send(time, EV_SYN, SYN_REPORT, 0);
  }
  EXPECT_EQ(m.drained(), std::vector<std::string>{"in"});
  for (int finger = 0; finger < 4; ++finger) {
    send(time, EV_ABS, ABS_MT_SLOT, finger);
    send(time, EV_ABS, ABS_MT_TRACKING_ID, -1);
  }
  send(time, EV_SYN, SYN_REPORT, 0);
  // The pad falls silent after the lift; the end of the touch still ends the episode.
  EXPECT_EQ(deliveries, 7 + TouchpadFrameAssembler::kEndOfTouchDeliveries);
  EXPECT_EQ(frameNumber, deliveries);
  EXPECT_EQ(m.drained(), std::vector<std::string>{"release"});
}

struct LibevdevDeleter {
  void operator()(libevdev* device) const { libevdev_free(device); }
};
using Device = std::unique_ptr<libevdev, LibevdevDeleter>;

Device touchpadDescription(int slots) {
  Device device(libevdev_new());
  libevdev_enable_property(device.get(), INPUT_PROP_POINTER);
  libevdev_enable_event_code(device.get(), EV_KEY, BTN_TOOL_FINGER, nullptr);
  const input_absinfo slot{0, 0, slots - 1, 0, 0, 0};
  const input_absinfo x{0, 0, 3000, 0, 0, 30};
  const input_absinfo y{0, 0, 2000, 0, 0, 30};
  const input_absinfo id{0, -1, 65535, 0, 0, 0};
  libevdev_enable_event_code(device.get(), EV_ABS, ABS_MT_SLOT, &slot);
  libevdev_enable_event_code(device.get(), EV_ABS, ABS_MT_POSITION_X, &x);
  libevdev_enable_event_code(device.get(), EV_ABS, ABS_MT_POSITION_Y, &y);
  libevdev_enable_event_code(device.get(), EV_ABS, ABS_MT_TRACKING_ID, &id);
  return device;
}

TEST(EvdevDevicesTest, RecognisesTouchpadsAndKeyboardsAndStartsFromThePadsState) {
  const Device pad = touchpadDescription(5);
  EXPECT_TRUE(isTouchpad(pad.get()));
  EXPECT_FALSE(isKeyboard(pad.get()));

  const Device screen = touchpadDescription(10);
  libevdev_enable_property(screen.get(), INPUT_PROP_DIRECT);
  EXPECT_FALSE(isTouchpad(screen.get())) << "a touch screen";
  const Device flat = touchpadDescription(5);
  const input_absinfo empty{0, 0, 0, 0, 0, 0};
  libevdev_enable_event_code(flat.get(), EV_ABS, ABS_MT_POSITION_X, &empty);
  EXPECT_FALSE(isTouchpad(flat.get())) << "an axis without range";

  const Device keyboard(libevdev_new());
  libevdev_enable_event_code(keyboard.get(), EV_KEY, KEY_L, nullptr);
  EXPECT_TRUE(isKeyboard(keyboard.get()));
  EXPECT_FALSE(isTouchpad(keyboard.get()));
  const Device launcherKey(libevdev_new());
  libevdev_enable_event_code(launcherKey.get(), EV_KEY, KEY_ALL_APPLICATIONS, nullptr);
  EXPECT_TRUE(isKeyboard(launcherKey.get()));

  // Two fingers already down when the pad is opened.
  libevdev_set_slot_value(pad.get(), 1, ABS_MT_TRACKING_ID, 40);
  libevdev_set_slot_value(pad.get(), 1, ABS_MT_POSITION_X, 1500);
  libevdev_set_slot_value(pad.get(), 1, ABS_MT_POSITION_Y, 500);
  libevdev_set_slot_value(pad.get(), 4, ABS_MT_TRACKING_ID, 41);
  libevdev_set_slot_value(pad.get(), 4, ABS_MT_POSITION_X, 3000);
  const auto slots = slotStates(pad.get());
  ASSERT_EQ(slots.size(), 5u);
  EXPECT_EQ(slots[0].trackingId, -1);
  EXPECT_EQ(slots[1].trackingId, 40);
  TouchpadFrameAssembler assembler = makeFrameAssembler(pad.get());
  EXPECT_EQ(assembler.slotCount(), 5);
  input_event report{};
  report.type = EV_SYN;
  report.code = SYN_REPORT;
  const auto frame = assembler.feed(report);
  ASSERT_TRUE(frame);
  EXPECT_EQ(contactsOf(*frame), (std::vector<Contact>{{4, 0.5f, 0.25f}, {4, 1.0f, 0.0f}}));
}

TEST(EvdevDevicesTest, ListsEventNodesInNumberOrderAndSkipsWhatIsNoDevice) {
  testing::TempDir dir;
  for (const char* name : {"event10", "event2", "event3", "mouse0", "eventX", "event", "js0"})
    dir.write(name, "");
  const auto nodes = inputEventNodes(dir.path());
  ASSERT_EQ(nodes.size(), 3u);
  EXPECT_EQ(nodes[0].filename(), "event2");
  EXPECT_EQ(nodes[1].filename(), "event3");
  EXPECT_EQ(nodes[2].filename(), "event10");
  EXPECT_TRUE(inputEventNodes(dir / "missing").empty());

  // Plain files are no input devices: nothing starts, nothing is delivered.
  EvdevContactFrameSource source(dir.path());
  int frames = 0;
  auto started = source.start([&](auto...) { ++frames; });
  EXPECT_FALSE(started.session);
  EXPECT_TRUE(started.devices.empty());
  EXPECT_EQ(frames, 0);
}

}  // namespace
}  // namespace calyxa
