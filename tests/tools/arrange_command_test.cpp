#include <gtest/gtest.h>

#include <set>

#include "catalogue/layout_file.h"
#include "platform/posix/file_io.h"
#include "support/app_bundle_tree.h"
#include "support/ctl_runner.h"
#include "support/temp_dir.h"

namespace calyxa {
namespace {

using namespace calyxa::testing;

// calyxa-ctl arrange over a tree of 42 applications (two pages) of the test's own.
class ArrangeCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (calyxaCtlPath().empty()) GTEST_SKIP() << "CALYXA_CTL names no calyxa-ctl";
    std::vector<std::string> names = {"Mail",   "Music Player", "Notes", "Visual Studio Code",
                                      "WeChat", "Xcode"};
    for (int i = 0; i < 36; ++i)
      names.push_back((i < 10 ? "Tool 0" : "Tool ") + std::to_string(i));
    for (const auto& name : names)
      writeAppBundle(dir / "root", "/Applications/" + name + ".app", {});
  }

  CtlRun arrange(const std::string& script, std::vector<std::string> arguments = {}) const {
    arguments.insert(arguments.begin(), "arrange");
    return runCalyxaCtl(arguments,
                        {{"HOME", (dir / "home").string()},
                         {"XDG_CONFIG_HOME", (dir / "config").string()},
                         {"CALYXA_SYSTEM_ROOT", (dir / "root").string()},
                         {"LANG", "C.UTF-8"}},
                        script);
  }

  std::filesystem::path layoutFile() const {
    return dir / "home" / "CalyxaData" / "tilewell_layout.json";
  }
  std::string fileBytes() const { return readFileBytes(layoutFile(), kMaxLayoutFileBytes).bytes; }

  testing::TempDir dir;
};

std::vector<SavedLayoutItem> decode(const std::string& line) {
  auto records = decodeCurrentLayout(line);
  EXPECT_TRUE(records) << line;
  return records.value_or(std::vector<SavedLayoutItem>{});
}

std::optional<std::size_t> indexOf(const std::vector<SavedLayoutItem>& records,
                                   const std::string& id) {
  for (std::size_t i = 0; i < records.size(); ++i)
    if (records[i].id == id) return i;
  return std::nullopt;
}

TEST_F(ArrangeCommandTest, AppliesEachLineThroughTheStoreAndSavesTheLastArrangement) {
  // First run: two folders made by dropping one application on another.
  const CtlRun first = arrange(
      "# two folders\n"
      "merge \"/Applications/Visual Studio Code.app\" /Applications/Xcode.app\n"
      "\n"
      "merge \"/Applications/Music Player.app\" /Applications/WeChat.app\n");
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.err, "");
  const auto out = splitLines(first.out);
  ASSERT_EQ(out.size(), 4u) << first.out;
  EXPECT_EQ(out[0], "toast: 已创建「开发工具」文件夹");
  EXPECT_EQ(out[2], "toast: 已创建「社交沟通」文件夹");
  const auto made = decode(out[3]);
  ASSERT_EQ(made.size(), 40u);
  EXPECT_EQ(made[38].name, "社交沟通") << "in WeChat's slot, counted after Music Player left";
  EXPECT_EQ(made[38].subAppIDs, (std::vector<std::string>{"/Applications/WeChat.app",
                                                          "/Applications/Music Player.app"}));
  EXPECT_EQ(made[39].name, "开发工具");
  EXPECT_EQ(fileBytes(), out[3]) << "the file holds the last printed arrangement, byte for byte";
  const std::string social = made[38].id, tools = made[39].id;

  // Second run, over the saved layout: rename, move to the second page, fill and empty a folder.
  const CtlRun second = arrange("rename " + tools + " \"  我的 \\\"开发\\\" 工具 \"\n" +
                                "to-page /Applications/Notes.app 1\n" + "add " + tools +
                                " \"/Applications/Tool 05.app\"\n" + "remove " + tools +
                                " /Applications/Xcode.app\n" + "remove " + tools +
                                " \"/Applications/Visual Studio Code.app\"\n" + "close-folder\n");
  ASSERT_EQ(second.status, 0) << second.err;
  const auto lines = splitLines(second.out);
  ASSERT_EQ(lines.size(), 8u) << second.out;

  const auto renamed = decode(lines[0]);
  EXPECT_EQ(renamed[*indexOf(renamed, tools)].name, "我的 \"开发\" 工具") << "stored trimmed";

  EXPECT_EQ(lines[1], "toast: 已将「Notes」移至第 2 页");
  EXPECT_EQ(indexOf(decode(lines[2]), "/Applications/Notes.app"), 35u) << "first slot of page 2";

  const auto filled = decode(lines[3]);
  EXPECT_FALSE(indexOf(filled, "/Applications/Tool 05.app")) << "left the grid for the folder";
  EXPECT_EQ(filled[*indexOf(filled, tools)].subAppIDs->back(), "/Applications/Tool 05.app");

  const auto emptied = decode(lines[4]);
  const std::size_t folderAt = *indexOf(emptied, tools);
  EXPECT_EQ(emptied[folderAt + 1].id, "/Applications/Xcode.app") << "right after the folder";

  EXPECT_EQ(lines[5], "toast: 文件夹已解散还原为独立图标");
  const auto dissolved = decode(lines[6]);
  EXPECT_FALSE(indexOf(dissolved, tools));
  EXPECT_EQ(dissolved[folderAt].id, "/Applications/Tool 05.app") << "the last one takes its slot";
  EXPECT_EQ(dissolved[folderAt + 1].id, "/Applications/Visual Studio Code.app");
  EXPECT_TRUE(indexOf(dissolved, social));
  EXPECT_EQ(lines[7], lines[6]) << "closing the folder changes no slot";
  EXPECT_EQ(fileBytes(), lines[7]);
}

