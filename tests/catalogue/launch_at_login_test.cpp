#include <gtest/gtest.h>

#include "platform/posix/file_io.h"
#include "platform/posix/plist_io.h"
#include "support/test_platform.h"

namespace calyxa {
namespace {

using testing::TempDir;
using testing::TestPlatform;
using testing::TestStore;
using Toasts = std::vector<std::string>;

constexpr const char* kEnabled = "已开启开机自启动，下次登录将自动静默驻留";
constexpr const char* kNeedsApproval = "已开启开机自启动，请在系统设置「登录项」中允许后台运行";
constexpr const char* kEnableFailed = "开机自启动开启失败，请确认应用位置与权限";
constexpr const char* kDisabled = "已关闭开机自启动";
constexpr const char* kDisableFailed = "开机自启动关闭失败，请确认登录项与文件权限";
constexpr const char* kAgent = "Library/LaunchAgents/com.vantorel.tilewell.plist";

// A store whose user database points at a real home of the test's own.
class LaunchAtLoginTest : public ::testing::Test {
 protected:
  LaunchAtLoginTest() {
    platform.userDatabase->home = realHome.path().string();
    platform.processInfo->executable = "/opt/Calyxa Build/Calyxa";
  }

  TestStore& start() { return *(store = std::make_unique<TestStore>(platform)); }
  std::filesystem::path agent() const { return realHome / kAgent; }
  bool agentExists() const { return std::filesystem::exists(agent()); }
  std::string agentBytes() const { return readFileBytes(agent(), 1 << 20).bytes; }
  void writeAgent(std::string_view bytes) const { realHome.write(kAgent, bytes); }
  Toasts toastsOf(const std::function<void()>& action) {
    Toasts toasts;
    const auto observation = (*store)->statusToast.observe(
        [&](const std::optional<std::string>& toast, const Transaction&) {
          if (toast) toasts.push_back(*toast);
        });
    action();
    return toasts;
  }
  // The toasts of switching on or off, with the toast asked for.
  Toasts switched(bool on) {
    return toastsOf([&] { (*store)->setLaunchAtLogin(on, /*showToast=*/true); });
  }

  TempDir realHome;
  TestPlatform platform;
  std::unique_ptr<TestStore> store;
};

std::string joined(const std::vector<std::string>& words) {
  std::string line;
  for (const auto& word : words)
    line += (line.empty() ? "" : " ") + word;
  return line;
}

// The launch agent as the program writes it, for `path`.
PlistValue expectedAgent(const std::string& path) {
  return PlistDictionary{
      {"Label", "com.vantorel.tilewell"},
      {"ProgramArguments", PlistArray{path, "--launched-at-login"}},
      {"RunAtLoad", true},
      {"KeepAlive", false},
      {"ProcessType", "Interactive"},
  };
}

TEST_F(LaunchAtLoginTest, SwitchingOnTakesEachRouteTheServiceLeavesOpen) {
  struct Case {
    std::string name;
    LoginItemStatus before, afterRegistration;
    bool refuses, agentUnwritable;
    std::string calls;
    bool enabled, agentAfter;
    std::string toast;
  };
  using S = LoginItemStatus;
  // clang-format off
  const Case cases[] = {
      {"already enabled", S::enabled, S::enabled, false, false,
       "status status status", true, false, kEnabled},
      {"registered, waiting for approval", S::notRegistered, S::requiresApproval, false, false,
       "status register status status", true, false, kNeedsApproval},
      {"approval pending from before", S::requiresApproval, S::requiresApproval, false, false,
       "status register status status", true, false, kNeedsApproval},
      {"registration refused", S::notRegistered, S::enabled, true, false,
       "status register", true, true, kEnabled},
      {"registered but not found", S::notRegistered, S::notFound, false, false,
       "status register status", true, true, kEnabled},
      {"refused, and the agent cannot be written", S::notRegistered, S::enabled, true, true,
       "status register", false, false, kEnableFailed},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(realHome / "Library");
    if (c.agentUnwritable) {
      realHome.write("Library", "a file where the folder should be");
    } else if (!c.agentAfter) {
      writeAgent("left from an earlier fallback");  // the service takes over from it
    }
    platform.loginItems->state = c.before;
    platform.loginItems->stateAfterRegistration = c.afterRegistration;
    platform.loginItems->refusesRegistration = c.refuses;
    start();
    platform.loginItems->calls.clear();

    EXPECT_EQ(switched(true), Toasts{c.toast});
    EXPECT_EQ(joined(platform.loginItems->calls), c.calls);
    EXPECT_EQ((*store)->isLaunchAtLoginEnabled.get(), c.enabled);
    EXPECT_EQ(agentExists(), c.agentAfter);
    if (c.agentAfter) {
      EXPECT_EQ(readPlistFile(agent()), expectedAgent("/opt/Calyxa Build/Calyxa"));
    }

    // The same without the toast: the same outcome, nothing shown.
    std::error_code ignored;
    std::filesystem::remove(agent(), ignored);
    platform.loginItems->state = c.before;
    EXPECT_TRUE(toastsOf([&] { (*store)->setLaunchAtLogin(true, false); }).empty());
    EXPECT_EQ((*store)->isLaunchAtLoginEnabled.get(), c.enabled);
  }
}

TEST_F(LaunchAtLoginTest, SwitchingOffRemovesBothAndSaysSoOnlyWhenItWorked) {
  platform.loginItems->state = LoginItemStatus::enabled;
  writeAgent("whatever");
  start();
  EXPECT_TRUE((*store)->isLaunchAtLoginEnabled);

  platform.loginItems->calls.clear();
  EXPECT_EQ(toastsOf([&] { (*store)->toggleLaunchAtLogin(); }), Toasts{kDisabled});
  EXPECT_EQ(platform.loginItems->calls, (Toasts{"unregister", "status"}));
  EXPECT_FALSE((*store)->isLaunchAtLoginEnabled);
  EXPECT_FALSE(agentExists());

  // Twice in a row: the service has nothing to remove, which is no error to the user.
  EXPECT_EQ(switched(false), Toasts{kDisabled});

  // The toggle follows the flag: now it switches on.
  EXPECT_EQ(toastsOf([&] { (*store)->toggleLaunchAtLogin(); }), Toasts{kEnabled});
  EXPECT_TRUE((*store)->isLaunchAtLoginEnabled);

  // A service that will not let go still starts the program at login: the user is told.
  platform.loginItems->refusesUnregistration = true;
  EXPECT_EQ(switched(false), Toasts{kDisableFailed});
  EXPECT_TRUE((*store)->isLaunchAtLoginEnabled);

  // So does an agent that cannot be removed (a folder with something in it stands for one).
  platform.loginItems->refusesUnregistration = false;
  platform.loginItems->state = LoginItemStatus::notRegistered;
  std::filesystem::create_directories(agent() / "inside");
  EXPECT_EQ(switched(false), Toasts{kDisableFailed});
  EXPECT_TRUE((*store)->isLaunchAtLoginEnabled);
  EXPECT_TRUE(std::filesystem::is_directory(agent() / "inside"));
}

TEST_F(LaunchAtLoginTest, TheAgentFileReadsBackAsExactlyItsFiveEntries) {
  start();
  // Characters that XML, property lists or a shell would each treat specially.
  const std::string path = "/Users/李 雷/Apps & <Tools>/\"Calyxa\" $HOME 100%/Calyxa";
  ASSERT_TRUE((*store)->writeLaunchAgentPlist(path));

  const std::string bytes = agentBytes();
  EXPECT_TRUE(bytes.starts_with("<?xml version=\"1.0\"")) << bytes;
  const auto parsed = parsePlist(bytes);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(*parsed, expectedAgent(path));  // entries, order-free, and their kinds
  // The file is replaced whole: nothing else is left in the folder.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(realHome / "Library/LaunchAgents"),
                          std::filesystem::directory_iterator()),
            1);

