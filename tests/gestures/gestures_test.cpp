#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <linux/input-event-codes.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
#include <map>
#include <new>
#include <numbers>
#include <sstream>
#include <thread>

#include "gestures/contact_frame_file.h"
#include "gestures/system_gesture_conflict_resolver.h"
#include "platform/keyboard_codes.h"
#include "platform/posix/evdev_contact_frame_source.h"
#include "platform/posix/file_io.h"
#include "platform/posix/linux_key_translation.h"
#include "platform/posix/plist_io.h"
#include "platform/posix/plist_preference_store.h"
#include "support/ctl_runner.h"
#include "support/pinch_monitor_inspector.h"
#include "support/test_platform.h"

// Counts the calling thread's allocations while asked to; pairs malloc with free itself.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
thread_local bool countingAllocations = false;
thread_local long allocations = 0;
void* operator new(std::size_t size) {
  allocations += countingAllocations;
  if (void* block = std::malloc(size ? size : 1)) return block;
  throw std::bad_alloc();
}
void operator delete(void* block) noexcept {
  std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
  std::free(block);
}

namespace calyxa {
namespace {

using namespace testing;
using ::testing::HasSubstr, ::testing::MatchesRegex, ::testing::Not, ::testing::StartsWith;
using Monitor = MultitouchPinchMonitor;

char eventBytes;
TappedEvent* const anEvent = reinterpret_cast<TappedEvent*>(&eventBytes);
using Points = std::vector<TouchPoint>;
using Events = std::vector<std::string>;

Points ring(int n, float radius) {
  Points points;
  for (double angle = 0; points.size() < std::size_t(n); angle += 2 * std::numbers::pi / n)
    points.push_back(
        {0.5f + radius * float(std::cos(angle)), 0.5f + radius * float(std::sin(angle))});
  return points;
}

// Four fingers on the corners of a square; its spread is about 0.9546 × side.
Points square(float side) {
  return {{0.2f, 0.2f}, {0.2f + side, 0.2f}, {0.2f + side, 0.2f + side}, {0.2f, 0.2f + side}};
}
Points fingersWithSpread(float spread) {
  return square(spread / 0.954594f);
}

std::vector<ContactRecord> touching(const Points& points) {
  std::vector<ContactRecord> records;
  for (const auto& p : points)
    records.push_back(ContactRecord::make(4, p.x, p.y));
  return records;
}

// Frames "time:spread" (four fingers), "time:radius*n" (n on a circle), "time:-k" (k empty).
std::vector<std::pair<double, Points>> scriptedFrames(const std::string& script) {
  std::istringstream words(script);
  std::vector<std::pair<double, Points>> frames;
  for (std::string word; words >> word;) {
    const std::string shape = word.substr(word.find(':') + 1);
    const auto star = shape.find('*');
    const bool empty = shape[0] == '-';
    for (int i = 0; i < (empty ? std::max(1, std::atoi(&shape[1])) : 1); ++i) {
      frames.emplace_back(std::stod(word) + i * 0.01,
                          empty ? Points{}
                          : star == std::string::npos
                              ? fingersWithSpread(std::stof(shape))
                              : ring(std::stoi(shape.substr(star + 1)), std::stof(shape)));
    }
  }
  return frames;
}

// Four fingers near a square of `approx` whose spread, in single precision, satisfies `want`.
std::optional<Points> fingersWhere(float approx, const std::function<bool(float)>& want) {
  Points points = fingersWithSpread(approx);
  const float x = points[2].x, y = points[1].y;
  const auto step = [](float v, int i) { return std::bit_cast<float>(std::bit_cast<int>(v) + i); };
  for (int i = -96; i <= 96; ++i) {
    for (int j = -96; j <= 96; ++j) {
      points[2].x = step(x, i);
      points[1].y = step(y, j);
      if (want(Monitor::spreadOf(points))) return points;
    }
  }
  return std::nullopt;
}

// A monitor on a test platform whose four callbacks write down their names.
struct RecordingMonitor {
  TestPlatform platform;
  std::shared_ptr<Monitor> monitor = Monitor::make(platform.services());
  Events events;

