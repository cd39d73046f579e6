#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

#include "catalogue/layout_restoration.h"
#include "support/test_platform.h"

namespace calyxa {
namespace {

using testing::ids;
using testing::makeApp;

std::map<std::string, AppItem> catalogueOf(const std::vector<AppItem>& apps) {
  std::map<std::string, AppItem> catalogue;
  for (const auto& app : apps)
    catalogue.emplace(app.id, app);
  return catalogue;
}

SavedLayoutItem appRecord(const std::string& name) {
  return {"app", "/Applications/" + name + ".app", name, std::nullopt};
}

SavedLayoutItem folderRecord(const std::string& id, std::optional<std::string> name,
                             const std::vector<std::string>& members) {
  std::vector<std::string> paths;
  for (const auto& member : members)
    paths.push_back("/Applications/" + member + ".app");
  return {"folder", id, std::move(name), std::move(paths)};
}

std::vector<std::string> memberIDs(const LaunchItem& item) {
  std::vector<std::string> result;
  for (const auto& app : item.asFolder()->apps)
    result.push_back(app.id);
  return result;
}

const NameCollator& rootCollator() {
  static const NameCollator collator("");
  return collator;
}

TEST(LayoutRestorationTest, SavedSlotsComeFirstWithFreshRecordsThenTheRestInDefaultOrder) {
  AppItem renamed = makeApp("Mail");
  renamed.name = "邮件";
  const auto catalogue =
      catalogueOf({makeApp("Alpha"), makeApp("Beta"), makeApp("Gamma"), makeApp("Delta"), renamed,
                   makeApp("Books", true), makeApp("Zed")});
  const std::vector<SavedLayoutItem> records = {
      folderRecord("F-ALL-GONE", "gone", {"Old1", "Old2"}),
      appRecord("Gamma"),
      folderRecord("F-ONE-LEFT", "one", {"Vanished", "Beta"}),
      appRecord("Vanished"),
      {"widget", "/Applications/Alpha.app", "Alpha", std::nullopt},
      folderRecord("F-NO-NAME", std::nullopt, {"Mail", "Delta", "Gone"}),
      folderRecord("F-EMPTY", "empty", {}),
      {"folder", "F-NO-MEMBERS", "none", std::nullopt},
  };
  const auto arrangement = restoreArrangement(records, catalogue, rootCollator());
  ASSERT_EQ(ids(arrangement),
            (std::vector<std::string>{"/Applications/Gamma.app", "/Applications/Beta.app",
                                      "F-NO-NAME", "/Applications/Alpha.app",
                                      "/Applications/Zed.app", "/System/Applications/Books.app"}));
  EXPECT_FALSE(arrangement[1].isFolder()) << "a folder left with one application dissolves";
  const LaunchFolder& folder = *arrangement[2].asFolder();
  EXPECT_EQ(folder.name, "同类应用");
  EXPECT_EQ(memberIDs(arrangement[2]),
            (std::vector<std::string>{"/Applications/Mail.app", "/Applications/Delta.app"}));
  EXPECT_EQ(folder.apps[0].name, "邮件") << "slots carry the catalogue's current record";

  EXPECT_EQ(ids(restoreArrangement({}, catalogue, rootCollator())),
            (std::vector<std::string>{"/Applications/Alpha.app", "/Applications/Beta.app",
                                      "/Applications/Delta.app", "/Applications/Gamma.app",
                                      "/Applications/Zed.app", "/Applications/Mail.app",
                                      "/System/Applications/Books.app"}))
      << "without records: the default order by current names (邮件 after Zed), no folders";
}

TEST(LayoutRestorationTest, AHandEditedFileCannotPlaceAnApplicationTwiceOrRepeatASlotID) {
  const auto catalogue =
      catalogueOf({makeApp("A"), makeApp("B"), makeApp("C"), makeApp("D"), makeApp("E")});
  const std::vector<SavedLayoutItem> records = {
      appRecord("A"),
      folderRecord("F1", "first", {"A", "B", "B", "C"}),  // A already placed, B twice
      appRecord("C"),                                     // already in F1
      folderRecord("F1", "same id", {"D", "E"}),
      folderRecord("/Applications/A.app", "an app's id", {"A", "D"}),  // A and D taken: dropped
      appRecord("A"),
  };
  const auto arrangement = restoreArrangement(records, catalogue, rootCollator());
  ASSERT_EQ(arrangement.size(), 3u);
  EXPECT_EQ(arrangement[0].id(), "/Applications/A.app");
  EXPECT_EQ(arrangement[1].id(), "F1");
  EXPECT_EQ(memberIDs(arrangement[1]),
            (std::vector<std::string>{"/Applications/B.app", "/Applications/C.app"}));
  ASSERT_TRUE(arrangement[2].isFolder());
  EXPECT_NE(arrangement[2].id(), "F1") << "a repeated folder id is replaced by a fresh one";
  EXPECT_EQ(arrangement[2].id().size(), 36u);
  EXPECT_EQ(arrangement[2].asFolder()->name, "same id");

  // A folder may not take an application's id either.
  const auto clash = restoreArrangement({folderRecord("/Applications/E.app", "x", {"A", "B"})},
                                        catalogue, rootCollator());
  EXPECT_NE(clash[0].id(), "/Applications/E.app");
  EXPECT_EQ(clash.back().id(), "/Applications/E.app");
}

// Over random catalogues and random, often inconsistent records: every catalogued application
// appears exactly once, slot ids are unique, folders hold two or more, and the saved slots keep
// the order in which the records first name their applications.
TEST(LayoutRestorationTest, InvariantsHoldOverRandomRecords) {
  const unsigned seed = 7771;
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  for (int round = 0; round < 300; ++round) {
    std::vector<AppItem> apps;
    const int catalogueSize = static_cast<int>(random() % 30);
    for (int i = 0; i < catalogueSize; ++i)
      apps.push_back(makeApp("App" + std::to_string(random() % 40), random() % 3 == 0));
    const auto catalogue = catalogueOf(apps);

    std::vector<SavedLayoutItem> records;
    const int recordCount = static_cast<int>(random() % 25);
    for (int r = 0; r < recordCount; ++r) {
      const auto someName = [&] { return "App" + std::to_string(random() % 40); };
      switch (random() % 5) {
        case 0:
        case 1:
          records.push_back(appRecord(someName()));
          break;
        case 2: {
          std::vector<std::string> members;
          for (int k = static_cast<int>(random() % 6); k > 0; --k)
            members.push_back(someName());
          records.push_back(folderRecord("F" + std::to_string(random() % 6), "f", members));
          break;
        }
        case 3:
          records.push_back(
              {"folder", "F" + std::to_string(random() % 6), std::nullopt,
               random() % 2 ? std::nullopt : std::optional<std::vector<std::string>>({})});
          break;
        default:
          records.push_back(
              {"other", "/Applications/" + someName() + ".app", std::nullopt, std::nullopt});
      }
    }

    const auto arrangement = restoreArrangement(records, catalogue, rootCollator());
    std::multiset<std::string> placed;
    std::set<std::string> slotIDs;
    std::vector<std::string> placementOrder;
    for (const auto& item : arrangement) {
      EXPECT_TRUE(slotIDs.insert(item.id()).second) << "slot id " << item.id() << " repeated";
      if (const AppItem* app = item.asApp()) {
        placed.insert(app->id);
        placementOrder.push_back(app->id);
        continue;
      }
      EXPECT_GE(item.asFolder()->apps.size(), 2u);
      for (const auto& app : item.asFolder()->apps) {
        placed.insert(app.id);
        placementOrder.push_back(app.id);
      }
    }
    for (const auto& [id, app] : catalogue)
      EXPECT_EQ(placed.count(id), 1u) << id;
    EXPECT_EQ(placed.size(), catalogue.size());

    // The order in which the records first name catalogued applications...
    std::vector<std::string> firstMentions;
    std::set<std::string> mentioned;
    const auto mention = [&](const std::string& id) {
      if (catalogue.contains(id) && mentioned.insert(id).second) firstMentions.push_back(id);
    };
    for (const auto& record : records) {
      if (record.type == "app") mention(record.id);
      if (record.type == "folder" && record.subAppIDs) {
        for (const auto& id : *record.subAppIDs)
          mention(id);
      }
    }
    // ...is the order in which the arrangement places them, ahead of everything else.
    ASSERT_GE(placementOrder.size(), firstMentions.size());
    EXPECT_EQ(std::vector<std::string>(
                  placementOrder.begin(),
                  placementOrder.begin() + static_cast<std::ptrdiff_t>(firstMentions.size())),
              firstMentions)
        << "round " << round;
  }
}

}  // namespace
}  // namespace calyxa
