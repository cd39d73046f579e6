#include <gtest/gtest.h>
#include <unistd.h>

#include "catalogue/layout_file.h"
#include "platform/posix/file_io.h"
#include "support/app_bundle_tree.h"
#include "support/test_platform.h"

namespace calyxa {
namespace {

using testing::BundleContents;
using testing::ManualScheduler;
using testing::TempDir;
using testing::TestPlatform;
using testing::TestStore;
using testing::TilewellStoreInspector;

// One catalogue record on one line, every field in order.
std::string describe(const AppItem& app) {
  return app.id + " | " + app.name + " | " + app.englishName + " | " + app.bundleIdentifier +
         " | " + app.path + (app.isSystemApp ? " | system" : " | user");
}

std::vector<std::string> describeCatalogue(const TilewellStore& store) {
  std::vector<std::string> lines;
  for (const auto& [id, app] : store.allAppsMap.get())
    lines.push_back(describe(app));
  return lines;
}

std::vector<std::string> slotNames(const std::vector<LaunchItem>& items) {
  std::vector<std::string> names;
  for (const auto& item : items)
    names.push_back(item.name());
  return names;
}

// A system root of its own, and a store on a test platform over it.
class ScanTest : public ::testing::Test {
 protected:
  ScanTest() { platform.systemRoot = SystemRoot(root.path()); }

  void bundle(const std::string& systemPath, BundleContents contents = {}) {
    testing::writeAppBundle(root.path(), systemPath, contents);
  }
  void folder(const std::string& systemPath) {
    std::filesystem::create_directories(platform.systemRoot.resolve(systemPath));
  }
  TestStore& start() {
    store = std::make_unique<TestStore>(platform);
    return *store;
  }
  std::filesystem::path layoutFile() const {
    return platform.home->path() / "CalyxaData" / "tilewell_layout.json";
  }
  void saveLayout(const std::string& bytes) const {
    std::filesystem::create_directories(layoutFile().parent_path());
    platform.home->write("CalyxaData/tilewell_layout.json", bytes);
  }
  std::string savedBytes() const { return readFileBytes(layoutFile(), 1 << 20).bytes; }