  RecordingMonitor() {
    for (const auto& [slot, name] : {std::pair{&Monitor::onPinchIn, "in"},
                                     {&Monitor::onPinchOut, "out"},
                                     {&Monitor::onGestureRelease, "release"},
                                     {&Monitor::onToggleTilewell, "toggle"}})
      (*monitor).*slot = [this, name] { events.push_back(name); };
    // Media time well past the trigger time of zero that a new monitor starts with.
    platform.scheduler->advanceTo(100.0);
  }
  void frame(const Points& points, double time) {
    const auto records = touching(points);
    monitor->handleContactFrame(records.data(), std::int32_t(records.size()), time);
  }
  Events drained() {
    platform.scheduler->runReady();
    return std::exchange(events, {});
  }
  // Plays scripted frames; returns the callbacks run, "name@frame time".
  std::string play(const std::string& script) {
    std::ostringstream log;
    for (const auto& [time, points] : scriptedFrames(script)) {
      frame(points, time);
      for (const auto& event : drained())
        log << (log.tellp() > 0 ? " " : "") << event << "@" << time;
    }
    return log.str();
  }
};

// Runs the built calyxa-ctl with HOME and XDG_CONFIG_HOME in `home`.
CtlRun calyxaCtl(const TempDir& home, const std::vector<std::string>& arguments) {
  EXPECT_FALSE(testing::calyxaCtlPath().empty()) << "CALYXA_CTL names the built calyxa-ctl";
  return testing::runCalyxaCtl(
      arguments, {{"HOME", home.path().string()}, {"XDG_CONFIG_HOME", (home / "config").string()}});
}

Events twoFrames(const Points& first, const Points& second) {
  RecordingMonitor m;
  m.frame(first, 10.0);
  m.frame(second, 10.01);
  return m.drained();
}

TEST(PinchRecogniserTest, RecordedSequencesGiveTheirEventsAtTheirFrames) {
  const std::pair<std::string, std::string> sequences[] = {
      // 12 % and 0.03 below the peak is not yet a pinch; one pinch and one release an episode.
      {"10:.25 10.01:.22 10.02:.19 10.5:.10 10.6:.40 10.7:-3 10.73:- 10.74:-20 11:.10 11.01:.16",
       "in@10.02 release@10.73 out@11.01"},
      // Five fingers count as four, three never start an episode nor end it with a release.
      {"10:.15*5 10.01:.11*5", "in@10.01"},
      {"10:.3*3 10.01:.05*3 10.02:.3*3 10.03:.05*4 10.04:-4", ""},
      // Dropouts of up to three frames keep the episode; four end it: 0.20 is a new baseline.
      {"10:.25 10.01:.1*2 10.02:- 10.03:.1*3 10.04:.20 10.05:-3 10.5:.40 10.6:-3 10.63:-",
       "in@10.04 release@10.63"},
      {"11:.25 11.01:-4 11.05:.20", ""},
      // Up to 0.42 s of frame time after a pinch frames set no baseline.
      {"10:.25 10.1:.19 10.11:-4 10.4:.30 10.519:.30 10.521:.24 10.53:.18",
       "in@10.1 release@10.14 in@10.53"},
  };
  for (const auto& [frames, events] : sequences)
    EXPECT_EQ(RecordingMonitor().play(frames), events) << frames;
  // A square of side s: widest pair s√2, mean radius s/√2; five on a circle: 2r·sin 72°, r.
  EXPECT_NEAR(Monitor::spreadOf(square(0.1f)), 0.35 * 0.1414214 + 0.65 * 0.0707107, 1e-6);
  EXPECT_NEAR(Monitor::spreadOf(ring(5, 0.15f)), 0.35 * 0.3 * 0.9510565 + 0.65 * 0.15, 1e-6);
}

TEST(PinchRecogniserTest, CallbacksRunLaterWithTheSlotOfThatMomentAndKeepTheMonitor) {
  RecordingMonitor m;
  m.monitor->onGestureRelease = nullptr;
  for (const auto& [time, points] : scriptedFrames("12:.25 12.01:.19 12.02:-4"))
    m.frame(points, time);
  int replaced = 0;
  m.monitor->onPinchIn = [&replaced] { ++replaced; };
  const std::weak_ptr<Monitor> weak = std::exchange(m.monitor, nullptr);
  EXPECT_FALSE(weak.expired());
  EXPECT_EQ(m.drained(), Events{});  // the empty release slot is skipped
  EXPECT_TRUE(replaced == 1 && weak.expired());
}

TEST(PinchRecogniserTest, ThresholdsHoldExactlyAtTheirLimitsInSinglePrecision) {
  const auto exactly = [](float target) {
    auto points = fingersWhere(target, [target](float s) { return s == target; });
    EXPECT_TRUE(points) << "no shape with spread " << target;
    return points.value_or(Points{});
  };
  // The peak must exceed 0.13 and the minimum 0.05.
  const Points closed = fingersWithSpread(0.09f), opened = fingersWithSpread(0.11f);
  EXPECT_EQ(twoFrames(exactly(0.13f), closed), Events{});
  EXPECT_EQ(twoFrames(exactly(std::nextafter(0.13f, 1.0f)), closed), Events{"in"});
  EXPECT_EQ(twoFrames(exactly(0.05f), opened), Events{});
  EXPECT_EQ(twoFrames(exactly(std::nextafter(0.05f, 1.0f)), opened), Events{"out"});
  // One float step either side of a drop of 0.035 and 16 %, a rise of 0.044f (< 0.044) and 22 %;
  // from 0.45 and 0.2 the ratios land exactly on 0.16f and 0.22f.
  const std::tuple<float, float, std::function<bool(float)>> limits[] = {
      {0.2f, 0.165f, [](float s) { return 0.2f - s >= 0.035f; }},
      {0.45f, 0.378f, [](float s) { return (0.45f - s) / 0.45f >= 0.16f; }},
      {0.08f, 0.124f, [](float s) { return s - 0.08f >= 0.044f; }},
      {0.3f, 0.366f, [](float s) { return (s - 0.3f) / 0.3f >= 0.22f; }},
      {0.2f, 0.244f, [](float s) { return (s - 0.2f) / 0.2f >= 0.22f; }},
  };
  for (const auto& [base, approx, fires] : limits) {
    const float away = approx < base ? 1.0f : -1.0f;
    const auto at =
        fingersWhere(approx, [&](float s) { return fires(s) && !fires(std::nextafter(s, away)); });
    const auto under =
        fingersWhere(approx, [&](float s) { return !fires(s) && fires(std::nextafter(s, -away)); });
    ASSERT_TRUE(at && under) << approx;
    EXPECT_EQ(twoFrames(exactly(base), *at), Events{approx < base ? "in" : "out"}) << approx;
    EXPECT_EQ(twoFrames(exactly(base), *under), Events{}) << approx;
  }
}

TEST(PinchRecogniserTest, BadRecordsAreSkippedAndBadFramesAllocateOnlyThePointArray) {
  // Only states 4 and 5 inside 0..1, edges included, are fingers: the spread is theirs.
  const Points kept = {{1.0f, 0.0f}, {0.0f, 1.0f}, {0.5f, 0.5f}, {1.0f, 1.0f}};
  auto records = touching(kept);
  records[3] = ContactRecord::make(5, 1.0f, 1.0f);
  for (const float bad : {1.0001f, -0.0001f, std::numeric_limits<float>::quiet_NaN(), 1 / 0.0f}) {
    records.push_back(ContactRecord::make(4, bad, 0.5f));
    records.push_back(ContactRecord::make(4, 0.5f, bad));
  }
  for (const std::int32_t state : {0, 3, 6, -4})
    records.push_back(ContactRecord::make(state, 0.5f, 0.5f));
  RecordingMonitor m;
  using Inspector = MultitouchPinchMonitorInspector;
  m.monitor->handleContactFrame(records.data(), std::int32_t(records.size()), 9.0);
  EXPECT_EQ(Inspector::initialSpread(*m.monitor), Monitor::spreadOf(kept));
  const auto frame = [&](const void* records, std::int32_t count, double time) {
    countingAllocations = true;
    allocations = 0;
    m.monitor->handleContactFrame(records, count, time);
    countingAllocations = false;
    return allocations;
  };
  // After a pinch, null records and counts below one end the episode as lifted fingers do.
  EXPECT_EQ(m.play("9.1:-4 10:.25 10.01:.19"), "in@10.01");
  EXPECT_EQ(frame(nullptr, 4, 10.02) + frame(&records[0], 0, 10.03) + frame(&records[0], -7, 10.04),
            0);
  m.monitor->handleContactFrame(nullptr, std::numeric_limits<std::int32_t>::min(), 10.05);
  EXPECT_EQ(m.drained(), Events{"release"});
  // Usual frames need no memory; thousands of contacts need just their point array.
  EXPECT_EQ(frame(&records[0], 4, 11.0) + frame(&records[0], 4, 11.01), 0);
  Points crowd;
  for (int i = 0; i < 3000; ++i)
    crowd.push_back({(i % 100) / 99.0f, (i / 100) / 29.0f});
  EXPECT_EQ(m.play("11.02:-4"), "");
  EXPECT_EQ(frame(touching(crowd).data(), 3000, 11.1), 1);
  EXPECT_EQ(Inspector::initialSpread(*m.monitor), Monitor::spreadOf(crowd));
}

// Frames from the source's thread meet the main thread's queue, tap and magnify; also TSan-run.
TEST(PinchThreadingTest, FramesFromTheReaderThreadMeetTheMainThreadWithoutRaces) {
  RecordingMonitor m;
  m.platform.eventMonitors->tapLocationsThatWork = {Monitor::kTapLocationHID};
  m.monitor->startMonitoring();
  constexpr int kEpisodes = 40;
  std::atomic<int> mainSteps{0};
  std::atomic<bool> done{false};
  std::thread reader([&] {
    for (int episode = 0; episode < kEpisodes; ++episode) {
      while (mainSteps.load() < episode * 2)  // keeps pace, so that the two really overlap
        std::this_thread::yield();
      for (const auto& [time, points] : scriptedFrames("0:.10 .1:.12 .2:.15 .3:.16 .4:-4"))
        m.platform.contactFrames->deliver(touching(points), 10 + episode + time);
    }
    done = true;
  });
  for (; !done; ++mainSteps) {
    m.platform.scheduler->advance(0.05);
    m.monitor->handleTappedEvent(Monitor::kEventTypeSwipe, anEvent);
    m.platform.eventMonitors->deliverLocalMagnifyEvent({kEventPhaseBegan, -0.3});
  }
  reader.join();
  const auto events = m.drained();
  EXPECT_EQ(std::count(events.begin(), events.end(), "out"), kEpisodes);
  EXPECT_EQ(std::count(events.begin(), events.end(), "release"), kEpisodes);
}

TEST(EventTapTest, SwallowsGesturesWhileFourFingersRestOrWithin035sOfAPinch) {
  for (const std::uint32_t type : {18, 19, 20, 29, 30, 31})
    EXPECT_TRUE(Monitor::tapPassesEvent(type, 3, 0.35) && !Monitor::tapPassesEvent(type, 4, 9.0) &&
                !Monitor::tapPassesEvent(type, 3, std::nextafter(0.35, 0.0)))
        << type;
  // Scrolling is swallowed only while four fingers rest; other events always pass.
  EXPECT_TRUE(Monitor::tapPassesEvent(22, 3, 0.0) && !Monitor::tapPassesEvent(22, 5, 9.0));
  EXPECT_TRUE(Monitor::tapPassesEvent(10, 5, 0.0) && Monitor::tapPassesEvent(1, 4, 0.0));
  // The tap goes in once, at the session level when the HID level fails.
  RecordingMonitor m;
  auto& system = *m.platform.eventMonitors;
  system.tapLocationsThatWork = {Monitor::kTapLocationSession};
  m.monitor->startMonitoring();
  m.monitor->startMonitoring();
  EXPECT_EQ(system.tapRequests, (decltype(system.tapRequests){{0, 0xE05C0000}, {1, 0xE05C0000}}));
  // It counts fingers and times pinches from the frames; disabled-tap notices re-enable it.
  const auto passes = [&](const std::string& frames, std::uint32_t type) {
    m.play(frames);
    return m.monitor->handleTappedEvent(type, anEvent) == anEvent;
  };
  EXPECT_TRUE(passes("10:.1*3", 31) && !passes("10.01:.1*4", 31));
  EXPECT_EQ(m.play("10.02:-4 11:.25 11.01:.19 11.02:-4"), "in@11.01 release@11.05");
  m.platform.scheduler->advance(0.34);
  EXPECT_TRUE(!passes("", 31) && passes("", 22));
  m.platform.scheduler->advance(0.01);
  EXPECT_TRUE(passes("", 31) && passes("", 0xFFFFFFFE) && passes("12:.1*5", 0xFFFFFFFF));
  EXPECT_EQ(system.enables, std::vector<bool>(3, true));
  // A monitor that goes away takes its monitors and its frame session along.
  m.monitor.reset();
  EXPECT_FALSE(*system.magnify || *system.keyDown || m.platform.contactFrames->deliver({}, 13.0));
  EXPECT_EQ(system.deliverLocalKeyDownEvent({keycode::kF4, 0}), EventDisposition::deliver);
}

TEST(MagnifyTest, SumsPastTheirThresholdsTriggerOnceEvery042s) {
  RecordingMonitor m;
  m.monitor->startMonitoring();
  const auto magnify = [&](std::int64_t phase, double amount, double later = 0.0) {
    m.platform.scheduler->advance(later);
    (*m.platform.eventMonitors->magnify)({phase, amount});
    return m.drained();
  };
  // A began phase starts a sum; exactly -0.22 or 0.25 is not past its threshold.
  for (const double limit : {-0.22, 0.25}) {
    EXPECT_EQ(magnify(1, limit, 1.0), Events{}) << limit;
    EXPECT_EQ(magnify(4, limit * 1e-6), Events{limit < 0 ? "in" : "out"}) << limit;
  }
  // A magnify trigger marks media time, not the frames' cooldown on frame time.
  EXPECT_EQ(m.play("10:.25 10.01:.19 10.02:-4"), "in@10.01 release@10.05");
  // A trigger empties the sum; for 0.42 s nothing fires but the sum goes on, local events too.
  m.platform.scheduler->advance(0.41);
  m.platform.eventMonitors->deliverLocalMagnifyEvent({4, -0.2});
  EXPECT_EQ(magnify(4, -0.1), Events{});
  EXPECT_EQ(magnify(4, 0.0, 0.02), Events{"in"});
  // Broken values do not poison the sum; a pinch of the frames blocks magnify for 0.42 s too.
  magnify(1, -0.2, 1.0);
  EXPECT_EQ(magnify(4, std::numeric_limits<double>::quiet_NaN()), Events{});
  EXPECT_EQ(magnify(4, -0.03), Events{"in"});
  m.platform.scheduler->advance(1.0);
  EXPECT_EQ(m.play("20:.25 20.01:.19"), "in@20.01");
  EXPECT_EQ(magnify(1, 0.3), Events{});
}

TEST(HotKeyTest, F4The131KeyOptionSpaceAndCommandShiftLToggleEveryPress) {
  using namespace modifier;
  for (const std::uint64_t flags : {0ul, kShift, kCommand | kOption, kFunction, 0x1FFFFFFul})
    EXPECT_TRUE(Monitor::isHotKey(keycode::kF4, flags) && Monitor::isHotKey(131, flags)) << flags;
  EXPECT_TRUE(Monitor::isHotKey(keycode::kSpace, kOption | 0x120));  // device-specific bits
  EXPECT_TRUE(Monitor::isHotKey(keycode::kL, kCommand | kShift));
  EXPECT_FALSE(Monitor::isHotKey(keycode::kSpace, kOption | kCapsLock) ||
               Monitor::isHotKey(keycode::kSpace, 0) || Monitor::isHotKey(keycode::kEscape, 0) ||
               Monitor::isHotKey(keycode::kL, kCommand | kShift | kOption) ||
               Monitor::isHotKey(keycode::kL, kCommand) ||
               Monitor::isHotKey(keycode::kL, kControl | kShift));
  // On Linux Ctrl is Command, Alt is Option; modifier keys alone are no key presses.
  const auto ctrlShiftL = translateLinuxKeyDown(KEY_L, {.shift = true, .control = true});
  const auto altSpace = translateLinuxKeyDown(KEY_SPACE, {.alt = true});
  EXPECT_TRUE(ctrlShiftL && Monitor::isHotKey(ctrlShiftL->keyCode, ctrlShiftL->modifierFlags) &&
              altSpace && Monitor::isHotKey(altSpace->keyCode, altSpace->modifierFlags) &&
              !translateLinuxKeyDown(KEY_LEFTALT, {}) && !translateLinuxKeyDown(KEY_MAX, {}));
  // The window's hot keys are consumed; every press toggles, other programs' presses too.
  RecordingMonitor m;
  m.monitor->startMonitoring();
  auto& system = *m.platform.eventMonitors;
  EXPECT_EQ(system.deliverLocalKeyDownEvent({keycode::kF4, 0}), EventDisposition::consume);
  EXPECT_EQ(system.deliverLocalKeyDownEvent({keycode::kF4, 0}), EventDisposition::consume);
  EXPECT_EQ(system.deliverLocalKeyDownEvent({keycode::kL, kCommand}), EventDisposition::deliver);
  EXPECT_EQ(m.events, Events{}) << "toggles go through the main queue";
  EXPECT_EQ(m.drained(), (Events{"toggle", "toggle"}));
  (*system.keyDown)({keycode::kL, kCommand | kShift});
  (*system.keyDown)({keycode::kSpace, kOption | kCapsLock});
  EXPECT_EQ(m.drained(), Events{"toggle"});
}

// Evdev falls silent once the last finger lifts: the frame that ends a touch ends the episode.
TEST(PinchRecogniserTest, TheTouchpadFrameThatEndsATouchReleasesThePinch) {
  RecordingMonitor m;
  EXPECT_EQ(m.play("10:.25 10.01:.19"), "in@10.01");
  std::int32_t frameNumber = 0;
  const auto toMonitor = [&](auto, const void* records, std::int32_t count, double time, auto) {
    m.monitor->handleContactFrame(records, count, time);
  };
  deliverTouchpadFrame(0, {10.02, {}, true}, toMonitor, frameNumber);
  EXPECT_EQ(m.drained(), Events{"release"});
}

std::string frameLines(const std::string& script) {
  std::string text;
  for (const auto& [time, points] : scriptedFrames(script)) {
    const auto records = touching(points);
    text += formatFrameLine(time, records.data(), std::int32_t(records.size())) + "\n";
  }
  return text;
}

std::string repeatedContact(int count) {
  std::string contacts;
  for (int i = 0; i < count; ++i)
    contacts += " 4 0.5 0.5";
  return contacts;
}

TEST(TouchpadCommandTest, ReplayPrintsEventsAtTheirFramesAndRefusesMalformedFiles) {
  TempDir home;
  const auto file = home.write(
      "pinch.frames",
      "# four fingers close, lift with one left; a second touch opens\n\n" +
          frameLines("100:.25 100.0125:.22 100.025:.19 100.0375:.10 100.05:-3 100.0875:0*1") +
          "  # fingers down again within the cooldown: no baseline yet\n" +
          frameLines("100.1:- 100.2:.10 100.3:.20 100.5:.10 100.5125:.16") +
          "100.525 0\r\n100.5375\t0\n100.55 0\n100.5625 0\n");
  const CtlRun run = calyxaCtl(home, {"touchpad", "replay", file.string()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "pinch-in 100.025\nrelease 100.0875\npinch-out 100.5125\nrelease 100.5625\n");
  // As many contacts as the touchpad has slots, and comments of any length, are fine.
  const auto full = home.write(
      "full.frames", "# " + std::string(200000, 'x') + "\n1 64" + repeatedContact(64) + "\n");
  EXPECT_EQ(calyxaCtl(home, {"touchpad", "replay", full.string()}).status, 0);
  // A malformed frame is named by its line, and nothing is replayed.
  const auto good = frameLines("10:.25 10.01:.19");
  for (const auto& [line, message] : std::initializer_list<std::pair<std::string, std::string>>{
           {"x 0", ":3: expected a timestamp in seconds, found \"x\""},
           {"nan 0", ":3: expected a timestamp"},
           {"11", ":3: expected the number of contacts after the timestamp"},
           {"11 -1", ":3: expected the number of contacts (0 or more), found \"-1\""},
           {"11 2 4 0.5 0.5", ":3: the frame announces 2 contacts but has values for 1"},
           {"11 1 4 0.5 0.5 4", ":3: the frame announces 1 contacts but goes on with \"4\""},
           {"11 1 four 0.5 0.5", ":3: contact 1: bad state \"four\""},
           {"11 1 4 0,5 0.5", ":3: contact 1: bad x \"0,5\""},
           {"11 1 4 0.5 +1", ":3: contact 1: bad y \"+1\""},
           {"11 99999999999 4 0.5 0.5", ":3: expected the number of contacts"},
           // The kernel has 64 slots: a longer frame is refused before its contacts are read.
           {"11 65" + repeatedContact(65),
            ":3: a frame carries at most 64 contacts (the touchpad's slots), found 65"},
           {"11 100000" + repeatedContact(100000), ":3: a frame carries at most 64"},
           // What is quoted from the file cannot drive the terminal or cut the message.
           {std::string("\x1b[2J\0\x9b\xff 0", 9),
            ":3: expected a timestamp in seconds, found \"\\x1b[2J\\x00\\x9b\\xff\"\n"}}) {
    const auto bad = home.write("bad.frames", good + line + "\n" + good);
    const CtlRun failed = calyxaCtl(home, {"touchpad", "replay", bad.string()});
    EXPECT_EQ(failed.status, 65) << line;
    EXPECT_EQ(failed.out, "") << line;
    EXPECT_THAT(failed.err, HasSubstr(bad.string() + message));
  }
}

std::map<std::string, std::string> filesIn(const std::filesystem::path& folder) {
  std::map<std::string, std::string> contents;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) contents[entry.path()] = readFileBytes(entry, 1 << 20).bytes;
  }
  return contents;
}

const std::string kDock = "\ncom.apple.dock::showLaunchpadGestureEnabled kCFPreferencesAnyHost";
const std::string kPrefs = "config/calyxa/Preferences/",
                  kSettings = "config/calyxa/com.vantorel.tilewell.plist";

std::string xmlPlist(PlistDictionary values) {
  return *serializePlist(PlistValue(std::move(values)), PlistFormat::xml);
}

bool negativeZero(const PlistValue& value) {
  return value.as<double>() && std::signbit(*value.as<double>());
}

TEST(GesturesCommandTest, SwitchesOffTwiceRestoresExactlyAndLosesNoDamagedFile) {
  TempDir home;
  const auto folder = home / kPrefs;
  const auto write = [&](const std::string& file, PlistDictionary values) {
    home.write(kPrefs + file, xmlPlist(std::move(values)));
  };
  // Before: absent, int, bool, string, int on this host, absent, bool; untouchable neighbours.
  write("com.apple.AppleMultitouchTrackpad.plist",
        {{"TrackpadFiveFingerPinchGesture", 2}, {"Clicking", true}});
  write("com.apple.driver.AppleBluetoothMultitouch.trackpad.plist",
        {{"TrackpadFourFingerPinchGesture", true}, {"TrackpadFiveFingerPinchGesture", "on"}});
  write("ByHost/.GlobalPreferences." + currentHostIdentifier() + ".plist",
        {{"com.apple.trackpad.fourFingerPinchSwipeGesture", 1}});
  write("com.apple.dock.plist", {{"showLaunchpadGestureEnabled", false}, {"orientation", "left"}});
  const auto before = filesIn(folder);

  CtlRun run = calyxaCtl(home, {"gestures", "status"});
  EXPECT_THAT(run.out, StartsWith("taken-over no\n"));
  EXPECT_THAT(run.out, HasSubstr(kDock + " current=false\n"));
  EXPECT_THAT(run.out, HasSubstr("\nkCFPreferencesAnyApplication::com.apple.trackpad.fourFinger"
                                 "PinchSwipeGesture kCFPreferencesCurrentHost current=1\n"));
  // A second switch-off (say after a crash) keeps the values of before the first, not the zeros.
  for (const auto& disable : {std::vector<std::string>{"gestures", "disable"},
                              {"gestures", "disable", "--restart-dock"}}) {
    run = calyxaCtl(home, disable);
    EXPECT_THAT(run.out,
                MatchesRegex("switched off\ntaken-over yes\n([^\n]* current=0 saved=[^\n]*\n){7}"));
    EXPECT_THAT(run.out, HasSubstr(kDock + " current=0 saved=false\n"));
    EXPECT_THAT(run.out, HasSubstr("trackpad::TrackpadFiveFingerPinchGesture kCFPreferencesAnyHost "
                                   "current=0 saved=absent"));
  }
  // Restore brings back each value with its type, deletes the absent and the string; once.
  EXPECT_THAT(calyxaCtl(home, {"gestures", "restore"}).out,
              StartsWith("restored\ntaken-over no\n"));
  auto expected = before;
  expected[folder / "com.apple.driver.AppleBluetoothMultitouch.trackpad.plist"] =
      xmlPlist({{"TrackpadFourFingerPinchGesture", true}});
  EXPECT_EQ(filesIn(folder), expected);
  EXPECT_THAT(calyxaCtl(home, {"gestures", "restore"}).out, StartsWith("nothing to restore\n"));
  EXPECT_EQ(filesIn(folder), expected);
  EXPECT_EQ(calyxaCtl(home, {"gestures", "disable", "--now"}).status, 64);

  // A malformed preference file reads as empty and is kept aside when replaced.
  const std::string garbage = "<?xml version=\"1.0\"?><plist><dict><key>Trackpad";
  const auto dock = home.write(kPrefs + "com.apple.dock.plist", garbage);
  const auto defaults = home / kSettings;
  EXPECT_THAT(calyxaCtl(home, {"gestures", "disable"}).out,
              HasSubstr(kDock + " current=0 saved=absent\n"));
  EXPECT_EQ(readFileBytes(dock.string() + ".corrupt", 99).bytes, garbage);

  // Defaults that cannot be written: the values could not be given back, so nothing changes.
  std::filesystem::remove(defaults);
  std::filesystem::create_directories(defaults / "x");
  home.write(kPrefs + "com.apple.dock.plist", garbage);
  const auto files = filesIn(folder);
  EXPECT_EQ(calyxaCtl(home, {"gestures", "disable"}).status, 73);
  EXPECT_EQ(filesIn(folder), files);
}

TEST(GesturesCommandTest, ACycleGivesBackEveryValueOfTheFilesItRewritesOrSaysItCouldNot) {
  TempDir home;
  // Binary, with values libplist's getters narrow: an unsigned 2^64 - 1, dates before 1932,
  // after 2069 and with a fraction, a negative zero.
  const std::string neighbours =
      readFileBytes(CALYXA_TEST_DATA "/trackpad_with_neighbours.bplist", 4096).bytes;
  ASSERT_FALSE(neighbours.empty());
  const auto trackpad = home.write(kPrefs + "com.apple.AppleMultitouchTrackpad.plist", neighbours);
  const auto before = parsePlist(neighbours);
  ASSERT_TRUE(before);
  EXPECT_EQ(before->as<PlistDictionary>()->at("After2069"), PlistDate{3124137600.5});
  EXPECT_EQ(before->as<PlistDictionary>()->at("Before1932"), PlistDate{-3187296000.0});
  // XML, with an integer written with a leading zero (decimal 10, not octal) and the same dates.
  const auto dock = home.write(kPrefs + "com.apple.dock.plist",
                               "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
                               "<key>showLaunchpadGestureEnabled</key><integer>010</integer>"
                               "<key>old</key><date>1900-01-01T00:00:00Z</date>"
                               "<key>new</key><date>2100-01-01T00:00:00Z</date>"
                               "<key>zero</key><real>-0.0</real></dict></plist>");
  // Binary and 4 MB, but more than the reader's 8 MB as XML.
  PlistArray many;
  for (std::int64_t i = 0; i < 400000; ++i)
    many.push_back(PlistValue(i * 7919));
  const auto bluetooth = home.write(
      kPrefs + "com.apple.driver.AppleBluetoothMultitouch.trackpad.plist",
      *serializePlist(
          PlistDictionary{{"TrackpadFourFingerPinchGesture", true}, {"Samples", std::move(many)}},
          PlistFormat::binary));
  const auto bluetoothBefore = readFileBytes(bluetooth, kMaxPlistFileBytes).bytes;

  CtlRun run = calyxaCtl(home, {"gestures", "disable"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out,
              HasSubstr("\ncom.apple.AppleMultitouchTrackpad::TrackpadFourFingerPinchGesture"
                        " kCFPreferencesAnyHost current=0 saved=18446744073709551615\n"));
  EXPECT_THAT(run.out, HasSubstr(kDock + " current=0 saved=10\n"));
  EXPECT_TRUE(readFileBytes(trackpad, kMaxPlistFileBytes).bytes.starts_with("bplist00"));
  EXPECT_LT(std::filesystem::file_size(bluetooth), kMaxPlistFileBytes);

  // A restore that cannot write says so and keeps the snapshot for the next try.
  std::filesystem::rename(bluetooth, home / "aside");
  std::filesystem::create_directories(bluetooth);
  run = calyxaCtl(home, {"gestures", "restore"});
  EXPECT_EQ(run.status, 73);
  EXPECT_THAT(run.out, Not(HasSubstr("restored")));
  EXPECT_THAT(run.out, HasSubstr("taken-over yes\n"));
  std::filesystem::remove(bluetooth);
  std::filesystem::rename(home / "aside", bluetooth);
  run = calyxaCtl(home, {"gestures", "restore"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, StartsWith("restored\ntaken-over no\n"));

  const auto after = parsePlist(readFileBytes(trackpad, kMaxPlistFileBytes).bytes);
  ASSERT_EQ(after, before);
  EXPECT_TRUE(negativeZero(after->as<PlistDictionary>()->at("NegativeZero")));
  const auto dockAfter = parsePlist(readFileBytes(dock, 4096).bytes);
  ASSERT_EQ(dockAfter, PlistValue(PlistDictionary{{"showLaunchpadGestureEnabled", 10},
                                                  {"old", PlistDate{-3187296000.0}},
                                                  {"new", PlistDate{3124137600.0}},
                                                  {"zero", -0.0}}));
  EXPECT_TRUE(negativeZero(dockAfter->as<PlistDictionary>()->at("zero")));
  EXPECT_EQ(parsePlist(readFileBytes(bluetooth, kMaxPlistFileBytes).bytes),
            parsePlist(bluetoothBefore));
}

TEST(GesturesCommandTest, ASnapshotThatCannotBeReadIsNeverTakenForNone) {
  TempDir home;
  const auto folder = home / kPrefs, settings = home / kSettings;
  home.write(kPrefs + "com.apple.dock.plist", xmlPlist({{"showLaunchpadGestureEnabled", true}}));
  ASSERT_EQ(calyxaCtl(home, {"gestures", "disable"}).status, 0);
  const std::string saved = readFileBytes(settings, 1 << 20).bytes;
  const auto switchedOff = filesIn(folder);

  // A folder, a file too large to read, a file cut short: the snapshot may be in there.
  const auto unreadable = [&](const std::function<void()>& damage) {
    std::filesystem::remove_all(settings);
    damage();
    CtlRun run = calyxaCtl(home, {"gestures", "status"});
    EXPECT_THAT(run.out, StartsWith("taken-over unknown\n"));
    run = calyxaCtl(home, {"gestures", "restore"});
    EXPECT_EQ(run.status, 66);
    EXPECT_THAT(run.out, Not(HasSubstr("nothing to restore")));
    EXPECT_EQ(calyxaCtl(home, {"gestures", "disable"}).status, 73);
    EXPECT_EQ(filesIn(folder), switchedOff);
  };
  unreadable([&] { std::filesystem::create_directories(settings / "x"); });
  unreadable([&] { home.write(kSettings, std::string(kMaxPlistFileBytes + 1, ' ')); });
  unreadable([&] { home.write(kSettings, saved.substr(0, saved.size() / 2)); });

  // Settings without the snapshot while the preferences hold this program's zeros: they are no
  // values of the user's to save.
  std::filesystem::remove_all(settings);
  EXPECT_THAT(calyxaCtl(home, {"gestures", "status"}).out, StartsWith("taken-over no\n"));
  EXPECT_EQ(calyxaCtl(home, {"gestures", "disable"}).status, 73);
  EXPECT_EQ(filesIn(folder), switchedOff);
  EXPECT_THAT(calyxaCtl(home, {"gestures", "status"}).out, StartsWith("taken-over no\n"));

  // Symbolic links stay links: the files they point to are rewritten, where they are.
  home.write("elsewhere/settings.plist", saved);
  std::filesystem::remove_all(settings);
  std::filesystem::create_symlink("../../elsewhere/settings.plist", settings);
  const auto dock = folder / "com.apple.dock.plist";
  home.write("elsewhere/dock.plist", readFileBytes(dock, 1 << 20).bytes);
  std::filesystem::remove(dock);
  std::filesystem::create_symlink(home / "elsewhere/dock.plist", dock);
  EXPECT_EQ(calyxaCtl(home, {"gestures", "restore"}).status, 0);
  EXPECT_TRUE(std::filesystem::is_symlink(settings) && std::filesystem::is_symlink(dock));
  EXPECT_EQ(parsePlist(readFileBytes(home / "elsewhere/dock.plist", 1 << 20).bytes),
            PlistValue(PlistDictionary{{"showLaunchpadGestureEnabled", true}}));
  EXPECT_THAT(calyxaCtl(home, {"gestures", "status"}).out, StartsWith("taken-over no\n"));
}

TEST(SystemGestureConflictResolverTest, SynchronisesEachPairOnceAndRestoresOnlyNumbers) {
  testing::TestPlatform platform;
  auto& prefs = *platform.preferences;
  SystemGestureConflictResolver resolver(platform.services());
  // A snapshot entry that is missing or of another kind deletes its preference on restore.
  platform.defaults->setDictionary(
      "Calyxa.SystemGestureSnapshot.v1",
      {{"com.apple.dock::showLaunchpadGestureEnabled", PlistArray{1}},
       {"com.apple.AppleMultitouchTrackpad::TrackpadFourFingerPinchGesture", 3}});
  prefs.setValue("showLaunchpadGestureEnabled", PlistValue(0), "com.apple.dock",
                 kPreferencesAnyHost);
  resolver.restoreOriginalGestures(false);
  EXPECT_FALSE(
      prefs.copyValue("showLaunchpadGestureEnabled", "com.apple.dock", kPreferencesAnyHost));
  EXPECT_EQ(prefs.copyValue("TrackpadFourFingerPinchGesture", "com.apple.AppleMultitouchTrackpad",
                            kPreferencesAnyHost),
            3);
  // Each domain and host pair is synchronised once a change, in the order of the table.
  resolver.disableConflictingGestures(true);
  resolver.restoreOriginalGestures(false);
  resolver.restoreOriginalGestures(false);
  const std::string pairs[] = {
      "com.apple.AppleMultitouchTrackpad|kCFPreferencesAnyHost",
      "com.apple.driver.AppleBluetoothMultitouch.trackpad|kCFPreferencesAnyHost",
      "kCFPreferencesAnyApplication|kCFPreferencesCurrentHost",
      "com.apple.dock|kCFPreferencesAnyHost"};
  ASSERT_EQ(prefs.synchronizations.size(), 12u);
  for (std::size_t i = 0; i < 12; ++i)
    EXPECT_EQ(prefs.synchronizations[i], pairs[i % 4]) << i;
  EXPECT_EQ(platform.systemSettings->calls,
            (std::vector<std::string>{"activateSettings", "activateSettings", "restartDock",
                                      "activateSettings"}));
}

}  // namespace
}  // namespace calyxa
