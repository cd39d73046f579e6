#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <nlohmann/json.hpp>

#include "catalogue/item_json.h"
#include "catalogue/layout_file.h"
#include "platform/posix/file_io.h"
#include "support/app_bundle_tree.h"
#include "support/ctl_runner.h"
#include "support/temp_dir.h"

namespace calyxa {
namespace {

using namespace calyxa::testing;
using ::testing::HasSubstr;

// calyxa-ctl with a home, a settings folder and a system root of the test's own.
class CatalogueCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (calyxaCtlPath().empty()) GTEST_SKIP() << "CALYXA_CTL names no calyxa-ctl";
    std::filesystem::create_directories(dir / "root");
    std::filesystem::create_directories(dir / "home");
  }

  CtlRun run(const std::vector<std::string>& arguments) const {
    return runCalyxaCtl(arguments, {{"HOME", (dir / "home").string()},
                                    {"XDG_CONFIG_HOME", (dir / "config").string()},
                                    {"CALYXA_SYSTEM_ROOT", (dir / "root").string()},
                                    {"LANG", "zh_CN.UTF-8"}});
  }

  std::filesystem::path layoutFile() const {
    return dir / "home" / "CalyxaData" / "tilewell_layout.json";
  }
  void bundle(const std::string& systemPath, BundleContents contents = {}) const {
    writeAppBundle(dir / "root", systemPath, contents);
  }

  TempDir dir;
};

TEST_F(CatalogueCommandTest, PrintsTheSavedDocumentAndTheCatalogueSortedById) {
  bundle("/Applications/Zebra.app", {.identifier = "com.example.zebra"});
  bundle("/Applications/Games/Chess.app", {.format = PlistFormat::binary});
  bundle("/Applications/Viewer.app",
         {.identifier = "com.example.viewer", .localizedDisplayNames = {{"zh-Hans", "查看器"}}});
  // The user database's home of whoever runs the test, under the root.
  const passwd* user = ::getpwuid(::getuid());
  ASSERT_TRUE(user && user->pw_dir && *user->pw_dir);
  const std::string mine = std::string(user->pw_dir) + "/Applications/Mine.app";
  bundle(mine);

  const CtlRun first = run({"catalogue"});
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.err, "");
  const auto output = splitLines(first.out);
  ASSERT_EQ(output.size(), 2u) << first.out;
  EXPECT_EQ(output[0], readFileBytes(layoutFile(), kMaxLayoutFileBytes).bytes)
      << "the first line is the layout file, byte for byte";

  std::vector<std::string> catalogueIDs;  // each an application record, else value() throws
  for (const auto& element : nlohmann::json::parse(output[1]))
    catalogueIDs.push_back(decodeAppItem(element).value().id);
  EXPECT_TRUE(std::is_sorted(catalogueIDs.begin(), catalogueIDs.end()));
  EXPECT_THAT(output[1], HasSubstr("{\"id\":\"" + mine + "\","));
  // Keys in field order.
  EXPECT_THAT(
      output[1],
      HasSubstr(R"({"id":"/Applications/Zebra.app","name":"Zebra","englishName":"Zebra",)"
                R"("bundleIdentifier":"com.example.zebra","path":"/Applications/Zebra.app",)"
                R"("isSystemApp":false})"));
  EXPECT_THAT(output[0], HasSubstr(R"("id":"\/Applications\/Viewer.app","name":"查看器")"));

  // A folder made in the layout survives the next run; the extra folder's bundles join.
  const std::string edited =
      R"([{"type":"folder","id":"F","name":"游戏","subAppIDs":["/Applications/Games/Chess.app",)"
      R"("/Applications/Zebra.app"]}])";
  ASSERT_TRUE(writeFileAtomically(layoutFile(), edited));
  bundle("/Volumes/Extra/Portable.app");
  const CtlRun second = run({"catalogue", "--extra-directory", "/Volumes/./Extra/"});
  ASSERT_EQ(second.status, 0) << second.err;
  const auto again = splitLines(second.out);
  ASSERT_EQ(again.size(), 2u);
  EXPECT_TRUE(again[0].starts_with(
      R"([{"type":"folder","id":"F","name":"游戏","subAppIDs":["\/Applications\/Games\/Chess.app",)"
      R"("\/Applications\/Zebra.app"]},)"))
      << again[0];
  EXPECT_THAT(again[1], HasSubstr(R"("id":"/Volumes/Extra/Portable.app")"));
  EXPECT_EQ(again[0], readFileBytes(layoutFile(), kMaxLayoutFileBytes).bytes);
}

TEST_F(CatalogueCommandTest, BadArgumentsAndAFailedSaveAreReported) {
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {"catalogue", "--extra-directory"},
           {"catalogue", "--bogus"},
           {"catalogue", "extra"},
           {"catalogue", "--extra-directory", "relative/path"},
           {"catalogue", "--extra-directory=/Volumes", "--extra-directory", "/Volumes"},
           {"catalogue", "--extra-directory", "/Volumes/Absent"},
       }) {
    SCOPED_TRACE(arguments.back());  // each case ends differently
    const CtlRun outcome = run(arguments);
    EXPECT_EQ(outcome.status, 64);
    EXPECT_EQ(outcome.out, "");
    EXPECT_TRUE(outcome.err.starts_with("calyxa-ctl catalogue: ")) << outcome.err;
  }
  EXPECT_FALSE(std::filesystem::exists(layoutFile())) << "nothing was scanned or saved";

  const CtlRun help = run({"help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_THAT(help.out, HasSubstr("\n  catalogue")) << "scripts/run.sh looks for it";

  bundle("/Applications/Solo.app");
  dir.write("home/CalyxaData", "in the way");  // where the data folder should be
  const CtlRun outcome = run({"catalogue"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(splitLines(outcome.out).size(), 2u) << "the scan's result is still shown";
  EXPECT_THAT(outcome.err, HasSubstr("could not write the layout file"));
}

}  // namespace
}  // namespace calyxa
