#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include "platform/posix/desktop_entry.h"
#include "platform/posix/file_io.h"
#include "support/ctl_runner.h"
#include "support/temp_dir.h"

namespace calyxa {
namespace {

using testing::CtlRun;

// calyxa-ctl login-item with a home, a settings folder and a system root of the test's own.
// The launch agent lives in the user database's home, which a test cannot move: the tests only
// take routes that never write it, and skip where one is already there, so as not to touch it.
class LoginItemCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (testing::calyxaCtlPath().empty()) GTEST_SKIP() << "CALYXA_CTL names no calyxa-ctl";
    const passwd* user = ::getpwuid(::getuid());
    ASSERT_TRUE(user && user->pw_dir);
    realAgent =
        std::filesystem::path(user->pw_dir) / "Library/LaunchAgents/com.vantorel.tilewell.plist";
    if (std::filesystem::exists(realAgent)) GTEST_SKIP() << "the user has a launch agent";
    ran = true;
    std::filesystem::create_directories(dir / "root");
  }
  void TearDown() override {
    if (ran) {
      EXPECT_FALSE(std::filesystem::exists(realAgent)) << "written into the real home";
    }
  }

  CtlRun run(const std::vector<std::string>& arguments) const {
    std::vector<std::string> all{"login-item"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return testing::runCalyxaCtl(all, {{"HOME", (dir / "home").string()},
                                       {"XDG_CONFIG_HOME", (dir / "config").string()},
                                       {"CALYXA_SYSTEM_ROOT", (dir / "root").string()}});
  }
  std::filesystem::path entry() const {
    return dir / "config/autostart/com.vantorel.tilewell.desktop";
  }
  std::string entryBytes() const { return readFileBytes(entry(), 1 << 20).bytes; }

  testing::TempDir dir;
  std::filesystem::path realAgent;
  bool ran = false;
};

TEST_F(LoginItemCommandTest, SwitchesTheLauncherBesideItOnAndOff) {
  CtlRun outcome = run({"status"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out, "off\n");

  outcome = run({"on"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out, "已开启开机自启动，下次登录将自动静默驻留\n");
  // The login item starts the launcher, not this tool.
  const std::filesystem::path launcher =
      std::filesystem::path(testing::calyxaCtlPath()).parent_path() / "Calyxa";
  EXPECT_EQ(desktopEntryValue(entryBytes(), "Desktop Entry", "Exec"),
            *desktopEntryExecArgument(launcher.string()) + " --launched-at-login");
  EXPECT_EQ(outcome.err.find("no launcher") != std::string::npos,
            !std::filesystem::exists(launcher))
      << outcome.err;

  outcome = run({"status"});
  EXPECT_EQ(outcome.out, "on\n");

  for (int i = 0; i < 2; ++i) {
    outcome = run({"off"});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "已关闭开机自启动\n");
    EXPECT_EQ(outcome.err, "");
    EXPECT_FALSE(std::filesystem::exists(entry()));
  }
  EXPECT_EQ(run({"status"}).out, "off\n");
}

TEST_F(LoginItemCommandTest, RefusesWrongUsage) {
  for (const auto& arguments :
       std::vector<std::vector<std::string>>{{}, {"maybe"}, {"on", "now"}, {"--on"}}) {
    const CtlRun outcome = run(arguments);
    EXPECT_EQ(outcome.status, 64);
    EXPECT_EQ(outcome.out, "");
    EXPECT_NE(outcome.err.find("usage: calyxa-ctl login-item status|on|off"), std::string::npos)
        << outcome.err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "config/autostart"));
  const CtlRun help = run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.starts_with("usage: calyxa-ctl login-item status|on|off")) << help.out;
}

}  // namespace
}  // namespace calyxa