TEST_F(ArrangeCommandTest, TwoRunsAtOnceLeaveOneOfTheirArrangementsWhole) {
  const std::map<std::string, std::string> environment = {
      {"HOME", (dir / "home").string()},
      {"XDG_CONFIG_HOME", (dir / "config").string()},
      {"CALYXA_SYSTEM_ROOT", (dir / "root").string()},
      {"LANG", "C.UTF-8"}};
  for (int round = 0; round < 6; ++round) {
    // Different edits each round, so that every round's two results differ from each other and
    // from what was saved before.
    const auto tool = [&](int first) {
      return "\"/Applications/Tool " + std::to_string(first + round) + ".app\"";
    };
    const auto runs = runCalyxaCtlTogether(
        {{{"arrange"}, environment, "step " + tool(10) + " " + std::to_string(-1 - round) + "\n"},
         {{"arrange"}, environment, "merge " + tool(20) + " " + tool(30) + "\n"}});
    std::set<std::string> results;
    for (const auto& run : runs) {
      ASSERT_EQ(run.status, 0) << run.err;
      results.insert(splitLines(run.out).back());
    }
    ASSERT_EQ(results.size(), 2u);
    const std::string saved = fileBytes();
    EXPECT_TRUE(results.contains(saved)) << "round " << round << ": " << saved;
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(layoutFile().parent_path()))
      names.push_back(entry.path().filename());
    EXPECT_EQ(names, std::vector<std::string>{"tilewell_layout.json"}) << "no temporary left";
  }
}

TEST_F(ArrangeCommandTest, DryRunsWriteNothingAndBadLinesAreReportedByNumber) {
  // Not even the layout a first run would settle is saved.
  const CtlRun dry = arrange("to-page /Applications/Mail.app 1\n", {"--dry-run"});
  ASSERT_EQ(dry.status, 0) << dry.err;
  const auto printed = splitLines(dry.out);
  ASSERT_EQ(printed.size(), 2u);
  EXPECT_EQ(indexOf(decode(printed[1]), "/Applications/Mail.app"), 35u);
  EXPECT_FALSE(std::filesystem::exists(layoutFile()));

  const CtlRun run = arrange(
      "step /Applications/Nothing.app 1\n"
      "jump /Applications/Mail.app\n"
      "step /Applications/Mail.app\n"
      "step /Applications/Mail.app one\n"
      "rename \"unterminated\n"
      "\n"
      "   # an indented comment\n"
      "to-page /Applications/Mail.app +1\n"
      "add /Applications/Mail.app /Applications/Ghost.app\n"
      "dissolve NO-SUCH-FOLDER\n");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(splitLines(run.err), (std::vector<std::string>{
                                     "line 1: no item \"/Applications/Nothing.app\"",
                                     "line 2: unknown verb \"jump\"",
                                     "line 3: wrong number of words; usage: step ITEM DELTA",
                                     "line 4: DELTA \"one\" is not an integer",
                                     "line 5: unterminated quote",
                                     "line 9: no item \"/Applications/Ghost.app\"",
                                     "line 10: no item \"NO-SUCH-FOLDER\"",
                                 }));
  const auto out = splitLines(run.out);
  ASSERT_EQ(out.size(), 2u) << "only line 8 applied";
  EXPECT_EQ(out[0], "toast: 已将「Mail」移至第 2 页");
  EXPECT_EQ(fileBytes(), out[1]) << "what did apply is saved";
  const CtlRun undone = arrange("to-page /Applications/Mail.app 0\n", {"--dry-run"});
  EXPECT_EQ(undone.status, 0);
  EXPECT_NE(splitLines(undone.out).back(), out[1]);
  EXPECT_EQ(fileBytes(), out[1]) << "a saved file is left as it was";

  EXPECT_EQ(arrange("", {"--verbose"}).status, 64);
}

}  // namespace
}  // namespace calyxa
