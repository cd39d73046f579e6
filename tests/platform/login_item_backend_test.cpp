#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <fstream>
#include <map>

#include "platform/posix/desktop_entry.h"
#include "platform/posix/file_io.h"
#include "platform/posix/linux_system_permissions.h"
#include "platform/posix/proc_process_info.h"
#include "platform/posix/xdg_autostart_login_items.h"
#include "support/login_and_permission_fakes.h"
#include "support/temp_dir.h"

namespace calyxa {
namespace {

using testing::FakeProcessInfo;
using testing::TempDir;

// A launcher's reading of an Exec value, from the format's rules rather than from the writer.
std::vector<std::string> execArguments(std::string_view stored) {
  static const std::map<char, char> escapes{
      {'s', ' '}, {'n', '\n'}, {'t', '\t'}, {'r', '\r'}, {'\\', '\\'}};
  std::string value;
  for (std::size_t i = 0; i < stored.size(); ++i) {
    if (stored[i] != '\\' || i + 1 == stored.size()) {
      value.push_back(stored[i]);
    } else if (escapes.contains(stored[++i])) {
      value.push_back(escapes.at(stored[i]));
    } else {
      ADD_FAILURE() << "an escape the format does not have: \\" << stored[i];
    }
  }

  constexpr std::string_view kReserved = "\"`$\\";
  std::vector<std::string> arguments;
  std::optional<std::string> current;
  bool quoted = false;
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (!quoted && c == ' ') {
      if (current) arguments.push_back(*std::exchange(current, std::nullopt));
      continue;
    }
    if (!current) current.emplace();
    if (c == '"') {
      quoted = !quoted;
    } else if (quoted && c == '\\' && i + 1 < value.size() &&
               kReserved.find(value[i + 1]) != std::string_view::npos) {
      current->push_back(value[++i]);
    } else {
      EXPECT_FALSE(quoted && kReserved.find(c) != std::string_view::npos) << "unescaped " << c;
      if (c == '%') {
        EXPECT_EQ(value[++i], '%') << "a field code";
      }
      current->push_back(c);
    }
  }
  EXPECT_FALSE(quoted) << "unterminated quote";
  if (current) arguments.push_back(*current);
  return arguments;
}

// Runs `arguments` (the first one the program) and waits for it to finish.
int run(const std::vector<std::string>& arguments, const std::vector<std::string>& environment) {
  std::vector<char*> argv;
  for (const auto& argument : arguments)
    argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (const auto& variable : environment)
    envp.push_back(const_cast<char*>(variable.c_str()));
  envp.push_back(nullptr);
  pid_t child = 0;
  if (::posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0) return -1;
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

constexpr const char* kEntry = "config/autostart/com.vantorel.tilewell.desktop";

class XdgAutostartTest : public ::testing::Test {
 protected:
  XdgAutostartTest() : items(dir / "config/autostart", process) {}

  std::filesystem::path entry() const { return dir / kEntry; }
  std::string entryBytes() const { return readFileBytes(entry(), 1 << 20).bytes; }
  void writeEntry(std::string_view bytes) const { dir.write(kEntry, bytes); }

  TempDir dir;
  std::shared_ptr<FakeProcessInfo> process = std::make_shared<FakeProcessInfo>();
  XdgAutostartLoginItems items;
};

TEST_F(XdgAutostartTest, TheEntryStartsAProgramWhosePathNeedsEveryKindOfQuoting) {
  // Real programs under paths needing every kind of quoting write down the arguments they get.
  const std::string awkward = "Apps \"Q\" 'S' `id` $HOME 启动器 back\\slash\ttab\nline";
  for (const std::string& folderName : {awkward, awkward + " 100%d %%"}) {
    SCOPED_TRACE(folderName);
    const std::filesystem::path program = dir / folderName / "Calyxa";
    std::filesystem::create_directories(program.parent_path());
    {
      std::ofstream script(program);
      script << "#!/bin/sh\nprintf '%s\\0' \"$0\" \"$@\" > \"$ARGUMENTS_FILE\"\n";
    }
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    process->executable = program.string();

    EXPECT_EQ(items.status(), LoginItemStatus::notRegistered);
    ASSERT_TRUE(items.registerMainApp());
    EXPECT_EQ(items.status(), LoginItemStatus::enabled);

    const std::string bytes = entryBytes();
    EXPECT_EQ(desktopEntryValue(bytes, "Desktop Entry", "Type"), "Application");
    const auto exec = desktopEntryValue(bytes, "Desktop Entry", "Exec");
    ASSERT_TRUE(exec) << bytes;
    const auto arguments = execArguments(*exec);
    if (folderName == awkward) {
      EXPECT_EQ(arguments, (std::vector<std::string>{program.string(), "--launched-at-login"}))
          << *exec;
    }

    const std::filesystem::path recorded = dir / "arguments";
    ASSERT_EQ(run(arguments, {"ARGUMENTS_FILE=" + recorded.string()}), 0) << *exec;
    EXPECT_EQ(readFileBytes(recorded, 1 << 16).bytes,
              program.string() + '\0' + "--launched-at-login" + '\0');

    // Written whole: nothing but the entry in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "config/autostart"),
                            std::filesystem::directory_iterator()),
              1);
    ASSERT_TRUE(items.unregisterMainApp());
  }
}

