#include <gtest/gtest.h>

#include <regex>

#include "catalogue/chunked.h"
#include "catalogue/item_json.h"
#include "support/test_platform.h"

namespace calyxa {
namespace {

using testing::makeApp;

TEST(LaunchItemTest, IdentityEqualityUuidsAndStrictDecoding) {
  AppItem safari = makeApp("Safari");
  AppItem renamed = safari;
  renamed.name = "浏览器";
  renamed.isSystemApp = true;
  EXPECT_EQ(safari, renamed) << "applications are equal by id alone";
  const AppItem mail = makeApp("Mail");
  const LaunchFolder folder("F", "工具", {safari, mail});
  EXPECT_EQ(folder, LaunchFolder("F", "工具", {renamed, mail}));
  EXPECT_NE(folder, LaunchFolder("F", "工具", {mail, safari})) << "order matters";
  EXPECT_NE(folder, LaunchFolder("F", "工具 ", {safari, mail}));
  const AppItem folderNamedApp{"F", "工具", "x", "x", "x", false};
  EXPECT_NE(LaunchItem::app(folderNamedApp), LaunchItem::folder(LaunchFolder("F", "工具", {})));

  const std::regex uuid("^[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}$");
  const LaunchFolder a("新建文件夹", {});
  const LaunchFolder b("新建文件夹", {});
  EXPECT_TRUE(std::regex_match(a.id, uuid)) << a.id;
  EXPECT_NE(a.id, b.id);

  const auto json = nlohmann::json::parse(encodeLaunchFolder(folder).dump());
  EXPECT_EQ(decodeLaunchFolder(json), folder);
  for (const char* key : {"id", "name", "englishName", "bundleIdentifier", "path", "isSystemApp"}) {
    auto broken = json;
    broken["apps"][1].erase(key);
    EXPECT_FALSE(decodeLaunchFolder(broken)) << "without " << key;
  }

  EXPECT_EQ(chunked(std::vector<int>(35), 7).size(), 5u);
  EXPECT_EQ(chunked(std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 7).back(),
            (std::vector<int>{7, 8, 9}));
  EXPECT_TRUE(chunked(std::vector<int>{}, 7).empty());
}

}  // namespace
}  // namespace calyxa
