#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <map>
#include <new>
#include <nlohmann/json.hpp>
#include <random>
#include <ranges>
#include <regex>
#include <set>
#include <stdexcept>

#include "catalogue/layout_file.h"
#include "catalogue/layout_restoration.h"
#include "platform/posix/file_io.h"
#include "support/test_platform.h"

// Counts the bytes allocated while `countingBytes`, to bound what a reader may take.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
std::atomic<bool> countingBytes{false};
std::atomic<long long> bytesAllocated{0};
void* operator new(std::size_t size) {
  if (countingBytes) bytesAllocated += static_cast<long long>(size);
  if (void* block = std::malloc(size ? size : 1)) return block;
  throw std::bad_alloc();
}
void operator delete(void* block) noexcept {
  std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
  std::free(block);
}

namespace calyxa {
namespace {

using namespace testing;
using Records = std::vector<SavedLayoutItem>;
using Strings = std::vector<std::string>;

SavedLayoutItem appRecord(const std::string& id, std::optional<std::string> name = {}) {
  return {"app", id, std::move(name), std::nullopt};
}

TEST(LayoutFileTest, WritesTheExactCompactDocumentAtomicallyAndReadsItBack) {
  Records records = {{"folder", "9F1C2D3E-0000-4000-8000-00000000ABCD", "开发工具",
                      Strings{"/Applications/Xcode.app", "/Applications/Visual Studio Code.app"}},
                     {"app", "/Applications/Tab\t\"Quote\"\\.app", "Ctl\x01 名\xFF", std::nullopt},
                     {"folder", "E", "空", Strings{}}};
  const std::string expected =
      R"([{"type":"folder","id":"9F1C2D3E-0000-4000-8000-00000000ABCD","name":"开发工具",)"
      R"("subAppIDs":["\/Applications\/Xcode.app","\/Applications\/Visual Studio Code.app"]},)"
      R"({"type":"app","id":"\/Applications\/Tab\t\"Quote\"\\.app","name":"Ctl\u0001 名�"},)"
      R"({"type":"folder","id":"E","name":"空","subAppIDs":[]}])";
  TempDir dir;
  const auto file = dir / "tilewell_layout.json";
  ASSERT_TRUE(writeLayoutFile(file, records));
  EXPECT_EQ(readFileBytes(file, 1 << 20).bytes, expected);
  records[1].name = "Ctl\x01 名\uFFFD";
  EXPECT_EQ(readLayoutFile(file), records);

  // A save interrupted before its rename leaves the old file whole.
  const Records after(500, appRecord("/Applications/B.app", "B"));
  EXPECT_THROW(writeLayoutFile(file, after, [] { throw std::runtime_error("power cut"); }),
               std::runtime_error);
  EXPECT_EQ(readFileBytes(file, 1 << 20).bytes, expected);
}

TEST(LayoutFileTest, ABurstOfEditsWritesOnceWithTheLastArrangementAndAFlushWritesAtOnce) {
  TestStore store;
  auto& scheduler = *store.platform.scheduler;
  const auto file = TilewellStoreInspector::layoutFileURL(*store);
  const auto edit = [&](std::vector<AppItem> apps) {
    store->items = slots(apps);
    TilewellStoreInspector::scheduleDebouncedSave(*store);
  };

  edit({makeApp("First")});
  scheduler.advance(0.1);
  edit({makeApp("Second"), makeApp("Third")});
  store->items = slots({makeApp("Not saved")});  // after the snapshot
  scheduler.advance(0.349);                      // t = 0.449
  EXPECT_FALSE(std::filesystem::exists(file));
  scheduler.advance(0.002);  // t = 0.451
  EXPECT_EQ(scheduler.completedCount(ManualScheduler::Lane::background), 1);
  EXPECT_EQ(readLayoutFile(file), (Records{appRecord("/Applications/Second.app", "Second"),
                                           appRecord("/Applications/Third.app", "Third")}));

  edit({makeApp("Last Edit")});
  store->flushPendingSave();
  EXPECT_LT(scheduler.now(), 0.8) << "written at once, not when due at 0.801";
  EXPECT_EQ(readLayoutFile(file), Records{appRecord("/Applications/Last Edit.app", "Last Edit")});
  std::filesystem::remove(file);
  store->flushPendingSave();  // nothing waiting: nothing written
  scheduler.advance(1.0);
  EXPECT_FALSE(std::filesystem::exists(file)) << "the delayed write was superseded";
}