TEST_F(XdgAutostartTest, RegisteringAndUnregisteringFollowTheEntry) {
  process->executable = "/opt/Calyxa/Calyxa";
  ASSERT_TRUE(items.registerMainApp());
  EXPECT_EQ(execArguments(*desktopEntryValue(entryBytes(), "Desktop Entry", "Exec")),
            (std::vector<std::string>{"/opt/Calyxa/Calyxa", "--launched-at-login"}));

  // A desktop's own ways of switching an entry off.
  for (const std::string lines : {"Hidden = true", "X-GNOME-Autostart-enabled=false"}) {
    SCOPED_TRACE(lines);
    writeEntry("# mine\n[Desktop Entry]\r\nType=Application\r\n" + lines + "\r\nExec=x\n");
    EXPECT_EQ(items.status(), LoginItemStatus::notRegistered);
  }
  // The same keys elsewhere, or saying the opposite, switch nothing off.
  writeEntry(
      "[Desktop Entry]\nHidden=false\nX-GNOME-Autostart-enabled=true\n"
      "[Desktop Action x]\nHidden=true\n");
  EXPECT_EQ(items.status(), LoginItemStatus::enabled);

  // Registering again replaces a switched-off entry.
  writeEntry("[Desktop Entry]\nHidden=true\n");
  ASSERT_TRUE(items.registerMainApp());
  EXPECT_EQ(items.status(), LoginItemStatus::enabled);

  EXPECT_TRUE(items.unregisterMainApp());
  EXPECT_FALSE(std::filesystem::exists(entry()));
  EXPECT_EQ(items.status(), LoginItemStatus::notRegistered);
  EXPECT_FALSE(items.unregisterMainApp()) << "nothing left to remove";
}

TEST_F(XdgAutostartTest, AnEntryItCannotReadCountsAsPresentAndIsLeftAlone) {
  const std::vector<std::pair<std::string, std::string>> entries{
      {"empty", ""},
      {"malformed", "[Desktop Entry\nHidden\n=true\n[[\n"},
      {"binary", std::string("\x7f"
                             "ELF\x00\x01\xff\xfe[Desktop Entry]\x00Hidden=tr",
                             33)},
  };
  for (const auto& [name, bytes] : entries) {
    SCOPED_TRACE(name);
    writeEntry(bytes);
    EXPECT_EQ(items.status(), LoginItemStatus::enabled);
    EXPECT_EQ(entryBytes(), bytes);
  }
  std::filesystem::remove(entry());
  std::filesystem::create_directories(entry() / "inside");  // exists, cannot be read
  EXPECT_EQ(items.status(), LoginItemStatus::enabled);
  EXPECT_FALSE(items.unregisterMainApp());
}