  // Rewriting replaces the content, not adds to it.
  ASSERT_TRUE((*store)->writeLaunchAgentPlist("/opt/Calyxa"));
  EXPECT_EQ(readPlistFile(agent()), expectedAgent("/opt/Calyxa"));

  // Text a property list cannot carry is refused, and the file stays as it was.
  EXPECT_FALSE((*store)->writeLaunchAgentPlist("/opt/bad\xff/Calyxa"));
  EXPECT_FALSE((*store)->writeLaunchAgentPlist(std::string("/opt/bell\x07/Calyxa")));
  EXPECT_EQ(readPlistFile(agent()), expectedAgent("/opt/Calyxa"));

  // The real home is the user database's; the process's home only stands in without it.
  platform.userDatabase->home = std::nullopt;
  start();
  EXPECT_EQ((*store)->resolveRealHomeDirectory(), platform.home->path().string());
  EXPECT_EQ((*store)->launchAgentPlistURL(), platform.home->path() / kAgent);
}

TEST_F(LaunchAtLoginTest, TheExecutableComesFromTheProcessThenItsFirstArgumentThenTheDefault) {
  start();
  EXPECT_EQ((*store)->resolveExecutablePathForLaunchAgent(), "/opt/Calyxa Build/Calyxa");

  platform.processInfo->executable = "";
  platform.processInfo->commandLine = {"/opt/./bin/../Calyxa", "--launched-at-login"};
  EXPECT_EQ((*store)->resolveExecutablePathForLaunchAgent(), "/opt/Calyxa");
  platform.processInfo->executable = std::nullopt;
  platform.processInfo->commandLine = {"build/./Calyxa"};
  EXPECT_EQ((*store)->resolveExecutablePathForLaunchAgent(),
            (std::filesystem::current_path() / "build/Calyxa").string());

  for (const auto& commandLine : {std::vector<std::string>{}, std::vector<std::string>{""}}) {
    platform.processInfo->commandLine = commandLine;
    EXPECT_EQ((*store)->resolveExecutablePathForLaunchAgent(),
              "/Applications/Calyxa.app/Contents/MacOS/Calyxa");
  }
}

