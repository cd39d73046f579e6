#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <nlohmann/json.hpp>
#include <thread>

#include "catalogue/item_json.h"
#include "platform/posix/file_io.h"
#include "support/ctl_runner.h"
#include "support/temp_dir.h"

namespace calyxa {
namespace {

using namespace calyxa::testing;
using ::testing::HasSubstr;
using Lines = std::vector<std::string>;

std::string entry(const std::string& keys, const std::string& type = "Application") {
  return "[Desktop Entry]\nType=" + type + "\n" + keys;
}

// Data folders of the test's own: `data-home` is $XDG_DATA_HOME, `share` and `more` are
// $XDG_DATA_DIRS, with folders that are missing or not folders at all among them.
class DesktopEntriesCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (calyxaCtlPath().empty()) GTEST_SKIP() << "CALYXA_CTL names no calyxa-ctl";
    std::filesystem::create_directories(dir / "root");
    std::filesystem::create_directories(dir / "home");
    std::filesystem::create_directories(dir / "data-home/applications");
    dir.write("bin/record", "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"" + (dir / "marker").string() +
                                ".part\"\n/bin/mv \"" + (dir / "marker").string() + ".part\" \"" +
                                (dir / "marker").string() + "\"\n");
    ::chmod((dir / "bin/record").c_str(), 0755);
  }

  CtlRun run(const std::vector<std::string>& arguments, const std::string& lang = "zh_CN.UTF-8",
             std::string_view input = {}, const std::string& path = "/usr/bin:/bin") const {
    return runCalyxaCtl(
        arguments,
        {{"PATH", path},
         {"HOME", (dir / "home").string()},
         {"XDG_CONFIG_HOME", (dir / "config").string()},
         {"CALYXA_SYSTEM_ROOT", (dir / "root").string()},
         {"XDG_DATA_HOME", (dir / "data-home").string()},
         {"XDG_DATA_DIRS", (dir / "share").string() + ":" + (dir / "absent").string() + ":" +
                               (dir / "bin/record").string() + ":" + (dir / "more").string()},
         {"XDG_CURRENT_DESKTOP", "GNOME"},
         {"LANG", lang}},
        input);
  }

  // The catalogue a run prints, one line per application: id | name (englishName) |
  // bundleIdentifier | path relative to the test folder | system.
  Lines catalogue(const std::string& lang = "zh_CN.UTF-8") const {
    const CtlRun outcome = run({"catalogue"}, lang);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    const auto lines = splitLines(outcome.out);
    if (lines.size() != 2) return {"unexpected output: " + outcome.out};
    Lines described;
    for (const auto& element : nlohmann::json::parse(lines[1])) {
      const AppItem app = decodeAppItem(element).value();
      described.push_back(app.id + " | " + app.name + " (" + app.englishName + ") | " +
                          app.bundleIdentifier + " | " +
                          std::filesystem::path(app.path).lexically_relative(dir.path()).string() +
                          (app.isSystemApp ? " | system" : ""));
    }
    return described;
  }

  std::string layoutBytes() const {
    return readFileBytes(dir / "home/CalyxaData/tilewell_layout.json", 1 << 20).bytes;
  }

  TempDir dir;
};