TEST(LayoutFileTest, LegacyFilesAreReadWithoutATreeInMemoryOfTheIdsTheyName) {
  const auto allocatedBy = [](const std::function<void()>& work) {
    bytesAllocated = 0;
    countingBytes = true;
    work();
    countingBytes = false;
    return bytesAllocated.load();
  };
  std::string ids = "[";
  for (int i = 0; i < 1000; ++i)
    ids += (i ? ",\"" : "\"") + std::string("/Applications/App ") + std::to_string(i) + ".app\"";
  ids += "]";
  std::optional<std::vector<std::string>> legacy;
  EXPECT_LT(allocatedBy([&] { legacy = decodeLegacyLayout(ids); }), 4 * ids.size());
  ASSERT_TRUE(legacy && legacy->size() == 1000u);
  EXPECT_EQ(legacy->back(), "/Applications/App 999.app");
  // Nesting and objects name nothing: they are refused without building anything.
  std::string objects = "[";
  for (int i = 0; i < 2'500'000; ++i)
    objects += i ? ",{}" : "{}";
  objects += "]";
  for (const std::string& hostile : {std::string(8'000'000, '['), objects}) {
    EXPECT_LT(allocatedBy([&] { EXPECT_FALSE(decodeLegacyLayout(hostile)); }), 1 << 20);
    EXPECT_LT(allocatedBy([&] { EXPECT_FALSE(decodeCurrentLayout(hostile)); }), 1 << 20);
  }
}

TEST(LayoutFileTest, ADamagedFileIsKeptAsideAndStaleTemporaryFilesAreRemoved) {
  const auto store = [](const std::function<void(const TempDir& home)>& prepare) {
    TestPlatform platform;
    prepare(*platform.home);
    TestStore made(std::move(platform));
    made->flushPendingSave();
    return made.platform.home;
  };
  const std::string layout = encodeLayoutDocument(
      {appRecord("/Applications/A.app", "A"), appRecord("/Applications/B.app")});
  const auto home = store([&](const TempDir& home) {
    home.write("CalyxaData/tilewell_layout.json", layout.substr(0, layout.size() - 1));
    home.write("CalyxaData/tilewell_layout.json.corrupt", "older");
  });
  const auto data = *home / "CalyxaData";
  EXPECT_EQ(readFileBytes(data / "tilewell_layout.json.corrupt", 1024).bytes, "older");
  EXPECT_EQ(readFileBytes(data / "tilewell_layout.json.corrupt.1", 1024).bytes,
            layout.substr(0, layout.size() - 1));
  EXPECT_EQ(readFileBytes(data / "tilewell_layout.json", 1024).bytes, "[]");

  // Readable files, an empty one included, are rewritten in place; so is the legacy form.
  for (const std::string& readable :
       {std::string("[]"), std::string("[\"\\/Applications\\/A.app\"]"), layout}) {
    const auto again = store(
        [&](const TempDir& home) { home.write("CalyxaData/tilewell_layout.json", readable); });
    EXPECT_FALSE(std::filesystem::exists(*again / "CalyxaData/tilewell_layout.json.corrupt"));
  }

  // Old temporaries of cut-short saves go; a save under way and files of other names stay.
  const auto cleaned = store([&](const TempDir& home) {
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    for (const char* name : {".tilewell_layout.json.a1B2c3", ".tilewell_layout.json.XXXXXX",
                             ".tilewell_layout.json.keep", ".other.json.a1B2c3"})
      std::filesystem::last_write_time(home.write(std::string("CalyxaData/") + name, "["), old);
    home.write("CalyxaData/.tilewell_layout.json.Fresh1", "[");
  });
  std::set<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(*cleaned / "CalyxaData"))
    left.insert(entry.path().filename().string());
  EXPECT_EQ(left,
            (std::set<std::string>{".tilewell_layout.json.Fresh1", ".tilewell_layout.json.keep",
                                   ".other.json.a1B2c3", "tilewell_layout.json"}));
}

