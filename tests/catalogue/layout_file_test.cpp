#include <gtest/gtest.h>
#include <sys/stat.h>

#include <stdexcept>

#include "catalogue/layout_file.h"
#include "platform/posix/file_io.h"
#include "support/test_platform.h"

namespace calyxa {
namespace {

using testing::makeApp;
using testing::TempDir;
using testing::TestStore;
using testing::TilewellStoreInspector;

std::string fileText(const std::filesystem::path& path) {
  return readFileBytes(path, kMaxLayoutFileBytes).bytes;
}

TEST(LayoutWriterTest, WritesTheExactCompactDocument) {
  const AppItem vscode{
      "/Applications/Visual Studio Code.app", "Visual Studio Code", "x", "x", "x", false};
  const AppItem xcode{"/Applications/Xcode.app", "Xcode", "x", "x", "x", false};
  const AppItem odd{"/Applications/Tab\t\"Quote\"\\.app", "Ctl\x01 名\xFF", "x", "x", "x", false};
  const std::vector<LaunchItem> items = {
      LaunchItem::folder(
          LaunchFolder("9F1C2D3E-0000-4000-8000-00000000ABCD", "开发工具", {xcode, vscode})),
      LaunchItem::app(odd),
      LaunchItem::folder(LaunchFolder("E", "空", {})),
  };
  EXPECT_EQ(
      encodeLayoutDocument(snapshotLayout(items)),
      R"([{"type":"folder","id":"9F1C2D3E-0000-4000-8000-00000000ABCD","name":"开发工具",)"
      R"("subAppIDs":["\/Applications\/Xcode.app","\/Applications\/Visual Studio Code.app"]},)"
      R"({"type":"app","id":"\/Applications\/Tab\t\"Quote\"\\.app","name":"Ctl\u0001 名�"},)"
      R"({"type":"folder","id":"E","name":"空","subAppIDs":[]}])");
  EXPECT_EQ(encodeLayoutDocument({}), "[]");
}

TEST(LayoutReaderTest, ReadsAnyValidJsonAndFailsWholeOnAWrongKind) {
  // Any key order, escaped slashes or not, null as absent.
  auto records = decodeCurrentLayout(
      R"([ {"subAppIDs": ["/A.app", "\/B.app"], "name": null, "id": "F", "type": "folder"},
           {"id": "/C.app", "type": "app", "subAppIDs": null},
           {"type": "widget", "id": "w"} ])");
  ASSERT_TRUE(records);
  ASSERT_EQ(records->size(), 3u);
  EXPECT_EQ((*records)[0], (SavedLayoutItem{"folder", "F", std::nullopt,
                                            std::vector<std::string>{"/A.app", "/B.app"}}));
  EXPECT_EQ((*records)[1], (SavedLayoutItem{"app", "/C.app", std::nullopt, std::nullopt}));
  EXPECT_EQ((*records)[2].type, "widget") << "unknown types are the reader's caller's to skip";

  for (const char* bad : {
           R"([{"type":"app"}])",            // no id
           R"([{"id":"/A.app"}])",           // no type
           R"([{"type":"app","id":null}])",  // null id is no id
           R"([{"type":"app","id":7}])",     // wrong kinds...
           R"([{"type":"app","id":"/A.app","name":3}])",
           R"([{"type":"folder","id":"F","subAppIDs":"/A.app"}])",
           R"([{"type":"folder","id":"F","subAppIDs":["/A.app",null]}])",
           R"([{"type":"app","id":"/A.app"}, 5])",
           R"({"type":"app","id":"/A.app"})",
           R"([{"type":"app","id":"/A.app"})",  // truncated
           "",
           "\x00\x01\x02\xFF",
           "null",
       }) {
    EXPECT_FALSE(decodeCurrentLayout(bad)) << bad;
  }
  EXPECT_EQ(decodeLegacyLayout(R"(["/A.app","/B.app"])"),
            (std::vector<std::string>{"/A.app", "/B.app"}));
  EXPECT_FALSE(decodeLegacyLayout(R"(["/A.app",{"type":"app","id":"/B.app"}])"));
}

TEST(LayoutReaderTest, FileReadingFallsBackToTheLegacyFormAndNeverFails) {
  TempDir dir;
  const auto file = dir / "layout.json";
  EXPECT_TRUE(readLayoutFile(file).empty()) << "missing";

  dir.write("layout.json",
            R"(["/Applications/C.app","/Applications/A.app","/Applications/B.app"])");
  const auto legacy = readLayoutFile(file);
  ASSERT_EQ(legacy.size(), 3u);
  EXPECT_EQ(legacy[0], (SavedLayoutItem{"app", "/Applications/C.app", std::nullopt, std::nullopt}));
  EXPECT_EQ(legacy[2].id, "/Applications/B.app");

  for (const std::string& hostile : std::vector<std::string>{
           std::string("[]"), std::string("[[[[[[[["),
           std::string(200000, '[') + std::string(200000, ']'),
           "[\"" + std::string(20 << 20, 'x') + "\"", std::string("\x89PNG\r\n\x1a\n\0\0", 10),
           std::string(R"([{"type":"app","id":"/A.app","name":{"deep":)") +
               std::string(100000, '[')}) {
    dir.write("layout.json", hostile);
    EXPECT_TRUE(readLayoutFile(file).empty()) << hostile.substr(0, 20);
  }

  // Round trip through disk.
  const std::vector<SavedLayoutItem> records = {
      {"folder", "F", "同类应用",
       std::vector<std::string>{"/Applications/A.app", "/Applications/B.app"}},
      {"app", "/Applications/微信.app", "微信", std::nullopt},
  };
  ASSERT_TRUE(writeLayoutFile(file, records));
  EXPECT_EQ(readLayoutFile(file), records);
}

