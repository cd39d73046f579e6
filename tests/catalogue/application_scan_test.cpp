#include <gtest/gtest.h>
#include <unistd.h>

#include "catalogue/layout_file.h"
#include "editing/arrangement_checks.h"
#include "platform/posix/file_io.h"
#include "support/app_bundle_tree.h"
#include "support/test_platform.h"

namespace calyxa {
namespace {

using namespace testing;
using Lines = std::vector<std::string>;

// Every field: "(English name)" if it differs, "=" for the path as identifier, "@ path" if not id.
std::string describe(const AppItem& app) {
  return app.id + " | " + app.name +
         (app.englishName == app.name ? "" : " (" + app.englishName + ")") + " | " +
         (app.bundleIdentifier == app.path ? "=" : app.bundleIdentifier) +
         (app.path == app.id ? "" : " @ " + app.path) + (app.isSystemApp ? " | system" : "");
}

Lines describeCatalogue(const TilewellStore& store) {
  Lines lines;
  for (const auto& [id, app] : store.allAppsMap.get())
    lines.push_back(describe(app));
  return lines;
}

// A system root of its own, and a store on a test platform over it.
class ScanTest : public ::testing::Test {
 protected:
  ScanTest() { platform.systemRoot = SystemRoot(root.path()); }

  void bundle(const std::string& systemPath, BundleContents contents = {}) {
    writeAppBundle(root.path(), systemPath, contents);
  }
  TestStore& start() { return *(store = std::make_unique<TestStore>(platform)); }
  void saveLayout(const std::string& bytes) const {
    platform.home->write("CalyxaData/tilewell_layout.json", bytes);
  }
  // The layout file once the pending save is due.
  std::string savedBytes() const {
    platform.scheduler->advance(0.35);
    return readFileBytes(platform.home->path() / "CalyxaData/tilewell_layout.json", 1 << 20).bytes;
  }

