#include <gtest/gtest.h>

#include <fstream>

#include "platform/posix/proc_instances.h"
#include "support/app_bundle_tree.h"
#include "support/temp_dir.h"

namespace calyxa {
namespace {

using namespace calyxa::testing;

struct FakeProcess {
  pid_t pid;
  uid_t uid;
  std::string comm;
  std::string exe;
  std::string environ;  // "NAME=value" entries separated by NUL
  std::string cmdline;  // arguments separated by NUL
};

void write(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

TEST(ProcInstancesTest, FindsCopiesOfThisSessionByIdentifierNameOrExecutable) {
  TempDir proc;
  TempDir bundles;
  writeAppBundle(bundles.path(), "/Renamed.app", {.identifier = "com.vantorel.tilewell"});
  const std::string renamed = (bundles.path() / "Renamed.app/Contents/MacOS/Other").string();
  using namespace std::string_literals;
  const std::string session = "DISPLAY=:5\0DBUS_SESSION_BUS_ADDRESS=unix:path=/b\0"s;
  const FakeProcess processes[] = {
      {100, 1000, "Calyxa", "/opt/Calyxa", session, "Calyxa\0"s},              // ourselves
      {101, 1000, "Calyxa", "/opt/old/Calyxa", session, "Calyxa\0"s},          // by name
      {102, 1000, "Other", renamed, session, "Other\0"s},                      // by identifier
      {103, 1000, "wrapper", "/usr/bin/Calyxa", session, "x\0"s},              // by executable
      {104, 1001, "Calyxa", "/opt/Calyxa", session, "Calyxa\0"s},              // another user
      {105, 1000, "Calyxa", "/opt/Calyxa", "DISPLAY=:6\0"s, "Calyxa\0"s},      // another session
      {106, 1000, "Calyxa", "/opt/Calyxa", session, "Calyxa\0--snapshot\0"s},  // a one-off job
      {107, 1000, "bash", "/bin/bash", session, "bash\0Calyxa\0"s},            // not a copy
  };
  for (const auto& process : processes) {
    const auto dir = proc.path() / std::to_string(process.pid);
    std::filesystem::create_directories(dir);
    write(dir / "status",
          "Name:\t" + process.comm + "\nUid:\t" + std::to_string(process.uid) + "\t0\t0\t0\n");
    write(dir / "comm", process.comm + "\n");
    write(dir / "environ", process.environ);
    write(dir / "cmdline", process.cmdline);
    std::filesystem::create_symlink(process.exe, dir / "exe");
  }
  std::filesystem::create_directories(proc.path() / "self");

  InstanceSearch search;
  search.proc = proc.path();
  search.user = 1000;
  search.self = 100;
  search.identity = {"com.vantorel.tilewell", "Calyxa", "Calyxa"};
  search.sessionVariables = {"DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS"};
  search.ownEnvironment = {{"DISPLAY", ":5"}, {"DBUS_SESSION_BUS_ADDRESS", "unix:path=/b"}};
  search.oneOffArguments = {"--snapshot"};
  EXPECT_EQ(findOtherInstances(search), (std::vector<pid_t>{101, 102, 103}));
}

}  // namespace
}  // namespace calyxa
