#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <set>

#include "shell/snapshot_command.h"
#include "support/app_bundle_tree.h"
#include "support/ctl_runner.h"
#include "support/temp_dir.h"

namespace calyxa {
namespace {

using namespace calyxa::testing;
namespace fs = std::filesystem;

// Every path under `folder`, relative.
std::set<std::string> listing(const fs::path& folder) {
  std::set<std::string> result;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    result.insert(fs::relative(entry.path(), folder).string());
  return result;
}

struct SnapshotWorld {
  TempDir root, home, out;
  std::map<std::string, std::string> environment() const {
    return {{"CALYXA_SYSTEM_ROOT", root.path()},
            {"HOME", home.path()},
            {"XDG_CONFIG_HOME", (home / "config").string()},
            {"XDG_DATA_HOME", (home / "data").string()},
            {"XDG_DATA_DIRS", (home / "none").string()},
            {"XDG_RUNTIME_DIR", out.path()}};
  }
  CtlRun run(std::vector<std::string> arguments) const {
    return runProgram(CALYXA_EXECUTABLE, arguments, environment());
  }
};

TEST(SnapshotCommandTest, BadArgumentsAreUsageErrorsAndNothingIsWritten) {
  SnapshotWorld world;
  const std::string file = (world.out / "shot.png").string();
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {"--snapshot"},
           {"--snapshot", file, "--size", "0x600"},
           {"--snapshot", file, "--size", "800"},
           {"--snapshot", file, "--size", "80x60x2"},
           {"--snapshot", file, "--size", "-5x600"},
           {"--snapshot", file, "--size", "99999x600"},
           {"--snapshot", file, "--page", "0"},
           {"--snapshot", file, "--page", "two"},
           {"--snapshot", file, "--page"},
           {"--snapshot", file, "--colour", "red"},
       }) {
    const auto parsed = parseSnapshotArguments(arguments);
    EXPECT_TRUE(std::holds_alternative<SnapshotUsageError>(parsed)) << arguments.back();
  }
  const CtlRun usage = world.run({"--snapshot", file, "--size", "wide"});
  EXPECT_EQ(usage.status, 64);
  EXPECT_NE(usage.err.find("usage: Calyxa --snapshot"), std::string::npos);

  // A folder that does not exist, or a file in the way: one line, nothing written anywhere.
  world.out.write("plain", "not a folder");
  for (const fs::path& target :
       {world.out / "missing" / "shot.png", world.out / "plain" / "x.png", world.out.path()}) {
    const CtlRun run = world.run({"--snapshot", target.string()});
    EXPECT_NE(run.status, 0) << target;
    EXPECT_EQ(splitLines(run.err).size(), 1u) << run.err;
    EXPECT_NE(run.err.find("cannot write"), std::string::npos);
    EXPECT_FALSE(fs::is_regular_file(target));
  }
  EXPECT_TRUE(listing(world.home.path()).empty());
  EXPECT_EQ(listing(world.out.path()), std::set<std::string>{"plain"});

  const auto options = std::get<SnapshotOptions>(parseSnapshotArguments(
      {"--size", "1280x800", "--snapshot", "a.png", "--page", "3", "--search", "音乐", "--edit"}));
  EXPECT_EQ(options.file, "a.png");
  EXPECT_EQ(options.width, 1280);
  EXPECT_EQ(options.height, 800);
  EXPECT_EQ(options.page, 2);
  EXPECT_EQ(options.search, "音乐");
  EXPECT_TRUE(options.edit);
}

TEST(SnapshotCommandTest, RendersTheOverlayOfARealTreeAndWritesOnlyThePicture) {
  SnapshotWorld world;
  for (int i = 0; i < 45; ++i) {
    BundleContents contents;
    contents.identifier = "com.example.app" + std::to_string(i);
    if (i % 3 == 0)
      contents.localizedDisplayNames = {{"zh-Hans.lproj", "应用 " + std::to_string(i)}};
    writeAppBundle(world.root.path(), "/Applications/App " + std::to_string(i) + ".app", contents);
  }
  const auto before = listing(world.home.path());
  for (const auto& [name, arguments] :
       std::vector<std::pair<std::string, std::vector<std::string>>>{
           {"snapshot-default", {}},
           {"snapshot-page-2-edit", {"--page", "2", "--edit", "--size", "1280x800"}},
           {"snapshot-search", {"--search", "应用", "--size", "1000x650"}}}) {
    SCOPED_TRACE(name);
    const fs::path file = world.out / (name + ".png");
    std::vector<std::string> command{"--snapshot", file.string()};
    command.insert(command.end(), arguments.begin(), arguments.end());
    const CtlRun run = world.run(command);
    ASSERT_EQ(run.status, 0) << run.err;
    const QImage picture(QString::fromStdString(file.string()));
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), name == "snapshot-default"  ? QSize(1440, 900)
                              : name == "snapshot-search" ? QSize(1000, 650)
                                                          : QSize(1280, 800));
    fs::create_directories(CALYXA_RENDER_DIR);
    fs::copy_file(file, fs::path(CALYXA_RENDER_DIR) / (name + ".png"),
                  fs::copy_options::overwrite_existing);
  }
  // Nothing else: no layout file, no preferences, no folders.
  EXPECT_EQ(listing(world.home.path()), before);
  std::set<std::string> pictures;
  for (const auto& entry : fs::directory_iterator(world.out.path()))
    if (entry.path().extension() == ".png") pictures.insert(entry.path().filename().string());
  EXPECT_EQ(pictures.size(), 3u);
}

}  // namespace
}  // namespace calyxa