TEST_F(XdgAutostartTest, AnEntryThatCannotBeWrittenIsARegistrationError) {
  for (const auto& path : std::vector<std::optional<std::string>>{
           std::nullopt, "/opt/not utf-8 \xff/Calyxa", "/opt/bell\x07/Calyxa"}) {
    process->executable = path;
    EXPECT_FALSE(items.registerMainApp()) << path.value_or("no path");
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "config/autostart"));

  process->executable = "/opt/Calyxa/Calyxa";
  dir.write("config/autostart", "a file where the folder should be");
  EXPECT_FALSE(items.registerMainApp());
  EXPECT_EQ(items.status(), LoginItemStatus::notRegistered);
}

TEST(ProcProcessInfoTest, ReadsTheExecutableAndTheArgumentsOfAProcessFolder) {
  TempDir self;
  ProcProcessInfo info(self.path());
  EXPECT_FALSE(info.mainExecutablePath());
  EXPECT_TRUE(info.arguments().empty());

  std::filesystem::create_symlink("/opt/Calyxa Build/Calyxa", self / "exe");
  self.write("cmdline", std::string("Calyxa\0--launched-at-login\0\0last\0", 33));
  EXPECT_EQ(info.mainExecutablePath(), "/opt/Calyxa Build/Calyxa");
  EXPECT_EQ(info.arguments(),
            (std::vector<std::string>{"Calyxa", "--launched-at-login", "", "last"}));

  // Replaced while running: the file now at the path is the one to start next time.
  const std::filesystem::path installed = self / "Calyxa";
  self.write("Calyxa", "new version");
  std::filesystem::remove(self / "exe");
  std::filesystem::create_symlink(installed.string() + " (deleted)", self / "exe");
  EXPECT_EQ(info.mainExecutablePath(), installed.string());
  std::filesystem::remove(installed);
  EXPECT_EQ(info.mainExecutablePath(), installed.string() + " (deleted)");

  // The real one: this test program.
  ProcProcessInfo real;
  EXPECT_EQ(real.mainExecutablePath(), std::filesystem::canonical("/proc/self/exe").string());
  ASSERT_FALSE(real.arguments().empty());
}

TEST(LinuxSystemPermissionsTest, OnlyReadableInputDevicesCountAndAddressesGoToXdgOpen) {
  TempDir dir;
  std::vector<std::pair<std::filesystem::path, std::vector<std::string>>> launched;
  const auto launcher = [&](const std::filesystem::path& program,
                            const std::vector<std::string>& arguments) {
    launched.emplace_back(program, arguments);
    return true;
  };

  // Nodes that can be opened but are no input devices, and a folder without devices.
  dir.write("input/event0", "not a device");
  std::filesystem::create_directories(dir / "input/event1");
  dir.write("input/mouse0", "");
  for (const auto& input : {dir / "input", dir / "none"}) {
    LinuxSystemPermissions permissions(input, launcher, "");
    EXPECT_FALSE(permissions.preflightListenEventAccess());
    EXPECT_FALSE(permissions.requestListenEventAccess());
    EXPECT_FALSE(permissions.isProcessTrusted());
    EXPECT_FALSE(permissions.isProcessTrustedWithPrompt());
  }

  const std::string address = "https://example.invalid/settings";
  std::filesystem::create_directories(dir / "empty");
  dir.write("plain/xdg-open", "#!/bin/sh\n");  // not executable
  std::filesystem::create_directories(dir / "folder/xdg-open");
  const std::string none = (dir / "empty").string() + ":" + (dir / "plain").string() + ":" +
                           (dir / "folder").string() + "::relative";
  LinuxSystemPermissions({}, launcher, none).openURL(address);
  EXPECT_TRUE(launched.empty()) << "no handler, nothing happens";

  const std::filesystem::path opener = dir.write("bin/xdg-open", "#!/bin/sh\n");
  std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
  LinuxSystemPermissions({}, launcher, none + ":" + (dir / "bin").string()).openURL(address);
  LinuxSystemPermissions({}, launcher, (dir / "bin").string())
      .openURL("x-apple.systempreferences:com.apple.preference.security");
  ASSERT_EQ(launched.size(), 1u) << "the Mac's settings panes are never handed on";
  EXPECT_EQ(launched[0].first, opener);
  EXPECT_EQ(launched[0].second, (std::vector<std::string>{"xdg-open", address}));
}

}  // namespace
}  // namespace calyxa