// Random layouts in any valid form decode to their records, and not when cut or of a wrong kind;
// restored, each application is placed once, in the order the records first name them.
TEST(LayoutRandomTest, LayoutsDecodeInAnyValidFormAndRestoreEveryApplicationOnce) {
  const unsigned seed = 90210;
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  const auto pick = [&](const Strings& choices) { return choices[random() % choices.size()]; };
  const std::vector<AppItem> apps = numberedApps(30);
  const auto appPath = [&] { return apps[random() % apps.size()].id; };
  const auto quote = [&](std::string& out, const std::string& text) {
    out = text;
    const std::string json = nlohmann::json(text).dump();
    return random() % 2 ? std::regex_replace(json, std::regex("/"), "\\/") : json;
  };
  const Strings junk = {"-1.5e3", "null", "\"s\"", R"({"type":"app","id":[null]})",
                        R"([{"id":1},[]])"};
  const std::regex uuid("^[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}$");
  const NameCollator collator("");
  for (int round = 0; round < 2000; ++round) {
    std::map<std::string, AppItem> catalogue;
    for (const AppItem& app : apps)
      if (random() % 2) catalogue.emplace(app.id, app);
    Strings firstMentions;
    const auto mention = [&](const std::string& id) {
      if (catalogue.contains(id) && std::ranges::count(firstMentions, id) == 0)
        firstMentions.push_back(id);
    };
    Records records;
    std::vector<std::vector<std::pair<std::string, std::string>>> objects;  // key, value text
    for (int r = static_cast<int>(random() % 12); r > 0; --r) {
      SavedLayoutItem& record = records.emplace_back();
      auto& fields = objects.emplace_back();
      const std::string type = pick({"app", "app", "folder", "folder", "other"});
      const bool folderID = type == "folder" && random() % 4;
      fields = {
          {"type", quote(record.type, type)},
          {"id", quote(record.id, folderID ? "F" + std::to_string(random() % 6) : appPath())}};
      if (type == "app") mention(record.id);
      if (random() % 3 == 0)
        fields.push_back(
            {"name", quote(record.name.emplace(), pick({"", "同类应用", "x\n\"\\/é"}))});
      if (random() % 2) {
        auto& members = record.subAppIDs.emplace();
        std::string list;
        for (int m = static_cast<int>(random() % 6); m > 0; --m) {
          list += (list.empty() ? "" : ",") + quote(members.emplace_back(), appPath());
          if (type == "folder") mention(members.back());
        }
        fields.push_back({"subAppIDs", "[" + list + "]"});
      }
      for (const std::string key : {"name", "subAppIDs"})
        if (std::ranges::none_of(fields, [&](auto& f) { return f.first == key; }) && random() % 2)
          fields.push_back({key, "null"});
      if (random() % 2) fields.push_back({pick({"other", "Type", "ID"}), pick(junk)});
      std::shuffle(fields.begin(), fields.end(), random);
      if (random() % 3 == 0) fields.insert(fields.begin(), {fields.back().first, pick(junk)});
    }
    const auto write = [&] {
      std::string document = "[";
      for (const auto& fields : objects) {
        document += document.size() > 1 ? ",{" : "{";
        for (const auto& [key, value] : fields)
          document += (document.back() == '{' ? "\"" : ",\"") + key + "\":" + value;
        document += "}";
      }
      return document + "]";
    };
    const std::string valid = write();
    ASSERT_EQ(decodeCurrentLayout(valid), records) << valid;
    EXPECT_FALSE(decodeCurrentLayout(valid.substr(0, random() % valid.size()))) << valid;

    std::set<std::string> slotIDs;
    Strings placed;
    for (const auto& item : restoreArrangement(records, catalogue, collator)) {
      EXPECT_TRUE(slotIDs.insert(item.id()).second) << "slot id " << item.id() << " repeated";
      const std::vector<AppItem> apps =
          item.isFolder() ? item.asFolder()->apps : std::vector<AppItem>{*item.asApp()};
      if (item.isFolder()) {
        EXPECT_GE(apps.size(), 2u);
        const bool fromRecord = std::ranges::count(records, item.id(), &SavedLayoutItem::id) > 0;
        EXPECT_TRUE(fromRecord || std::regex_match(item.id(), uuid)) << item.id();
      }
      for (const auto& app : apps)
        placed.push_back(app.id);
    }
    Strings sorted = placed;
    std::ranges::sort(sorted);
    EXPECT_EQ(sorted,
              Strings(std::views::keys(catalogue).begin(), std::views::keys(catalogue).end()));
    placed.resize(std::min(placed.size(), firstMentions.size()));
    EXPECT_EQ(placed, firstMentions) << valid;

    if (objects.empty()) continue;
    // The last occurrence of one known field of one record now holds a value of a wrong kind.
    auto& fields = objects[random() % objects.size()];
    const std::size_t at = random() % fields.size();
    auto& [key, value] = fields[at];
    if (std::any_of(fields.begin() + at + 1, fields.end(), [&](auto& f) { return f.first == key; }))
      continue;  // overridden later
    if (key != "type" && key != "id" && key != "name" && key != "subAppIDs") continue;
    const bool required = key == "type" || key == "id";
    value = pick({"7", "false", "{}", "[null]", R"(["a",[]])", required ? "null" : "[1]"});
    EXPECT_FALSE(decodeCurrentLayout(write())) << write();
  }
}

}  // namespace
}  // namespace calyxa