TEST_F(LaunchAtLoginTest, ARefreshPointsAMovedProgramsAgentAtItsNewPlace) {
  start();
  ASSERT_TRUE((*store)->writeLaunchAgentPlist("/opt/Calyxa Build/Calyxa"));
  std::vector<bool> published;
  const auto observation = (*store)->isLaunchAtLoginEnabled.observe(
      [&](bool value, const Transaction&) { published.push_back(value); });

  // The agent alone counts, and a refresh that changes nothing publishes nothing.
  (*store)->refreshLaunchAtLoginState();
  (*store)->refreshLaunchAtLoginState();
  EXPECT_EQ(published, std::vector<bool>{true});

  // A binary agent that names the present path is fine as it is.
  writeAgent(*serializePlist(expectedAgent("/opt/Calyxa Build/Calyxa"), PlistFormat::binary));
  const std::string binary = agentBytes();
  (*store)->refreshLaunchAtLoginState();
  EXPECT_EQ(agentBytes(), binary);

  // Moved: the agent follows, with the launch argument restored.
  platform.processInfo->executable = "/Applications/Moved/Calyxa";
  (*store)->refreshLaunchAtLoginState();
  EXPECT_EQ(readPlistFile(agent()), expectedAgent("/Applications/Moved/Calyxa"));
  EXPECT_EQ(published, std::vector<bool>{true});

  // An agent of older making, with other arguments, is rewritten the same way.
  writeAgent(*serializePlist(
      PlistDictionary{{"ProgramArguments", PlistArray{"/old/Calyxa"}}, {"Label", "mine"}},
      PlistFormat::xml));
  (*store)->refreshLaunchAtLoginState();
  EXPECT_EQ(readPlistFile(agent()), expectedAgent("/Applications/Moved/Calyxa"));

  // Gone: the flag follows the service alone.
  std::filesystem::remove(agent());
  (*store)->refreshLaunchAtLoginState();
  EXPECT_EQ(published, (std::vector<bool>{true, false}));
  platform.loginItems->state = LoginItemStatus::requiresApproval;
  (*store)->refreshLaunchAtLoginState();
  EXPECT_EQ(published, (std::vector<bool>{true, false, true}));
  EXPECT_FALSE(agentExists());
}

TEST_F(LaunchAtLoginTest, OnlyTheLauncherIsEverWrittenAndOnlyWhereSomethingStartsIt) {
  // A helper tool beside the launcher builds the store: the agent keeps naming the launcher.
  writeAgent(*serializePlist(expectedAgent("/opt/Calyxa Build/Calyxa"), PlistFormat::xml));
  const std::string agentBefore = agentBytes();
  platform.processInfo->executable = "/opt/Calyxa Build/calyxa-ctl";
  start();
  (*store)->refreshLaunchAtLoginState();
  EXPECT_EQ(agentBytes(), agentBefore);

  // Where agents never start (Linux), a refused registration fails and a stale agent is no help.
  platform.processInfo->executable = "/opt/Calyxa Build/Calyxa";
  platform.loginItems->agentsStart = false;
  platform.loginItems->refusesRegistration = true;
  start();
  EXPECT_FALSE((*store)->isLaunchAtLoginEnabled);
  std::filesystem::remove(agent());
  EXPECT_EQ(switched(true), Toasts{kEnableFailed});
  EXPECT_FALSE((*store)->isLaunchAtLoginEnabled);
  EXPECT_FALSE(agentExists());
  platform.loginItems->refusesRegistration = false;
  EXPECT_EQ(switched(true), Toasts{kEnabled});
  EXPECT_TRUE((*store)->isLaunchAtLoginEnabled);
}

TEST_F(LaunchAtLoginTest, AnAgentOfAnyOtherShapeIsLeftAloneAndCountsAsPresent) {
  const std::vector<std::pair<std::string, std::string>> files{
      {"empty", ""},
      {"malformed", "<?xml version=\"1.0\"?><plist><dict><key>ProgramArguments"},
      {"binary junk", std::string("bplist00\x01\x02\xff\x00\x10 garbage", 20)},
      {"not a dictionary", *serializePlist(PlistArray{"/old/Calyxa"}, PlistFormat::xml)},
      {"empty arguments",
       *serializePlist(PlistDictionary{{"ProgramArguments", PlistArray{}}}, PlistFormat::xml)},
      {"an argument not text",
       *serializePlist(PlistDictionary{{"ProgramArguments", PlistArray{"/old/Calyxa", 7}}},
                       PlistFormat::xml)},
  };
  for (const auto& [name, bytes] : files) {
    SCOPED_TRACE(name);
    std::filesystem::remove_all(realHome / "Library");
    writeAgent(bytes);
    start();
    EXPECT_TRUE((*store)->isLaunchAtLoginEnabled);
    (*store)->refreshLaunchAtLoginState();
    EXPECT_EQ(agentBytes(), bytes);
  }

  // One that cannot be read at all (a folder stands for it).
  std::filesystem::remove_all(realHome / "Library");
  std::filesystem::create_directories(agent());
  start();
  EXPECT_TRUE((*store)->isLaunchAtLoginEnabled);
  EXPECT_TRUE(std::filesystem::is_directory(agent()));
}

}  // namespace
}  // namespace calyxa