  TempDir root;
  TestPlatform platform;
  std::unique_ptr<TestStore> store;
};

TEST_F(ScanTest, CataloguesEveryFolderOneLevelDeepAndCompletesWhateverItFinds) {
  bundle("/System/Library/CoreServices/Finder.app", {.identifier = "finder"});
  bundle("/Applications/Bin.app", {.identifier = "bin", .format = PlistFormat::binary});
  bundle("/Applications/Games/Chess.app", {.identifier = "chess"});
  bundle("/Applications/Utilities/Terminal.app", {.identifier = "term"});
  bundle("/System/Applications/Calculator.app",
         {.identifier = "calc",
          .localizedDisplayNames = {{"fr", "Calculette"}, {"zh-Hans", "计算器"}}});
  bundle("/System/Applications/Utilities/Console.app", {.identifier = "console"});
  bundle("/System/Cryptexes/App/System/Applications/Safari.app", {.identifier = "cryptex"});
  bundle("/System/Volumes/Preboot/Cryptexes/App/System/Applications/Safari.app",
         {.identifier = "safari"});
  bundle("/Users/tester/Applications/Personal.app", {.identifier = "personal"});
  // Info.plist files missing, malformed, enormous, a folder, without permissions, not UTF-8.
  std::filesystem::create_directories(root / "Applications/No Plist.app/Contents");
  root.write("Applications/Bad.app/Contents/Info.plist", "<?xml version=\"1.0\"?><plist><di");
  root.write("Applications/Huge.app/Contents/Info.plist",
             "<plist><string>" + std::string(9 << 20, 'x'));
  std::filesystem::create_directories(root / "Applications/Odd.app/Contents/Info.plist");
  bundle("/Applications/Private.app", {.identifier = "private"});
  std::filesystem::permissions(root / "Applications/Private.app/Contents/Info.plist",
                               std::filesystem::perms::none);
  root.write("Applications/Garbled.app/Contents/Info.plist",
             "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
             "<key>CFBundleIdentifier</key><string>com.\xFF\xFE</string></dict></plist>");
  root.write("Applications/Garbled.app/Contents/Resources/zh-Hans.lproj/InfoPlist.strings",
             "\"CFBundleDisplayName\" = \"\xC3\";");
  bundle("/Applications/.app", {.bundleName = "Nameless"});
  // Left out: too deep, hidden, not ".app", itself, not UTF-8 (unsavable), an unlistable folder.
  for (const char* path : {"/Applications/Games/Classic/Old.app", "/Applications/.Hidden/S.app",
                           "/Applications/Shouty.APP", "/Applications/Calyxa.app",
                           "/Applications/Games/Calyxa.app", "/Applications/Caf\xE9.app",
                           "/Applications/Bad\xFF/Inner.app", "/Applications/Locked/Gem.app"})
    bundle(path);
  platform.fileSystemFaults->unlistable.insert("/Applications/Locked");
  root.write("Applications/notes.txt", "not a folder");
  // A link loop, a self link, a dangling link, a folder linked back to its parent.
  for (const auto& [link, target] : {std::pair{"loop-a", "loop-b"},
                                     {"loop-b", "loop-a"},
                                     {"Self.app", "Self.app"},
                                     {"Dangling", "/nowhere"}})
    std::filesystem::create_symlink(target, root / "Applications" / link);
  std::filesystem::create_directory_symlink(root / "Users/tester/Applications",
                                            root / "Users/tester/Applications/Again");

  const std::string privateID = ::geteuid() == 0 ? "private" : "=";  // root reads it anyway
  auto& store = start();
  EXPECT_EQ(
      describeCatalogue(*store),
      (Lines{"/Applications/.app | Nameless (.app) | =", "/Applications/Bad.app | Bad | =",
             "/Applications/Bin.app | Bin | bin", "/Applications/Games/Chess.app | Chess | chess",
             "/Applications/Garbled.app | Garbled | =", "/Applications/Huge.app | Huge | =",
             "/Applications/No Plist.app | No Plist | =", "/Applications/Odd.app | Odd | =",
             "/Applications/Private.app | Private | " + privateID,
             "/Applications/Safari.app | Safari | safari @ "
             "/System/Volumes/Preboot/Cryptexes/App/System/Applications/Safari.app | system",
             "/Applications/Self.app | Self | =",
             "/Applications/Utilities/Terminal.app | Terminal | term",
             "/System/Applications/Calculator.app | 计算器 (Calculator) | calc | system",
             "/System/Applications/Utilities/Console.app | Console | console | system",
             "/System/Library/CoreServices/Finder.app | Finder | finder | system",
             "/Users/tester/Applications/Again/Personal.app | Personal | personal",
             "/Users/tester/Applications/Personal.app | Personal | personal"}))
      << "the linked folder is listed once, one level deep; nothing below it";
  EXPECT_TRUE(store->hasGrantedFolderAccess);
  EXPECT_FALSE(store->statusToast.get()) << "the start-up scan shows no toast";
  EXPECT_EQ(TilewellStoreInspector::iconCache(*store).size(), 17u) << "one icon per path";
  // Whatever was found goes through the layout file unchanged.
  EXPECT_EQ(savedBytes(), encodeLayoutDocument(snapshotLayout(store->items)));

  if (::geteuid() != 0) {  // real permission bits, which root reads through
    platform.fileSystemFaults->unlistable.clear();
    std::filesystem::permissions(root / "Applications/Locked", std::filesystem::perms::none);
    store->scanApplications(std::nullopt, false);
    EXPECT_FALSE(store->allAppsMap->contains("/Applications/Locked/Gem.app"));
    EXPECT_TRUE(store->allAppsMap->contains("/Applications/Games/Chess.app"));
  }
}

TEST_F(ScanTest, RunningApplicationsFromTheApplicationsFolderJoinEvenWhenItCannotBeListed) {
  bundle("/Applications/Listed.app", {.identifier = "listed"});
  platform.fileSystemFaults->unlistable.insert("/Applications");
  const Image music = platform.workspace->iconForFile("m"),
              agent = platform.workspace->iconForFile("a");
  auto& running = platform.runningApplications->applications;
  running = {{"/Applications/Music.app", "音乐", "music", music},
             {"/Applications/Music.app/Contents/Helpers/Widget.app", "Widget", "w", agent},
             {"/Applications/Orphan.app/Contents/Helpers/Agent.app", "Agent", "agent", agent},
             {"/Applications/Bare.app", std::nullopt, std::nullopt, std::nullopt},
             {"/Applications/Calyxa.app", "Calyxa", "calyxa", std::nullopt},
             {"/Applications/Calyxa.app/Contents/Helpers/X.app", "X", "x", std::nullopt},
             {"/Applications/Tool", "Tool", "tool", std::nullopt},
             {"/Users/tester/Applications/Elsewhere.app", "Elsewhere", "e", std::nullopt},
             {std::nullopt, "No bundle", "n", std::nullopt}};

  auto& store = start();
  EXPECT_FALSE(store->hasGrantedFolderAccess) << "the folder could not be listed";
  EXPECT_EQ(
      describeCatalogue(*store),
      (Lines{"/Applications/Bare.app | Bare | =", "/Applications/Music.app | 音乐 (Music) | music",
             "/Applications/Orphan.app | Orphan | ="}));
  const auto& icons = TilewellStoreInspector::iconCache(*store);
  const auto colour = [](const Image& image) { return image.render().pixel(0, 0); };
  EXPECT_EQ(colour(icons.at("/Applications/Music.app")), colour(music))
      << "its own, not a helper's";
  EXPECT_EQ(icons.at("/Applications/Music.app").width(), 96);
  EXPECT_EQ(colour(icons.at("/Applications/Orphan.app")), colour(agent))
      << "a helper's fills a gap";

  // Listed and running: the running application's name and identifier win; a helper's do not.
  platform.fileSystemFaults->unlistable.clear();
  running = {{"/Applications/Listed.app/Contents/Helpers/H.app", "H", "h", std::nullopt},
             {"/Applications/Listed.app", "Listed Now", "running", std::nullopt}};
  store->scanApplications(std::nullopt, false);
  EXPECT_EQ(describe(store->allAppsMap->at("/Applications/Listed.app")),
            "/Applications/Listed.app | Listed Now (Listed) | running");
  running.pop_back();
  store->scanApplications(std::nullopt, false);
  EXPECT_EQ(store->allAppsMap->at("/Applications/Listed.app").bundleIdentifier, "listed");
}

TEST_F(ScanTest, TheSavedArrangementIsRestoredOverTheFreshCatalogue) {
  for (const char* name : {"Alpha", "Beta", "Gamma", "Delta", "Epsilon", "Zeta", "New"})
    bundle(std::string("/Applications/") + name + ".app");
  bundle("/System/Applications/Books.app");
  // Gamma is named twice by hand: it stays where it first appears.
  saveLayout(
      R"([{"type":"folder","id":"F-DEV","name":"开发","subAppIDs":["\/Applications\/Gamma.app","\/Applications\/Gone.app","\/Applications\/Alpha.app"]},)"
      R"({"type":"app","id":"\/Applications\/Vanished.app","name":"Vanished"},)"
      R"({"type":"widget","id":"/Applications/Epsilon.app"},{"type":"folder","id":"E","subAppIDs":[]},)"
      R"({"type":"app","id":"/Applications/Zeta.app","name":"Old name"},)"
      R"({"type":"folder","id":"F-ONE","name":"一个","subAppIDs":["/Applications/Beta.app","/Applications/Lost.app"]},)"
      R"({"type":"folder","id":"F-NONE","name":"none","subAppIDs":["/Applications/Lost.app"]},)"
      R"({"type":"folder","id":"F-NONAME","subAppIDs":["/Applications/Delta.app","/Applications/Epsilon.app","/Applications/Alpha.app"]},)"
      R"({"type":"app","id":"/Applications/Gamma.app","name":"twice"}])");

  auto& store = start();
  EXPECT_EQ(
      savedBytes(),
      R"([{"type":"folder","id":"F-DEV","name":"开发","subAppIDs":["\/Applications\/Gamma.app","\/Applications\/Alpha.app"]},)"
      R"({"type":"app","id":"\/Applications\/Zeta.app","name":"Zeta"},{"type":"app","id":"\/Applications\/Beta.app","name":"Beta"},)"
      R"({"type":"folder","id":"F-NONAME","name":"同类应用","subAppIDs":["\/Applications\/Delta.app","\/Applications\/Epsilon.app"]},)"
      R"({"type":"app","id":"\/Applications\/New.app","name":"New"},{"type":"app","id":"\/System\/Applications\/Books.app","name":"Books"}])")
      << "names come from the scan, not the file";

  // A legacy file restores its order and is rewritten in the current format.
  saveLayout(R"(["/Applications/Gamma.app","/Applications/Gone.app","/Applications/Alpha.app"])");
  store->scanApplications(std::nullopt, false);
  EXPECT_TRUE(savedBytes().starts_with(
      R"([{"type":"app","id":"\/Applications\/Gamma.app","name":"Gamma"},)"
      R"({"type":"app","id":"\/Applications\/Alpha.app","name":"Alpha"},)"));
}

// None of these holds a usable record; a reader that took any part of one would put C first.
TEST_F(ScanTest, AMissingBrokenOrHostileLayoutFileGivesTheDefaultOrderAndIsReplaced) {
  for (const char* path : {"/Applications/C.app", "/Applications/a.app", "/Applications/B.app",
                           "/System/Applications/A.app"})
    bundle(path);
  EXPECT_EQ(look(start()), "a B C A") << "no file at all";
  const std::string c = R"({"type":"app","id":"/Applications/C.app")";
  const Lines broken = {"",
                        "[]",
                        "null",
                        R"([{"type":"app"}])",
                        R"([{"id":"/Applications/C.app"}])",
                        "[" + c + "},5]",
                        c + "}",
                        R"(["/Applications/C.app",)" + c + "}]",
                        R"([{"type":"folder","id":"F","subAppIDs":"/Applications/C.app"}])",
                        "[" + c + R"(,"name":{"deep":)" + std::string(100000, '['),
                        std::string("\0\x01\x02\xFF\xFE bplist00", 14),
                        std::string(300000, '[') + std::string(300000, ']'),
                        "[\"" + std::string(30 << 20, 'A') + "\"]"};
  for (const std::string& bytes : broken) {
    SCOPED_TRACE(bytes.substr(0, 60));
    saveLayout(bytes);
    auto& store = start();
    EXPECT_EQ(look(store), "a B C A");
    EXPECT_EQ(savedBytes(), encodeLayoutDocument(snapshotLayout(store->items)));
  }
}

TEST_F(ScanTest, ARescanKeepsThePagerInRange) {
  for (int i = 0; i < 80; ++i)
    bundle("/Applications/App " + std::to_string(i) + ".app");
  auto& store = start();
  store.pager.currentPage = 2;
  for (int i = 0; i < 50; ++i)
    std::filesystem::remove_all(root / ("Applications/App " + std::to_string(i) + ".app"));
  store->scanApplications(std::nullopt, false);
  EXPECT_EQ(store.pager.pageCount, 1);
  EXPECT_EQ(store.pager.currentPage, 0);
}

TEST_F(ScanTest, GrantingFolderAccessRemembersTheFolderAndScansItFirst) {
  bundle("/Volumes/External/Apps/Portable.app", {.identifier = "portable"});
  bundle("/Volumes/External/Apps/Kit/Nested.app");
  std::filesystem::create_directories(root / "Applications");
  auto& store = start();
  EXPECT_FALSE(store->hasGrantedFolderAccess) << "an empty folder proves nothing";
  auto& chooser = *platform.folderChooser;
  auto& bookmarks = *platform.bookmarks;

  store->authorizeApplicationsFolder();  // cancelled: nothing changes
  ASSERT_EQ(chooser.requests.size(), 1u);
  const FolderChooserRequest& request = chooser.requests[0];
  EXPECT_EQ(request.title, "授权读取“应用程序 (/Applications)”文件夹");
  EXPECT_EQ(request.message, "请选择 /Applications 文件夹以加载全部第三方应用图标");
  EXPECT_EQ(request.confirmButtonText, "授权访问");
  EXPECT_EQ(request.startDirectory, "/Applications");
  EXPECT_TRUE(!request.canChooseFiles && request.canChooseDirectories &&
              !request.allowsMultipleSelection);
  EXPECT_FALSE(store->hasGrantedFolderAccess || platform.defaults->object("Calyxa.AppsBookmark"));

  chooser.answer = "/Volumes/External/Apps";
  store->authorizeApplicationsFolder();
  EXPECT_TRUE(store->hasGrantedFolderAccess);
  EXPECT_EQ(bookmarks.accessed, Lines{"/Volumes/External/Apps"});
  const auto bookmark = platform.defaults->dataForKey("Calyxa.AppsBookmark");
  EXPECT_EQ(bookmarks.resolveBookmark(bookmark.value_or(PlistData{})), "/Volumes/External/Apps");
  EXPECT_EQ(store->statusToast.get(), "已同步 2 款应用") << "the chosen folder, one level deep";

  // At start, the stored bookmark restores access only while its folder exists.
  bookmarks.accessed.clear();
  EXPECT_TRUE(start()->hasGrantedFolderAccess);
  bookmarks.vanished.insert("/Volumes/External/Apps");
  start();
  EXPECT_EQ(bookmarks.accessed, Lines{"/Volumes/External/Apps"});
}

}  // namespace
}  // namespace calyxa
