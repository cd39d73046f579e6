#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "gestures/contact_frame_file.h"
#include "pinch_test_support.h"
#include "platform/posix/file_io.h"
#include "platform/posix/plist_io.h"
#include "support/ctl_runner.h"
#include "support/temp_dir.h"

extern char** environ;

namespace calyxa {
namespace {

using testing::CtlRun;
using testing::fingersWithSpread;
using testing::Points;
using testing::TempDir;

// Runs the built calyxa-ctl with HOME and XDG_CONFIG_HOME in `home`.
CtlRun calyxaCtl(const TempDir& home, const std::vector<std::string>& arguments) {
  EXPECT_FALSE(testing::calyxaCtlPath().empty()) << "CALYXA_CTL names the built calyxa-ctl";
  return testing::runCalyxaCtl(
      arguments, {{"HOME", home.path().string()}, {"XDG_CONFIG_HOME", (home / "config").string()}});
}

std::string line(double timestamp, const Points& points) {
  const auto records = testing::touching(points);
  return formatFrameLine(timestamp, records.empty() ? nullptr : records.data(),
                         static_cast<std::int32_t>(records.size())) +
         "\n";
}

TEST(TouchpadCommandTest, ReplayPrintsEachRecognisedEventWithTheTimestampOfItsFrame) {
  TempDir home;
  std::string frames = "# four fingers close, lift; a second touch opens\n\n";
  frames += line(100.0, fingersWithSpread(0.25f));
  frames += line(100.0125, fingersWithSpread(0.22f));
  frames += line(100.025, fingersWithSpread(0.19f));
  frames += line(100.0375, fingersWithSpread(0.10f));
  for (double t : {100.05, 100.0625, 100.075})
    frames += line(t, {});
  frames += line(100.0875, {{0.5f, 0.5f}});
  frames += line(100.1, {});
  frames += "  # fingers down again within the cooldown: no baseline yet\n";
  frames += line(100.2, fingersWithSpread(0.10f));
  frames += line(100.3, fingersWithSpread(0.20f));
  frames += line(100.5, fingersWithSpread(0.10f));
  frames += line(100.5125, fingersWithSpread(0.16f));
  frames += "100.525 0\r\n100.5375\t0\n100.55 0\n100.5625 0\n";
  const auto file = home.write("pinch.frames", frames);

  const CtlRun run = calyxaCtl(home, {"touchpad", "replay", file.string()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "pinch-in 100.025\n"
            "release 100.0875\n"
            "pinch-out 100.5125\n"
            "release 100.5625\n");
  EXPECT_EQ(run.err, "");
}

TEST(TouchpadCommandTest, MalformedFramesAreNamedByLineAndNothingIsReplayed) {
  TempDir home;
  const auto good = line(10.0, fingersWithSpread(0.25f)) + line(10.01, fingersWithSpread(0.19f));
  const std::pair<std::string, std::string> cases[] = {
      {"x 0\n", ":3: expected a timestamp in seconds, found \"x\""},
      {"nan 0\n", ":3: expected a timestamp"},
      {"11\n", ":3: expected the number of contacts after the timestamp"},
      {"11 -1\n", ":3: expected the number of contacts (0 or more), found \"-1\""},
      {"11 2 4 0.5 0.5\n", ":3: the frame announces 2 contacts but has values for 1"},
      {"11 1 4 0.5 0.5 4\n", ":3: the frame announces 1 contacts but goes on with \"4\""},
      {"11 1 four 0.5 0.5\n", ":3: contact 1: bad state \"four\""},
      {"11 1 4 0,5 0.5\n", ":3: contact 1: bad x \"0,5\""},
      {"11 1 4 0.5 +1\n", ":3: contact 1: bad y \"+1\""},
      {"11 99999999999 4 0.5 0.5\n", ":3: expected the number of contacts"},
  };
  for (const auto& [bad, message] : cases) {
    const auto file = home.write("bad.frames", good + bad + good);
    const CtlRun run = calyxaCtl(home, {"touchpad", "replay", file.string()});
    EXPECT_EQ(run.status, 65) << bad;
    EXPECT_EQ(run.out, "") << bad;
    EXPECT_NE(run.err.find(file.string() + message), std::string::npos) << run.err;
  }
  // Out-of-range and NaN positions are data, not format errors: the recogniser drops them.
  const auto odd = home.write("odd.frames", "1 4 4 nan 0.5 4 1.5 0.5 4 -0.1 0.2 7 0.5 0.5\n");
  EXPECT_EQ(calyxaCtl(home, {"touchpad", "replay", odd.string()}).status, 0);

  const CtlRun missing = calyxaCtl(home, {"touchpad", "replay", (home / "nope").string()});
  EXPECT_EQ(missing.status, 66);
  EXPECT_NE(missing.err.find("no such file"), std::string::npos);
  EXPECT_EQ(calyxaCtl(home, {"touchpad", "replay"}).status, 64);
  EXPECT_EQ(calyxaCtl(home, {"touchpad", "rewind", "x"}).status, 64);
}

TEST(GesturesCommandTest, StatusDisableAndRestoreWorkOnTheUsersPreferenceFiles) {
  TempDir home;
  const auto dock = home / "config/calyxa/Preferences/com.apple.dock.plist";
  std::filesystem::create_directories(dock.parent_path());
  ASSERT_TRUE(writePlistFile(dock, PlistValue(PlistDictionary{{"showLaunchpadGestureEnabled", true},
                                                              {"tilesize", std::int64_t{48}}})));

  CtlRun status = calyxaCtl(home, {"gestures", "status"});
  EXPECT_EQ(status.status, 0);
  EXPECT_TRUE(status.out.starts_with("taken-over no\n")) << status.out;
  EXPECT_NE(status.out.find("\ncom.apple.dock::showLaunchpadGestureEnabled kCFPreferencesAnyHost "
                            "current=true\n"),
            std::string::npos)
      << status.out;
  EXPECT_NE(
      status.out.find("\nkCFPreferencesAnyApplication::com.apple.trackpad."
                      "fourFingerPinchSwipeGesture kCFPreferencesCurrentHost current=absent\n"),
      std::string::npos)
      << status.out;

  const CtlRun disable = calyxaCtl(home, {"gestures", "disable", "--restart-dock"});
  EXPECT_EQ(disable.status, 0) << disable.err;
  EXPECT_TRUE(disable.out.starts_with("switched off\ntaken-over yes\n")) << disable.out;
  EXPECT_NE(disable.out.find("com.apple.dock::showLaunchpadGestureEnabled kCFPreferencesAnyHost "
                             "current=0 saved=true\n"),
            std::string::npos)
      << disable.out;
  EXPECT_NE(disable.out.find("TrackpadFourFingerPinchGesture kCFPreferencesAnyHost current=0 "
                             "saved=absent\n"),
            std::string::npos);

  const CtlRun restore = calyxaCtl(home, {"gestures", "restore"});
  EXPECT_EQ(restore.status, 0);
  EXPECT_TRUE(restore.out.starts_with("restored\ntaken-over no\n")) << restore.out;
  EXPECT_EQ(*readPlistFile(dock), PlistValue(PlistDictionary{{"showLaunchpadGestureEnabled", true},
                                                             {"tilesize", std::int64_t{48}}}));
  EXPECT_TRUE(calyxaCtl(home, {"gestures", "restore"}).out.starts_with("nothing to restore\n"));

  EXPECT_EQ(calyxaCtl(home, {"gestures"}).status, 64);
  EXPECT_EQ(calyxaCtl(home, {"gestures", "status", "--restart-dock"}).status, 64);
  EXPECT_EQ(calyxaCtl(home, {"gestures", "disable", "--now"}).status, 64);
}

}  // namespace
}  // namespace calyxa