  TempDir root;
  TestPlatform platform;
  std::unique_ptr<TestStore> store;
};

TEST_F(ScanTest, CataloguesEveryFolderOneLevelDeepWithTheBundlesOwnNames) {
  bundle("/System/Library/CoreServices/Finder.app", {.identifier = "com.apple.finder"});
  bundle("/Applications/Xcode.app", {.identifier = "com.apple.dt.Xcode", .bundleName = "Xcode"});
  bundle("/Applications/Binary Tool.app",
         {.identifier = "com.example.binary", .format = PlistFormat::binary});
  folder("/Applications/No Plist.app/Contents");
  root.write("Applications/Malformed.app/Contents/Info.plist", "<?xml version=\"1.0\"?><plist><di");
  root.write("Applications/Huge.app/Contents/Info.plist",
             "<?xml version=\"1.0\"?><plist><string>" + std::string(9 << 20, 'x'));
  bundle("/Applications/Games/Chess.app", {.identifier = "com.example.chess"});
  bundle("/Applications/Games/Classic/Old.app");  // two levels down: not found
  bundle("/Applications/.Hidden/Secret.app");     // in a hidden folder: not found
  bundle("/Applications/Shouty.APP");             // not a bundle, and nothing inside
  bundle("/Applications/Calyxa.app", {.identifier = "com.vantorel.tilewell"});
  bundle("/Applications/Games/Calyxa.app");
  bundle("/Applications/Utilities/Terminal.app", {.identifier = "com.apple.Terminal"});
  bundle("/System/Applications/Calculator.app",
         {.identifier = "com.apple.calculator",
          .format = PlistFormat::binary,
          .localizedDisplayNames = {{"zh-Hans", "计算器"}, {"en", "Calculator"}}});
  bundle("/System/Applications/Utilities/Console.app", {.identifier = "com.apple.Console"});
  bundle("/System/Cryptexes/App/System/Applications/Safari.app",
         {.identifier = "com.apple.Safari.cryptex"});
  bundle("/System/Volumes/Preboot/Cryptexes/App/System/Applications/Safari.app",
         {.identifier = "com.apple.Safari"});
  bundle("/Users/tester/Applications/Personal.app", {.identifier = "com.example.personal"});
  bundle("/Users/tester/Applications/Xcode.app", {.identifier = "com.apple.dt.Xcode"});

  auto& store = start();
  EXPECT_EQ(
      describeCatalogue(*store),
      (std::vector<std::string>{
          "/Applications/Binary Tool.app | Binary Tool | Binary Tool | com.example.binary | "
          "/Applications/Binary Tool.app | user",
          "/Applications/Games/Chess.app | Chess | Chess | com.example.chess | "
          "/Applications/Games/Chess.app | user",
          "/Applications/Huge.app | Huge | Huge | /Applications/Huge.app | "
          "/Applications/Huge.app | user",
          "/Applications/Malformed.app | Malformed | Malformed | /Applications/Malformed.app | "
          "/Applications/Malformed.app | user",
          "/Applications/No Plist.app | No Plist | No Plist | /Applications/No Plist.app | "
          "/Applications/No Plist.app | user",
          "/Applications/Safari.app | Safari | Safari | com.apple.Safari | "
          "/System/Volumes/Preboot/Cryptexes/App/System/Applications/Safari.app | system",
          "/Applications/Utilities/Terminal.app | Terminal | Terminal | com.apple.Terminal | "
          "/Applications/Utilities/Terminal.app | user",
          "/Applications/Xcode.app | Xcode | Xcode | com.apple.dt.Xcode | "
          "/Applications/Xcode.app | user",
          "/System/Applications/Calculator.app | 计算器 | Calculator | com.apple.calculator | "
          "/System/Applications/Calculator.app | system",
          "/System/Applications/Utilities/Console.app | Console | Console | "
          "com.apple.Console | /System/Applications/Utilities/Console.app | system",
          "/System/Library/CoreServices/Finder.app | Finder | Finder | com.apple.finder | "
          "/System/Library/CoreServices/Finder.app | system",
          "/Users/tester/Applications/Personal.app | Personal | Personal | "
          "com.example.personal | /Users/tester/Applications/Personal.app | user",
          "/Users/tester/Applications/Xcode.app | Xcode | Xcode | com.apple.dt.Xcode | "
          "/Users/tester/Applications/Xcode.app | user",
      }));

  // No layout file: everything in the default order, the user's applications first.
  EXPECT_EQ(slotNames(store->items),
            (std::vector<std::string>{"Binary Tool", "Chess", "Huge", "Malformed", "No Plist",
                                      "Personal", "Terminal", "Xcode", "Xcode", "Console", "Finder",
                                      "Safari", "计算器"}));
  EXPECT_TRUE(store->hasGrantedFolderAccess);
  EXPECT_FALSE(store->statusToast.get()) << "the start-up scan shows no toast";
  EXPECT_EQ(TilewellStoreInspector::iconCacheSize(*store), 13u) << "one icon per path";

  // The save follows 0.35 s later and holds the arrangement.
  EXPECT_FALSE(std::filesystem::exists(layoutFile()));
  store.platform.scheduler->advance(0.35);
  EXPECT_EQ(savedBytes(), encodeLayoutDocument(snapshotLayout(store->items)));
}

TEST_F(ScanTest, UnusualEntriesAreSkippedOrFallBackAndTheScanAlwaysCompletes) {
  bundle("/Applications/Normal.app", {.identifier = "com.example.normal"});
  // A bundle whose file name is not UTF-8 could not be saved and read back as itself.
  bundle("/Applications/Caf\xE9.app", {.identifier = "com.example.latin1"});
  bundle("/Applications/Bad\xFF/Inner.app");
  // Names and identifiers that are not UTF-8 fall back.
  root.write("Applications/Garbled.app/Contents/Info.plist",
             "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
             "<key>CFBundleIdentifier</key><string>com.\xFF\xFE</string></dict></plist>");
  root.write("Applications/Garbled.app/Contents/Resources/zh-Hans.lproj/InfoPlist.strings",
             "\"CFBundleDisplayName\" = \"\xC3\";");
  // Info.plist files that cannot be read: a folder in its place, and one without permissions
  // (which only a user other than root is refused).
  folder("/Applications/Odd.app/Contents/Info.plist");
  bundle("/Applications/Private.app", {.identifier = "com.example.private"});
  std::filesystem::permissions(root / "Applications/Private.app/Contents/Info.plist",
                               std::filesystem::perms::none);
  // A bundle called just ".app": its display name is empty, so the dictionaries name it.
  bundle("/Applications/.app", {.bundleName = "Nameless"});
  // Links: a loop, a dangling link, a folder linked back to its parent, a link to a bundle.
  std::filesystem::create_symlink("loop-b", root / "Applications/loop-a");
  std::filesystem::create_symlink("loop-a", root / "Applications/loop-b");
  std::filesystem::create_symlink("Self.app", root / "Applications/Self.app");
  std::filesystem::create_symlink("/nowhere", root / "Applications/Dangling");
  std::filesystem::create_directory_symlink(root / "Applications", root / "Applications/Again");
  bundle("/Applications/Games/Chess.app");
  // A folder the scan cannot list, and an entry that is a file, not a folder.
  bundle("/Applications/Locked/Hidden Gem.app");
  platform.fileSystemFaults->unlistable.insert("/Applications/Locked");
  root.write("Applications/notes.txt", "not a folder");

  auto& store = start();
  const auto& catalogue = store->allAppsMap.get();
  std::vector<std::string> found;
  for (const auto& [id, app] : catalogue)
    found.push_back(id);
  EXPECT_EQ(
      found,
      (std::vector<std::string>{
          "/Applications/.app", "/Applications/Again/.app", "/Applications/Again/Garbled.app",
          "/Applications/Again/Normal.app", "/Applications/Again/Odd.app",
          "/Applications/Again/Private.app", "/Applications/Again/Self.app",
          "/Applications/Games/Chess.app", "/Applications/Garbled.app", "/Applications/Normal.app",
          "/Applications/Odd.app", "/Applications/Private.app", "/Applications/Self.app"}))
      << "the linked folder is listed once, one level deep; nothing below it";
  EXPECT_EQ(describe(catalogue.at("/Applications/Odd.app")),
            "/Applications/Odd.app | Odd | Odd | /Applications/Odd.app | /Applications/Odd.app | "
            "user");
  EXPECT_EQ(catalogue.at("/Applications/Private.app").bundleIdentifier,
            ::geteuid() == 0 ? "com.example.private" : "/Applications/Private.app");
  const AppItem& garbled = catalogue.at("/Applications/Garbled.app");
  EXPECT_EQ(garbled.name, "Garbled");
  EXPECT_EQ(garbled.bundleIdentifier, "/Applications/Garbled.app");
  EXPECT_EQ(catalogue.at("/Applications/.app").name, "Nameless");
  EXPECT_EQ(catalogue.at("/Applications/.app").englishName, ".app");
  EXPECT_EQ(catalogue.at("/Applications/Self.app").bundleIdentifier, "/Applications/Self.app");

  // Whatever was found goes through the layout file unchanged.
  store.platform.scheduler->advance(0.35);
  std::vector<std::string> saved;
  for (const auto& record : readLayoutFile(layoutFile()))
    saved.push_back(record.id);
  std::sort(saved.begin(), saved.end());
  EXPECT_EQ(saved, found);

  // A real unreadable folder, where permission bits are honoured.
  if (::geteuid() != 0) {
    platform.fileSystemFaults->unlistable.clear();
    std::filesystem::permissions(root / "Applications/Locked", std::filesystem::perms::none);
    store->scanApplications(std::nullopt, false);
    EXPECT_FALSE(store->allAppsMap->contains("/Applications/Locked/Hidden Gem.app"));
    EXPECT_TRUE(store->allAppsMap->contains("/Applications/Games/Chess.app"));
  }
}

TEST_F(ScanTest, RunningApplicationsFromTheApplicationsFolderJoinEvenWhenItCannotBeListed) {
  bundle("/System/Library/CoreServices/Finder.app");
  bundle("/Applications/Listed.app", {.identifier = "com.example.listed"});
  platform.fileSystemFaults->unlistable.insert("/Applications");
  const auto solid = [](std::uint32_t argb) {
    struct Solid final : ImageContent {
      explicit Solid(std::uint32_t c) : colour(c) {}
      RasterImage render(int w, int h) const override {
        return {w, h, std::vector<std::uint32_t>(static_cast<std::size_t>(w) * h, colour)};
      }
      std::uint32_t colour;
    };
    return Image(512, 512, std::make_shared<Solid>(argb));
  };
  auto& running = platform.runningApplications->applications;
  running = {
      {"/Applications/Music.app", "音乐", "com.apple.Music", solid(0xFF0000FFu)},
      {"/Applications/Music.app/Contents/Helpers/Widget.app", "Widget", "com.apple.widget",
       solid(0xFF00FF00u)},
      {"/Applications/Orphan.app/Contents/Helpers/Agent.app", "Agent", "com.x.agent",
       solid(0xFFFF0000u)},
      {"/Applications/Bare.app", std::nullopt, std::nullopt, std::nullopt},
      {"/Applications/Calyxa.app", "Calyxa", "com.vantorel.tilewell", std::nullopt},
      {"/Applications/Calyxa.app/Contents/Helpers/X.app", "X", "x", std::nullopt},
      {"/Applications/Tool", "Tool", "tool", std::nullopt},
      {"/Users/tester/Applications/Elsewhere.app", "Elsewhere", "e", std::nullopt},
      {"/Applications", "Root", "root", std::nullopt},
      {std::nullopt, "No bundle", "n", std::nullopt},
  };

  auto& store = start();
  EXPECT_FALSE(store->hasGrantedFolderAccess) << "the folder could not be listed";
  EXPECT_EQ(describeCatalogue(*store),
            (std::vector<std::string>{
                "/Applications/Bare.app | Bare | Bare | /Applications/Bare.app | "
                "/Applications/Bare.app | user",
                "/Applications/Music.app | 音乐 | Music | com.apple.Music | "
                "/Applications/Music.app | user",
                "/Applications/Orphan.app | Orphan | Orphan | /Applications/Orphan.app | "
                "/Applications/Orphan.app | user",
                "/System/Library/CoreServices/Finder.app | Finder | Finder | "
                "/System/Library/CoreServices/Finder.app | /System/Library/CoreServices/Finder.app"
                " | system",
            }));
  const auto& icons = TilewellStoreInspector::iconCache(*store);
  EXPECT_EQ(icons.at("/Applications/Music.app").render().pixel(0, 0), 0xFF0000FFu)
      << "the application's own icon, not its helper's";
  EXPECT_EQ(icons.at("/Applications/Music.app").width(), 96);
  EXPECT_EQ(icons.at("/Applications/Orphan.app").render().pixel(0, 0), 0xFFFF0000u)
      << "a helper's icon fills the gap";

  // Listed and running: the running application's name and identifier win; a helper changes
  // nothing.
  platform.fileSystemFaults->unlistable.clear();
  running = {{"/Applications/Listed.app/Contents/Helpers/H.app", "H", "h", std::nullopt},
             {"/Applications/Listed.app", "Listed Now", "com.example.running", std::nullopt}};
  store->scanApplications(std::nullopt, false);
  EXPECT_EQ(describe(store->allAppsMap->at("/Applications/Listed.app")),
            "/Applications/Listed.app | Listed Now | Listed | com.example.running | "
            "/Applications/Listed.app | user");
  running = {{"/Applications/Listed.app/Contents/Helpers/H.app", "H", "h", std::nullopt}};
  store->scanApplications(std::nullopt, false);
  EXPECT_EQ(store->allAppsMap->at("/Applications/Listed.app").bundleIdentifier,
            "com.example.listed");
}

TEST_F(ScanTest, TheSavedArrangementIsRestoredOverTheFreshCatalogue) {
  for (const char* name : {"Alpha", "Beta", "Gamma", "Delta", "Epsilon", "Zeta"})
    bundle(std::string("/Applications/") + name + ".app");
  bundle("/System/Applications/Books.app");
  bundle("/Applications/New Arrival.app");
  saveLayout(
      R"([{"type":"folder","id":"F-DEV","name":"开发","subAppIDs":["\/Applications\/Gamma.app","\/Applications\/Gone.app","\/Applications\/Alpha.app"]},)"
      R"({"type":"app","id":"\/Applications\/Vanished.app","name":"Vanished"},)"
      R"({"type":"app","id":"/Applications/Zeta.app","name":"Old name"},)"
      R"({"type":"folder","id":"F-ONE","name":"一个","subAppIDs":["/Applications/Beta.app","/Applications/Lost.app"]},)"
      R"({"type":"folder","id":"F-NONE","name":"none","subAppIDs":["/Applications/Lost.app"]},)"
      R"({"type":"folder","id":"F-NONAME","subAppIDs":["/Applications/Delta.app","/Applications/Epsilon.app","/Applications/Alpha.app"]},)"
      R"({"type":"app","id":"/Applications/Gamma.app","name":"twice"}])");

  auto& store = start();
  EXPECT_EQ(testing::ids(store->items),
            (std::vector<std::string>{"F-DEV", "/Applications/Zeta.app", "/Applications/Beta.app",
                                      "F-NONAME", "/Applications/New Arrival.app",
                                      "/System/Applications/Books.app"}));
  const LaunchFolder& dev = *store->items.get()[0].asFolder();
  EXPECT_EQ(dev.name, "开发");
  EXPECT_EQ(testing::ids(testing::slots(dev.apps)),
            (std::vector<std::string>{"/Applications/Gamma.app", "/Applications/Alpha.app"}));
  EXPECT_EQ(store->items.get()[1].name(), "Zeta") << "names come from the scan, not the file";
  EXPECT_EQ(store->items.get()[3].asFolder()->name, "同类应用");
  EXPECT_EQ(testing::ids(testing::slots(store->items.get()[3].asFolder()->apps)),
            (std::vector<std::string>{"/Applications/Delta.app", "/Applications/Epsilon.app"}));

  // The next save writes what is shown; reading it back restores the same arrangement.
  store.platform.scheduler->advance(0.35);
  const std::vector<LaunchItem> before = store->items;
  store->scanApplications(std::nullopt, false);
  EXPECT_EQ(store->items.get(), before);
}

TEST_F(ScanTest, ALegacyFileRestoresItsOrderAndIsRewrittenInTheCurrentFormat) {
  for (const char* name : {"Alpha", "Beta", "Gamma", "Delta"})
    bundle(std::string("/Applications/") + name + ".app");
  saveLayout(R"(["/Applications/Gamma.app","/Applications/Gone.app","/Applications/Alpha.app"])");
  auto& store = start();
  EXPECT_EQ(slotNames(store->items), (std::vector<std::string>{"Gamma", "Alpha", "Beta", "Delta"}));
  store.platform.scheduler->advance(0.35);
  EXPECT_EQ(savedBytes(), R"([{"type":"app","id":"\/Applications\/Gamma.app","name":"Gamma"},)"
                          R"({"type":"app","id":"\/Applications\/Alpha.app","name":"Alpha"},)"
                          R"({"type":"app","id":"\/Applications\/Beta.app","name":"Beta"},)"
                          R"({"type":"app","id":"\/Applications\/Delta.app","name":"Delta"}])");
}

TEST_F(ScanTest, ABrokenOrHostileLayoutFileGivesTheDefaultOrderAndIsReplaced) {
  for (const char* name : {"Charlie", "alpha", "Bravo"})
    bundle(std::string("/Applications/") + name + ".app");
  bundle("/System/Applications/Aardvark.app");
  const std::vector<std::string> expected = {"alpha", "Bravo", "Charlie", "Aardvark"};
  const std::vector<std::string> files = {
      "",
      "   ",
      R"([{"type":"app","id":"/Applications/Charlie.app"},{"type":"folder","id":"F","subAppIDs":["/Applications/Bravo.app",3]}])",
      R"([{"type":"app","id":"/Applications/Charlie.app"},{"type":"app","id":"/Applications/Br)",
      std::string("\0\x01\x02\xFF\xFE bplist00", 14),
      std::string(300000, '[') + std::string(300000, ']'),
      "[\"" + std::string(30 << 20, 'A') + "\"]",
      R"({"type":"app","id":"/Applications/Charlie.app"})",
      R"([{"type":{"nested":[[[[]]]]},"id":"/Applications/Charlie.app"}])",
      "[]",
  };
  for (const auto& bytes : files) {
    SCOPED_TRACE(bytes.substr(0, 40));
    saveLayout(bytes);
    TestPlatform fresh = platform;
    fresh.scheduler = ManualScheduler::make();
    TestStore store(fresh);
    EXPECT_EQ(slotNames(store->items), expected);
    store.platform.scheduler->advance(0.35);
    const auto records = readLayoutFile(layoutFile());
    ASSERT_EQ(records.size(), 4u) << "the next save replaced the file";
    EXPECT_EQ(records[0].id, "/Applications/alpha.app");
  }
}

TEST_F(ScanTest, ARescanKeepsThePagerInRangeAndReportsTheCountOnRequest) {
  for (int i = 0; i < 80; ++i)
    bundle("/Applications/App " + std::to_string(i) + ".app");
  auto& store = start();
  EXPECT_EQ(store->pageCount(), 3);
  EXPECT_EQ(store.pager.pageCount, 3);
  store.pager.currentPage = 2;

  for (int i = 0; i < 50; ++i)
    std::filesystem::remove_all(root / ("Applications/App " + std::to_string(i) + ".app"));
  store->scanApplications(std::nullopt, false);
  EXPECT_EQ(store.pager.pageCount, 1);
  EXPECT_EQ(store.pager.currentPage, 0);
  EXPECT_FALSE(store->statusToast.get());

  store->scanApplications(std::nullopt, true);
  EXPECT_EQ(store->statusToast.get(), "已同步 30 款应用");
  EXPECT_EQ(store->totalAppsCount(), 30);
}

TEST_F(ScanTest, GrantingFolderAccessRemembersTheFolderAndScansItFirst) {
  bundle("/Volumes/External/Apps/Portable.app", {.identifier = "com.example.portable"});
  bundle("/Volumes/External/Apps/Kit/Nested.app");
  folder("/Applications");
  auto& store = start();
  EXPECT_FALSE(store->hasGrantedFolderAccess);
  auto& chooser = *platform.folderChooser;

  store->authorizeApplicationsFolder();  // cancelled
  ASSERT_EQ(chooser.requests.size(), 1u);
  const FolderChooserRequest& request = chooser.requests[0];
  EXPECT_EQ(request.title, "授权读取“应用程序 (/Applications)”文件夹");
  EXPECT_EQ(request.message, "请选择 /Applications 文件夹以加载全部第三方应用图标");
  EXPECT_EQ(request.confirmButtonText, "授权访问");
  EXPECT_EQ(request.startDirectory, "/Applications");
  EXPECT_FALSE(request.canChooseFiles);
  EXPECT_TRUE(request.canChooseDirectories);
  EXPECT_FALSE(request.allowsMultipleSelection);
  EXPECT_FALSE(store->hasGrantedFolderAccess);
  EXPECT_FALSE(platform.defaults->object("Calyxa.AppsBookmark"));
  EXPECT_TRUE(store->allAppsMap->empty());

  chooser.answer = "/Volumes/External/Apps";
  store->authorizeApplicationsFolder();
  EXPECT_TRUE(store->hasGrantedFolderAccess);
  EXPECT_EQ(platform.bookmarks->accessed, (std::vector<std::string>{"/Volumes/External/Apps"}));
  const auto bookmark = platform.defaults->dataForKey("Calyxa.AppsBookmark");
  ASSERT_TRUE(bookmark);
  EXPECT_EQ(platform.bookmarks->resolveBookmark(*bookmark), "/Volumes/External/Apps");
  EXPECT_EQ(describeCatalogue(*store),
            (std::vector<std::string>{
                "/Volumes/External/Apps/Kit/Nested.app | Nested | Nested | "
                "/Volumes/External/Apps/Kit/Nested.app | /Volumes/External/Apps/Kit/Nested.app | "
                "user",
                "/Volumes/External/Apps/Portable.app | Portable | Portable | "
                "com.example.portable | /Volumes/External/Apps/Portable.app | user"}));
  EXPECT_EQ(store->statusToast.get(), "已同步 2 款应用");

  // A bookmark that cannot be made still grants access for this run.
  platform.defaults->removeObject("Calyxa.AppsBookmark");
  platform.bookmarks->failCreation = true;
  store->hasGrantedFolderAccess = false;
  store->authorizeApplicationsFolder();
  EXPECT_TRUE(store->hasGrantedFolderAccess);
  EXPECT_FALSE(platform.defaults->object("Calyxa.AppsBookmark"));
}

TEST_F(ScanTest, TheStoredBookmarkRestoresAccessAtStartWhileItsFolderExists) {
  platform.defaults->setData("Calyxa.AppsBookmark", *platform.bookmarks->createBookmark("/Apps"));
  EXPECT_TRUE(start()->hasGrantedFolderAccess);
  EXPECT_EQ(platform.bookmarks->accessed, (std::vector<std::string>{"/Apps"}));

  // Stored bookmark data counts as granted at start whether it resolves or not (the permission
  // refresh looks at its presence only); access is started only for a folder that is there.
  platform.bookmarks->vanished.insert("/Apps");
  EXPECT_TRUE(start()->hasGrantedFolderAccess);
  platform.defaults->setData("Calyxa.AppsBookmark", {'x'});
  EXPECT_TRUE(start()->hasGrantedFolderAccess);
  platform.defaults->setBool("Calyxa.AppsBookmark", true);  // not data at all
  EXPECT_FALSE(start()->hasGrantedFolderAccess);
  EXPECT_EQ(platform.bookmarks->accessed.size(), 1u);
}

}  // namespace
}  // namespace calyxa
