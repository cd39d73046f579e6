#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>
#include <sstream>

#include "gestures/contact_frame_file.h"
#include "platform/contact_record.h"
#include "platform/posix/touchpad_frame_assembler.h"

namespace calyxa {
namespace {

using Frame = TouchpadFrameAssembler::Frame;
using Lines = std::vector<std::string>;

// A frame as a line of a frame file ("time count state x y ..."), " end" when it ends a touch.
std::string describe(const Frame& frame) {
  return formatFrameLine(frame.timestamp, frame.records.data(), int(frame.records.size())) +
         (frame.endsTouch ? " end" : "");
}

// Feeds events written "@1.5" (clock, s), "s3" slot, "i10" tracking id, "x100" "y-200" position,
// "t2" tool type, "k" button press, "R" report, "D" lost events; returns the frames.
Lines feed(TouchpadFrameAssembler& pad, const std::string& script) {
  static const std::map<char, std::pair<unsigned, unsigned>> kinds = {
      {'s', {EV_ABS, ABS_MT_SLOT}},       {'i', {EV_ABS, ABS_MT_TRACKING_ID}},
      {'x', {EV_ABS, ABS_MT_POSITION_X}}, {'y', {EV_ABS, ABS_MT_POSITION_Y}},
      {'t', {EV_ABS, ABS_MT_TOOL_TYPE}},  {'k', {EV_KEY, BTN_LEFT}},
      {'R', {EV_SYN, SYN_REPORT}},        {'D', {EV_SYN, SYN_DROPPED}}};
  std::istringstream words(script);
  Lines frames;
  input_event event{};
  for (std::string word; words >> word;) {
    if (word[0] == '@') {
      const double seconds = std::stod(word.substr(1));
      event.input_event_sec = long(seconds);
      event.input_event_usec = std::lround((seconds - long(seconds)) * 1e6);
      continue;
    }
    const auto [type, code] = kinds.at(word[0]);
    event.type = std::uint16_t(type);
    event.code = std::uint16_t(code);
    event.value = word.size() > 1 ? std::stoi(word.substr(1)) : 1;
    if (const auto frame = pad.feed(event)) frames.push_back(describe(*frame));
  }
  return frames;
}

TEST(TouchpadFrameAssemblerTest, EachReportIsOneFrameOfTheSlotsWithContacts) {
  TouchpadFrameAssembler pad({0, 1000}, {-250, 250}, 5);
  // Only changes are sent; lifted fingers leave; overshoots clamp; a new finger at its slot's last
  // x sends none; palms and slots the pad lacks are no fingers; a button alone is a plain frame.
  EXPECT_EQ(feed(pad,
                 "@1.5 s0 i10 x100 y-200 s3 i11 x900 y250 R @1.75 x1010 s0 i-1 R @2 s3 i-1 R "
                 "@2.25 k R @2.5 i12 y0 R @3 s1 i13 x500 y0 t2 R s7 i14 x0 s-1 i15 R s1 t0 R"),
            (Lines{"1.5 2 4 0.1 0.1 4 0.9 1", "1.75 1 4 1 1", "2 0 end", "2.25 0", "2.5 1 4 1 0.5",
                   "3 1 4 1 0.5", "3 1 4 1 0.5", "3 2 4 0.5 0.5 4 1 0.5"}));
}

TEST(TouchpadFrameAssemblerTest, DroppedEventsResynchroniseWithoutInventingContacts) {
  TouchpadFrameAssembler pad({0, 100}, {0, 100}, 4);
  // Events after a drop, its own report included, are untrustworthy until the state is read.
  EXPECT_EQ(feed(pad, "@1 s0 i1 x10 y10 s1 i2 x20 y20 R @1.25 s2 i3 x30 D s3 i4 R s1 x90 R"),
            Lines{"1 2 4 0.1 0.1 4 0.2 0.2"});
  EXPECT_TRUE(pad.awaitingResynchronisation());
  // The device says: slot 0 lifted, slot 1 moved, slot 2 holds a finger. Slot 3 is news to it.
  const std::vector<SlotState> present = {{-1, 10, 10}, {2, 25, 20}, {3, 30, 30}, {-1, 40, 0}};
  EXPECT_FALSE(pad.resynchronise(present, 2));
  EXPECT_EQ(feed(pad, "@1.5 y35 R"), Lines{"1.5 2 4 0.25 0.2 4 0.3 0.35"});
  // Everything lifted while events were lost: the touch ends, once, at the moment of the drop.
  feed(pad, "@1.75 D");
  const std::vector<SlotState> lifted(4);
  EXPECT_EQ(describe(*pad.resynchronise(lifted, 0)), "1.75 0 end");
  EXPECT_FALSE(pad.resynchronise(lifted, 0));
}

TEST(TouchpadFrameAssemblerTest, FramesFollowTheSlotsOverRandomTouches) {
  std::mt19937 random(20240605);
  constexpr int kSlots = 6;
  TouchpadFrameAssembler pad({100, 1100}, {0, 700}, kSlots);
  // The model: slot -> position of its contact; a slot's last position, left of the range at
  // first, is where a new contact starts when the kernel leaves its position out.
  std::map<int, std::pair<int, int>> model;
  std::vector<std::pair<int, int>> last(kSlots, {100, 0});
  int nextId = 1;
  std::size_t contactsBefore = 0;
  for (int step = 0; step < 2000; ++step) {
    std::string script = "@";
    script += std::to_string(step);
    for (auto changes = 1 + random() % 4; changes > 0; --changes) {
      const int slot = int(random() % kSlots);
      script += " s" + std::to_string(slot);
      const auto roll = random() % 10;
      if (roll < 2 && model.contains(slot)) {
        script += " i-1";
        model.erase(slot);
      } else if (roll < 4 && !model.contains(slot)) {
        script += " i" + std::to_string(nextId++);
        model[slot] = last[slot];
      } else if (model.contains(slot)) {
        const int x = 100 + int(random() % 1001), y = int(random() % 701);
        script += " x" + std::to_string(x) + " y" + std::to_string(y);
        model[slot] = last[slot] = {x, y};
      }
    }
    std::vector<ContactRecord> expected;
    for (const auto& [slot, at] : model)
      expected.push_back(
          ContactRecord::make(4, float((at.first - 100) / 1000.0), float(at.second / 700.0)));
    const Frame frame{double(step), expected, expected.empty() && contactsBefore > 0};
    ASSERT_EQ(feed(pad, script + " R"), Lines{describe(frame)}) << "step " << step;
    contactsBefore = expected.size();
  }
}

}  // namespace
}  // namespace calyxa
