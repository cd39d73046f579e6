#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "catalogue/chunked.h"
#include "catalogue/item_json.h"
#include "catalogue/launch_item.h"
#include "support/test_platform.h"

namespace calyxa {
namespace {

using testing::makeApp;

TEST(LaunchItemTest, EqualityFollowsIdentityRules) {
  AppItem safari = makeApp("Safari");
  AppItem renamed = safari;
  renamed.name = "Safari 浏览器";
  renamed.path = "/elsewhere/Safari.app";
  renamed.isSystemApp = true;
  EXPECT_EQ(safari, renamed) << "applications are equal by id alone";
  AppItem other = safari;
  other.id = "/Applications/Other.app";
  EXPECT_NE(safari, other);

  const AppItem mail = makeApp("Mail");
  const LaunchFolder folder("F1", "工具", {safari, mail});
  EXPECT_EQ(folder, LaunchFolder("F1", "工具", {renamed, mail})) << "member records compare by id";
  EXPECT_NE(folder, LaunchFolder("F1", "工具", {mail, safari})) << "order matters";
  EXPECT_NE(folder, LaunchFolder("F1", "工具 ", {safari, mail})) << "so does the name";
  EXPECT_NE(folder, LaunchFolder("F1", "工具", {safari}));

  const AppItem sameIdAsFolder{"F1", "x", "x", "x", "x", false};
  EXPECT_NE(LaunchItem::app(sameIdAsFolder), LaunchItem::folder(LaunchFolder("F1", "x", {})));
  EXPECT_EQ(LaunchItem::folder(folder).id(), "F1");
  EXPECT_TRUE(LaunchItem::folder(folder).isFolder());
  EXPECT_EQ(LaunchItem::app(mail).name(), "Mail");
  EXPECT_FALSE(LaunchItem::app(mail).isFolder());
}

TEST(LaunchItemTest, NewFoldersGetDistinctUpperCaseVersion4Uuids) {
  const std::regex uuid("^[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}$");
  std::set<std::string> seen;
  for (int i = 0; i < 200; ++i) {
    const LaunchFolder folder("新建文件夹", {});
    ASSERT_EQ(folder.id.size(), 36u);
    ASSERT_TRUE(std::regex_match(folder.id, uuid)) << folder.id;
    seen.insert(folder.id);
  }
  EXPECT_EQ(seen.size(), 200u);
}

TEST(ItemJsonTest, RoundTripsAndRequiresEveryKeyWithItsKind) {
  const AppItem app{"/Applications/微信.app", "微信", "WeChat", "com.tencent.xinWeChat",
                    "/Applications/微信.app", false};
  const LaunchFolder folder("A-B", "社交沟通", {app, makeApp("Slack", true)});

  const auto appJson = encodeAppItem(app);
  EXPECT_EQ(appJson.dump(),
            R"({"id":"/Applications/微信.app","name":"微信","englishName":"WeChat",)"
            R"("bundleIdentifier":"com.tencent.xinWeChat","path":"/Applications/微信.app",)"
            R"("isSystemApp":false})");
  const auto decoded = decodeLaunchFolder(nlohmann::json::parse(encodeLaunchFolder(folder).dump()));
  ASSERT_TRUE(decoded);
  EXPECT_EQ(*decoded, folder);
  EXPECT_TRUE(decoded->apps[1].isSystemApp);
  EXPECT_EQ(decoded->apps[0].englishName, "WeChat");

  for (const char* key : {"id", "name", "englishName", "bundleIdentifier", "path", "isSystemApp"}) {
    nlohmann::json missing = nlohmann::json::parse(appJson.dump());
    missing.erase(key);
    EXPECT_FALSE(decodeAppItem(missing)) << "without " << key;
    nlohmann::json wrongKind = nlohmann::json::parse(appJson.dump());
    wrongKind[key] = nullptr;
    EXPECT_FALSE(decodeAppItem(wrongKind)) << key << " as null";
  }
  nlohmann::json badMember = nlohmann::json::parse(encodeLaunchFolder(folder).dump());
  badMember["apps"][1].erase("path");
  EXPECT_FALSE(decodeLaunchFolder(badMember));
  EXPECT_FALSE(decodeLaunchFolder(nlohmann::json::parse(R"({"id":"x","name":"y"})")));
  EXPECT_FALSE(decodeAppItem(nlohmann::json::array()));
}

TEST(ChunkedTest, CutsRunsOfTheGivenSize) {
  std::vector<int> thirtyFive(35);
  EXPECT_EQ(chunked(thirtyFive, 7).size(), 5u);
  const auto rows = chunked(std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 7);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].size(), 7u);
  EXPECT_EQ(rows[1], (std::vector<int>{7, 8, 9}));
  EXPECT_TRUE(chunked(std::vector<int>{}, 7).empty());
}

}  // namespace
}  // namespace calyxa