TEST(LayoutWriterTest, AnInterruptedSaveLeavesTheOldFileWhole) {
  TempDir dir;
  const auto file = dir / "tilewell_layout.json";
  const std::vector<SavedLayoutItem> before = {{"app", "/Applications/A.app", "A", std::nullopt}};
  ASSERT_TRUE(writeLayoutFile(file, before));
  const std::string old = fileText(file);

  std::vector<SavedLayoutItem> after(500, {"app", "/Applications/B.app", "B", std::nullopt});
  EXPECT_THROW(writeLayoutFile(file, after, [] { throw std::runtime_error("power cut"); }),
               std::runtime_error);
  EXPECT_EQ(fileText(file), old);
  EXPECT_EQ(readLayoutFile(file), before);

  ASSERT_TRUE(writeLayoutFile(file, after));
  EXPECT_EQ(readLayoutFile(file).size(), 500u);
}

TEST(LayoutLocationTest, DeveloperFolderWhenWritableElseCalyxaDataInHome) {
  TempDir dir;
  std::filesystem::create_directories(dir / "dev");
  EXPECT_EQ(resolveLayoutFileURL(dir / "dev", dir / "home"), dir / "dev" / ".tilewell_layout.json");
  EXPECT_FALSE(std::filesystem::exists(dir / "home" / "CalyxaData"));

  EXPECT_EQ(resolveLayoutFileURL(dir / "absent", dir / "home"),
            dir / "home" / "CalyxaData" / "tilewell_layout.json");
  EXPECT_TRUE(std::filesystem::is_directory(dir / "home" / "CalyxaData"));
  EXPECT_EQ(resolveLayoutFileURL(std::nullopt, dir / "deeper" / "home"),
            dir / "deeper" / "home" / "CalyxaData" / "tilewell_layout.json");

  // A home where the data folder cannot be made: the location stands, saves will fail quietly.
  dir.write("blocked/CalyxaData", "a file in the way");
  const auto blocked = resolveLayoutFileURL(std::nullopt, dir / "blocked");
  EXPECT_FALSE(writeLayoutFile(blocked, {}));
}

TEST(DebouncedSaveTest, ABurstOfEditsWritesOnceWithTheLastArrangement) {
  TestStore store;
  auto& scheduler = *store.platform.scheduler;
  const auto file = TilewellStoreInspector::layoutFileURL(*store);
  EXPECT_EQ(file, store.platform.home->path() / "CalyxaData" / "tilewell_layout.json");

  store->items = testing::slots({makeApp("First")});
  TilewellStoreInspector::scheduleDebouncedSave(*store);
  scheduler.advance(0.1);
  store->items = testing::slots({makeApp("Second"), makeApp("Third")});
  TilewellStoreInspector::scheduleDebouncedSave(*store);
  store->items = testing::slots({makeApp("Not saved")});  // after the snapshot
  EXPECT_TRUE(store->hasPendingSave());

  scheduler.advance(0.349);  // t = 0.449
  EXPECT_FALSE(std::filesystem::exists(file));
  scheduler.advance(0.002);  // t = 0.451
  EXPECT_EQ(scheduler.completedCount(testing::ManualScheduler::Lane::background), 1);
  EXPECT_FALSE(store->hasPendingSave());
  const auto saved = readLayoutFile(file);
  ASSERT_EQ(saved.size(), 2u);
  EXPECT_EQ(saved[0].id, "/Applications/Second.app");
  EXPECT_EQ(saved[1].name, "Third");
}

TEST(DebouncedSaveTest, FlushWritesAWaitingSaveAtOnceAndOnlyOnce) {
  TestStore store;
  auto& scheduler = *store.platform.scheduler;
  const auto file = TilewellStoreInspector::layoutFileURL(*store);
  store->flushPendingSave();  // the start-up scan's save
  EXPECT_EQ(fileText(file), "[]");
  std::filesystem::remove(file);
  store->flushPendingSave();  // nothing waiting: nothing written
  EXPECT_FALSE(std::filesystem::exists(file));

  store->items = testing::slots({makeApp("Last Edit")});
  TilewellStoreInspector::scheduleDebouncedSave(*store);
  store->flushPendingSave();
  EXPECT_FALSE(store->hasPendingSave());
  ASSERT_EQ(readLayoutFile(file).size(), 1u);
  EXPECT_EQ(readLayoutFile(file)[0].id, "/Applications/Last Edit.app");

  std::filesystem::remove(file);
  scheduler.advance(1.0);
  EXPECT_FALSE(std::filesystem::exists(file)) << "the delayed write was superseded";
}

}  // namespace
}  // namespace calyxa
