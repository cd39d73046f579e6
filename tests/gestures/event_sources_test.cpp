#include <gtest/gtest.h>

#include <linux/input-event-codes.h>

#include <cstdint>
#include <limits>

#include "pinch_test_support.h"
#include "platform/keyboard_codes.h"
#include "platform/posix/linux_key_translation.h"
#include "platform/posix/posix_event_monitors.h"
#include "support/pinch_monitor_inspector.h"
#include "support/temp_dir.h"

namespace calyxa {
namespace {

using testing::fingersWithSpread;
using testing::RecordingMonitor;
using testing::ring;
using Inspector = MultitouchPinchMonitorInspector;
using Monitor = MultitouchPinchMonitor;
using Events = std::vector<std::string>;

TappedEvent* anEvent() {
  static char storage;
  return reinterpret_cast<TappedEvent*>(&storage);
}

TEST(EventTapTest, InstallsAtTheHidLevelThenTheSessionLevelAndGoesOnWithout) {
  RecordingMonitor m;
  auto& system = *m.platform.eventMonitors;
  m.monitor->startMonitoring();
  m.monitor->startMonitoring();  // once only

  ASSERT_EQ(system.tapRequests.size(), 2u);
  EXPECT_EQ(system.tapRequests[0].location, Monitor::kTapLocationHID);
  EXPECT_EQ(system.tapRequests[1].location, Monitor::kTapLocationSession);
  for (const auto& request : system.tapRequests) {
    EXPECT_EQ(request.mask, 0xE05C0000u);
    EXPECT_EQ(request.placement, 0u);
    EXPECT_EQ(request.options, 0u);
    EXPECT_EQ(request.callback, &globalEventTapCallback);
    EXPECT_EQ(request.userInfo, nullptr);
  }
  EXPECT_EQ(Inspector::eventTap(*m.monitor), nullptr);
  EXPECT_FALSE(Inspector::hasRunLoopSource(*m.monitor));
  EXPECT_TRUE(system.enables.empty());
  // Without the framework the platform's touchpad frames stand in; the monitors are all there.
  EXPECT_EQ(Inspector::mtHandle(*m.monitor), nullptr);
  EXPECT_EQ(m.platform.contactFrames->starts, 1);
  EXPECT_EQ(Inspector::activeDevices(*m.monitor), 1u);
  EXPECT_EQ(system.globalMagnifyMonitors(), 1);
  EXPECT_EQ(system.globalKeyDownMonitors(), 1);
  EXPECT_TRUE(Inspector::hasLocalMonitors(*m.monitor));

  // A monitor that goes away takes its monitors along.
  m.monitor.reset();
  m.drained();
  EXPECT_EQ(system.globalMagnifyMonitors(), 0);
  EXPECT_EQ(system.globalKeyDownMonitors(), 0);
  EXPECT_FALSE(m.platform.contactFrames->deliver({}, 1.0));
  EXPECT_EQ(system.deliverLocalKeyDownEvent({keycode::kF4, 0}), EventDisposition::deliver);
}

TEST(EventTapTest, SwallowsGestureEventsWhileFourFingersRestOrRightAfterAPinch) {
  RecordingMonitor m;
  m.platform.eventMonitors->tapLocationsThatWork = {Monitor::kTapLocationSession};
  m.monitor->startMonitoring();
  ASSERT_NE(Inspector::eventTap(*m.monitor), nullptr);
  EXPECT_TRUE(Inspector::hasRunLoopSource(*m.monitor));
  using Enable = std::pair<std::uint32_t, bool>;
  EXPECT_EQ(m.platform.eventMonitors->enables, (std::vector<Enable>{{1, true}}));

  const std::uint32_t gestures[] = {18, 19, 20, 29, 30, 31};
  const auto passes = [&](std::uint32_t type) {
    return m.monitor->handleTappedEvent(type, anEvent()) == anEvent();
  };

  // Three fingers, no recent pinch: everything passes.
  m.frame(ring(3, 0.1f), 10.0);
  for (const auto type : gestures)
    EXPECT_TRUE(passes(type)) << type;
  EXPECT_TRUE(passes(22));

  // Four fingers: gestures and scrolling are swallowed, other events pass.
  m.frame(ring(4, 0.1f), 10.01);
  for (const auto type : gestures)
    EXPECT_FALSE(passes(type)) << type;
  EXPECT_FALSE(passes(22));
  EXPECT_TRUE(passes(10));
  EXPECT_TRUE(passes(1));

  // Right after a pinch, with the fingers lifted: gestures for 0.35 s, scrolling passes.
  m.lift(10.02);
  m.frame(fingersWithSpread(0.25f), 11.0);
  m.frame(fingersWithSpread(0.19f), 11.01);
  m.lift(11.02);
  EXPECT_EQ(m.drained(), (Events{"in", "release"}));
  m.platform.scheduler->advance(0.34);
  for (const auto type : gestures)
    EXPECT_FALSE(passes(type)) << type;
  EXPECT_TRUE(passes(22));
  m.platform.scheduler->advance(0.01);
  for (const auto type : gestures)
    EXPECT_TRUE(passes(type)) << type;

  // The two notices of a disabled tap re-enable it and pass on.
  EXPECT_TRUE(passes(0xFFFFFFFE));
  m.frame(ring(5, 0.1f), 12.0);
  EXPECT_TRUE(passes(0xFFFFFFFF));
  EXPECT_EQ(m.platform.eventMonitors->enables,
            (std::vector<Enable>{{1, true}, {1, true}, {1, true}}));
}

TEST(MagnifyTest, ClosingOrOpeningSumsTriggerOnceEveryCooldown) {
  RecordingMonitor m;
  m.monitor->startMonitoring();
  auto& system = *m.platform.eventMonitors;

  // A two-finger pinch-zoom elsewhere that closes by 0.25 in all.
  system.sendGlobalMagnify({1, -0.1});
  system.sendGlobalMagnify({4, -0.1});
  EXPECT_EQ(m.drained(), Events{});
  system.sendGlobalMagnify({4, -0.05});
  EXPECT_EQ(m.drained(), Events{"in"});
  EXPECT_EQ(Inspector::accumulatedMagnification(*m.monitor), 0.0);
  EXPECT_EQ(Inspector::lastTriggerWallTime(*m.monitor), m.platform.scheduler->now());

  // Within 0.42 s nothing fires, the sum goes on; the first event after fires.
  m.platform.scheduler->advance(0.41);
  EXPECT_EQ(system.deliverLocalMagnifyEvent({1, 0.2}), EventDisposition::deliver);
  EXPECT_EQ(system.deliverLocalMagnifyEvent({4, 0.1}), EventDisposition::deliver);
  EXPECT_EQ(m.drained(), Events{});
  EXPECT_DOUBLE_EQ(Inspector::accumulatedMagnification(*m.monitor), 0.3);
  m.platform.scheduler->advance(0.02);
  system.sendGlobalMagnify({4, 0.0});
  EXPECT_EQ(m.drained(), Events{"out"});

  // A began phase starts a new sum; broken values do not poison it.
  m.platform.scheduler->advance(1.0);
  system.sendGlobalMagnify({4, -0.2});
  system.sendGlobalMagnify({1, -0.2});
  system.sendGlobalMagnify({4, std::numeric_limits<double>::quiet_NaN()});
  EXPECT_EQ(m.drained(), Events{});
  EXPECT_DOUBLE_EQ(Inspector::accumulatedMagnification(*m.monitor), -0.2);
  system.sendGlobalMagnify({4, -0.03});
  EXPECT_EQ(m.drained(), Events{"in"});

  // A pinch from the contact frames blocks magnify for 0.42 s.
  m.platform.scheduler->advance(1.0);
  m.frame(fingersWithSpread(0.25f), 20.0);
  m.frame(fingersWithSpread(0.19f), 20.01);
  EXPECT_EQ(m.drained(), Events{"in"});
  system.sendGlobalMagnify({1, 0.3});
  EXPECT_EQ(m.drained(), Events{});
}

TEST(HotKeyTest, MatchesTheFourKeysWithTheirExactModifiers) {
  using namespace modifier;
  const std::uint64_t any[] = {0, kShift, kCommand | kOption, kCapsLock | kFunction, 0x1FFFFFF};
  for (const auto flags : any) {
    EXPECT_TRUE(Monitor::isHotKey(keycode::kF4, flags));
    EXPECT_TRUE(Monitor::isHotKey(keycode::kLauncher, flags));
  }
  EXPECT_TRUE(Monitor::isHotKey(keycode::kSpace, kOption));
  EXPECT_TRUE(Monitor::isHotKey(keycode::kSpace, kOption | 0x120));  // device-specific bits
  EXPECT_FALSE(Monitor::isHotKey(keycode::kSpace, kOption | kCapsLock));
  EXPECT_FALSE(Monitor::isHotKey(keycode::kSpace, 0));
  EXPECT_TRUE(Monitor::isHotKey(keycode::kL, kCommand | kShift));
  EXPECT_FALSE(Monitor::isHotKey(keycode::kL, kCommand | kShift | kOption));
  EXPECT_FALSE(Monitor::isHotKey(keycode::kL, kCommand));
  EXPECT_FALSE(Monitor::isHotKey(keycode::kL, kControl | kShift));
  EXPECT_FALSE(Monitor::isHotKey(keycode::kEscape, 0));
  EXPECT_FALSE(Monitor::isHotKey(119, 0));
}

TEST(HotKeyTest, LocalMonitorConsumesHotKeysAndEveryPressToggles) {
  RecordingMonitor m;
  m.monitor->startMonitoring();
  auto& system = *m.platform.eventMonitors;
  EXPECT_EQ(system.deliverLocalKeyDownEvent({keycode::kF4, 0}), EventDisposition::consume);
  EXPECT_EQ(system.deliverLocalKeyDownEvent({keycode::kF4, 0}), EventDisposition::consume);
  EXPECT_EQ(system.deliverLocalKeyDownEvent({keycode::kL, modifier::kCommand}),
            EventDisposition::deliver);
  EXPECT_EQ(*m.events, Events{}) << "toggles go through the main queue";
  EXPECT_EQ(m.drained(), (Events{"toggle", "toggle"}));
  system.sendGlobalKeyDown({keycode::kL, modifier::kCommand | modifier::kShift});
  system.sendGlobalKeyDown({keycode::kSpace, modifier::kOption | modifier::kCapsLock});
  EXPECT_EQ(m.drained(), Events{"toggle"});
}

TEST(LinuxKeysTest, TranslateToTheProgramsCodesAndFlags) {
  using namespace modifier;
  const auto press = [](unsigned key, LinuxModifiers held = {}) {
    return translateLinuxKeyDown(key, held);
  };
  LinuxModifiers ctrlShift;
  ctrlShift.control = ctrlShift.shift = true;
  const auto l = press(KEY_L, ctrlShift);
  ASSERT_TRUE(l);
  EXPECT_EQ(l->keyCode, keycode::kL);
  EXPECT_EQ(l->modifierFlags, kCommand | kShift);
  EXPECT_TRUE(Monitor::isHotKey(l->keyCode, l->modifierFlags));

  LinuxModifiers alt;
  alt.alt = true;
  EXPECT_TRUE(
      Monitor::isHotKey(press(KEY_SPACE, alt)->keyCode, press(KEY_SPACE, alt)->modifierFlags));
  alt.capsLockOn = true;
  EXPECT_EQ(press(KEY_SPACE, alt)->modifierFlags, kOption | kCapsLock);
  LinuxModifiers super;
  super.super = true;
  EXPECT_EQ(press(KEY_V, super)->modifierFlags, kControl);

  EXPECT_EQ(press(KEY_F4)->keyCode, keycode::kF4);
  EXPECT_EQ(press(KEY_F4)->modifierFlags, kFunction);
  EXPECT_EQ(press(KEY_DASHBOARD)->keyCode, keycode::kLauncher);
  EXPECT_EQ(press(KEY_ALL_APPLICATIONS)->keyCode, keycode::kLauncher);
  EXPECT_EQ(press(KEY_ESC)->keyCode, keycode::kEscape);
  EXPECT_EQ(press(KEY_ENTER)->keyCode, keycode::kReturn);
  EXPECT_EQ(press(KEY_BACKSPACE)->keyCode, keycode::kDelete);
  EXPECT_EQ(press(KEY_UP)->keyCode, keycode::kUpArrow);
  EXPECT_EQ(press(KEY_UP)->modifierFlags, kNumericPad | kFunction);
  EXPECT_EQ(press(KEY_KP5)->modifierFlags, kNumericPad);
  EXPECT_EQ(press(KEY_A)->keyCode, 0);
  EXPECT_EQ(press(KEY_A)->modifierFlags, 0u);

  // Modifier keys change flags, they are not key presses; unknown keys have no code.
  for (const unsigned key :
       {KEY_LEFTCTRL, KEY_RIGHTSHIFT, KEY_LEFTALT, KEY_RIGHTMETA, KEY_CAPSLOCK}) {
    EXPECT_FALSE(press(key)) << key;
  }
  EXPECT_FALSE(press(KEY_RESERVED));
  EXPECT_FALSE(press(KEY_MAX));
  EXPECT_FALSE(press(100000));

  // No two keys of a PC keyboard's main block share a code.
  std::set<std::uint16_t> codes;
  for (unsigned key = KEY_ESC; key <= KEY_KPDOT; ++key) {
    if (const auto code = macKeyCodeForLinuxKey(key)) {
      EXPECT_TRUE(codes.insert(*code).second) << "Linux key " << key;
    }
  }
}

TEST(PosixEventMonitorsTest, NoTapAndNoMonitorsWithoutDevicesButLocalMonitorsWork) {
  auto scheduler = testing::ManualScheduler::make();
  testing::TempDir empty;
  empty.write("event0", "not a device");
  PosixEventMonitors monitors(scheduler->mainQueue(), empty.path());
  EXPECT_EQ(
      monitors.createEventTap(0, 0, 0, Monitor::kEventTapMask, &globalEventTapCallback, nullptr),
      nullptr);
  EXPECT_FALSE(monitors.addGlobalMagnifyMonitor([](const MagnifyEvent&) {}));
  EXPECT_FALSE(monitors.addGlobalKeyDownMonitor([](const KeyDownEvent&) {}));

  int seen = 0;
  auto first = monitors.addLocalKeyDownMonitor([&](const KeyDownEvent& event) {
    ++seen;
    return event.keyCode == 1 ? EventDisposition::consume : EventDisposition::deliver;
  });
  auto second = monitors.addLocalKeyDownMonitor([&](const KeyDownEvent&) {
    seen += 10;
    return EventDisposition::deliver;
  });
  EXPECT_EQ(monitors.deliverLocalKeyDownEvent({1, 0}), EventDisposition::consume);
  EXPECT_EQ(seen, 1) << "a consumed event goes no further";
  EXPECT_EQ(monitors.deliverLocalKeyDownEvent({2, 0}), EventDisposition::deliver);
  EXPECT_EQ(seen, 12);
  first.reset();
  EXPECT_EQ(monitors.deliverLocalKeyDownEvent({1, 0}), EventDisposition::deliver);
  EXPECT_EQ(seen, 22);
  monitors.setOwnWindowHasKeyboardFocus(true);
  EXPECT_TRUE(monitors.ownWindowHasKeyboardFocus());
}

}  // namespace
}  // namespace calyxa