TEST_F(DesktopEntriesCommandTest, ListsWhatTheDesktopShowsUnderItsIDsInTheUsersLanguage) {
  dir.write("share/applications/viewer.desktop",
            entry("Name=Viewer\nName[zh]=看图\nName[zh_CN]=查看器\nName[sr@latin]=Pregled\n"
                  "Name[sr_RS]=Преглед\nGenericName=Image Viewer\nKeywords=photo;\n"
                  "Exec=true %F\nIcon=calyxa-viewer\n"));
  dir.write("share/applications/shadowed.desktop", entry("Name=Theirs\nExec=true\n"));
  dir.write("data-home/applications/shadowed.desktop", entry("Name=Mine\nExec=true\n"));
  dir.write("share/applications/vendor/tool.desktop", entry("Name=Tool\nExec=true\n"));
  dir.write("share/applications/gnome-only.desktop",
            entry("Name=Gnome Only\nExec=true\nOnlyShowIn=GNOME;\n"));
  dir.write("more/applications/later.desktop", entry("Name=Later\nExec=true\n"));
  // Left out: hidden from menus, deleted, for other desktops, not installed, not an
  // application, no name, and an entry the user hid over a distribution's one.
  dir.write("share/applications/nodisplay.desktop", entry("Name=N\nExec=true\nNoDisplay=true\n"));
  dir.write("share/applications/hidden.desktop", entry("Name=H\nExec=true\nHidden=true\n"));
  dir.write("share/applications/kde-only.desktop", entry("Name=K\nExec=true\nOnlyShowIn=KDE;\n"));
  dir.write("share/applications/not-gnome.desktop", entry("Name=G\nExec=true\nNotShowIn=GNOME;\n"));
  dir.write("share/applications/tryexec.desktop",
            entry("Name=T\nExec=true\nTryExec=/nonexistent/calyxa-program\n"));
  dir.write("share/applications/link.desktop", entry("Name=L\nURL=https://example.com\n", "Link"));
  dir.write("share/applications/nameless.desktop", entry("Exec=true\n"));
  dir.write("share/applications/masked.desktop", entry("Name=Masked\nExec=true\n"));
  dir.write("data-home/applications/masked.desktop",
            entry("Name=Masked\nExec=true\nHidden=true\n"));

  EXPECT_EQ(
      catalogue(),
      (Lines{"gnome-only.desktop | Gnome Only (Gnome Only) | gnome-only | "
             "share/applications/gnome-only.desktop | system",
             "later.desktop | Later (Later) | later | more/applications/later.desktop | system",
             "shadowed.desktop | Mine (Mine) | shadowed | "
             "data-home/applications/shadowed.desktop",
             "vendor-tool.desktop | Tool (Tool) | vendor-tool | "
             "share/applications/vendor/tool.desktop | system",
             "viewer.desktop | 查看器 (Viewer) | viewer | share/applications/viewer.desktop | "
             "system"}));
  // Region and modifier fall-backs of the name.
  for (const auto& [lang, name] :
       std::vector<std::pair<std::string, std::string>>{{"zh_TW.UTF-8", "看图"},
                                                        {"sr_RS.UTF-8@latin", "Pregled"},
                                                        {"sr_RS.UTF-8", "Преглед"},
                                                        {"sr_ME.UTF-8", "Viewer"},
                                                        {"C", "Viewer"}}) {
    EXPECT_THAT(catalogue(lang).back(), HasSubstr("| " + name + " (Viewer) |")) << lang;
  }

  // Entries join the saved layout like bundles: new ones at the end, user's own first.
  const auto layout = layoutBytes();
  EXPECT_EQ(layout.find(R"({"type":"app","id":"shadowed.desktop","name":"Mine"})"), 1u) << layout;
}

TEST_F(DesktopEntriesCommandTest, LaunchesThroughTheDesktopsRulesWithoutAShell) {
  const std::string record = (dir / "bin/record").string();
  dir.write("share/applications/marker.desktop",
            entry("Name=Marker\nName[zh_CN]=记录\nExec=" + record +
                  " \"two words\" \"say \\\\\"hi\\\\\" $HOME `id`\" %c %k %f %U 100%%\n"));
  // A terminal program where no terminal is on the PATH.
  dir.write("share/applications/broken.desktop",
            entry("Name=Broken\nExec=" + record + "\nTerminal=true\n"));
  // Never listed, so never launched: a quote left open, a program that is not there.
  dir.write("share/applications/unbalanced.desktop",
            entry("Name=Unbalanced\nExec=" + record + " \"open\n"));
  dir.write("share/applications/missing.desktop",
            entry("Name=Missing\nExec=/nonexistent/calyxa-program\n"));

  // Only the test's own programs on the PATH.
  const auto launch = [&](const std::vector<std::string>& arguments) {
    return run(arguments, "zh_CN.UTF-8", {}, (dir / "bin").string());
  };
  const CtlRun launched = launch({"launch", "marker.desktop"});
  EXPECT_EQ(launched.status, 0) << launched.err;
  // The child writes its arguments on its own time: wait for them, no timer is involved.
  for (int i = 0; i < 500 && !std::filesystem::exists(dir / "marker"); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(splitLines(readFileBytes(dir / "marker", 1 << 16).bytes),
            (Lines{"two words", "say \"hi\" $HOME `id`", "记录",
                   (dir / "share/applications/marker.desktop").string(), "100%"}));

  const CtlRun failed = launch({"launch", "broken.desktop"});
  EXPECT_EQ(failed.status, 69) << failed.err;
  EXPECT_THAT(failed.err, HasSubstr("broken.desktop could not be started"));
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{"launch", "unbalanced.desktop"},
                                             {"launch", "missing.desktop"},
                                             {"launch", "absent.desktop"},
                                             {"launch"},
                                             {"launch", "a", "b"}}) {
    const CtlRun refused = launch(arguments);
    EXPECT_EQ(refused.status, 64) << refused.err;
  }
}

TEST_F(DesktopEntriesCommandTest, AFolderKeepsAnEntryThatMovedToAnotherDataFolder) {
  dir.write("share/applications/mover.desktop", entry("Name=Mover\nExec=true\n"));
  dir.write("share/applications/stay.desktop", entry("Name=Stay\nExec=true\n"));
  const CtlRun merged = run({"arrange"}, "C", "merge mover.desktop stay.desktop\n");
  ASSERT_THAT(merged.out, HasSubstr(R"("subAppIDs":["stay.desktop","mover.desktop"])"))
      << merged.out << merged.err;

  std::filesystem::create_directories(dir / "more/applications");
  std::filesystem::rename(dir / "share/applications/mover.desktop",
                          dir / "more/applications/mover.desktop");
  EXPECT_THAT(catalogue("C"), ::testing::Contains("mover.desktop | Mover (Mover) | mover | "
                                                  "more/applications/mover.desktop | system"));
  EXPECT_THAT(layoutBytes(), HasSubstr(R"("subAppIDs":["stay.desktop","mover.desktop"])"));

  // Uninstalled, it leaves the folder as an uninstalled bundle would: the folder dissolves.
  std::filesystem::remove(dir / "more/applications/mover.desktop");
  catalogue("C");
  EXPECT_EQ(layoutBytes(), R"([{"type":"app","id":"stay.desktop","name":"Stay"}])");
}

TEST_F(DesktopEntriesCommandTest, BadEntriesAndFoldersAreLeftOutAndTheScanCompletes) {
  dir.write("share/applications/good.desktop", entry("Name=Good\nExec=true\n"));
  dir.write("share/applications/garbled.desktop", entry("Name=Gar\xFF\xFE\nExec=true\n"));
  dir.write("share/applications/garbled-id-\xFF.desktop", entry("Name=Id\nExec=true\n"));
  dir.write("share/applications/long.desktop",
            entry("Name=Long\nComment=" + std::string(1 << 20, 'x') + "\nExec=true\n"));
  dir.write("share/applications/binary.desktop", std::string("\x7f"
                                                             "ELF\0\1\2",
                                                             7));
  dir.write("share/applications/absurd-icon.desktop",
            entry("Name=Absurd\nExec=true\nIcon=" + (dir / "share").string() + "\n"));
  // Links that go round in circles, one back to the folder holding it, one to nowhere.
  std::filesystem::create_symlink("loop-b", dir / "share/applications/loop-a");
  std::filesystem::create_symlink("loop-a", dir / "share/applications/loop-b");
  std::filesystem::create_symlink("loop-c.desktop", dir / "share/applications/loop-c.desktop");
  std::filesystem::create_directory_symlink(dir / "share/applications",
                                            dir / "share/applications/again");
  dir.write("more/applications", "a file where the folder should be");
  // Opening a pipe would wait for a writer that never comes.
  ASSERT_EQ(::mkfifo((dir / "share/applications/pipe.desktop").c_str(), 0644), 0);

  const Lines found = catalogue("C");
  Lines ids;
  for (const auto& line : found)
    ids.push_back(line.substr(0, line.find(' ')));
  // The folder linked back into itself is read once: no entry comes twice under a second ID.
  EXPECT_THAT(ids,
              ::testing::IsSupersetOf({"absurd-icon.desktop", "good.desktop", "long.desktop"}));
  for (const auto& id : ids) {
    EXPECT_EQ(id.find("garbled"), std::string::npos);
    EXPECT_EQ(id.find("binary"), std::string::npos);
    EXPECT_FALSE(id.starts_with("again-")) << id;
  }
}

}  // namespace
}  // namespace calyxa
