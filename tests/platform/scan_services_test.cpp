#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/posix/path_bookmarks.h"
#include "platform/posix/posix_bundle_reader.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/proc_running_applications.h"
#include "platform/posix/strings_file.h"
#include "platform/utf8.h"
#include "support/app_bundle_tree.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

extern char** environ;

namespace calyxa {
namespace {

using testing::TempDir;

std::string text(const PlistDictionary& entries, const std::string& key) {
  const auto found = entries.find(key);
  if (found == entries.end() || !found->second.is<std::string>()) return "<absent>";
  return *found->second.as<std::string>();
}

std::string utf16be(std::string_view ascii) {
  std::string bytes = "\xFE\xFF";
  for (const char c : ascii) {
    bytes.push_back('\0');
    bytes.push_back(c);
  }
  return bytes;
}

TEST(StringsFileTest, ReadsTheTextFormInEveryEncodingAndPropertyLists) {
  const auto utf16 =
      parseStringsFile(testing::utf16StringsFile({{"CFBundleDisplayName", "计算器"}}));
  ASSERT_TRUE(utf16);
  EXPECT_EQ(text(*utf16, "CFBundleDisplayName"), "计算器");

  const auto big = parseStringsFile(utf16be("\"CFBundleName\" = \"Notes\";"));
  ASSERT_TRUE(big);
  EXPECT_EQ(text(*big, "CFBundleName"), "Notes");

  const auto utf8 = parseStringsFile(
      "\xEF\xBB\xBF/* Localized versions of Info.plist keys */\n"
      "// a line comment \"x\" = \"y\";\n"
      "CFBundleName = Short.Name-1;\n"
      "\"CFBundleDisplayName\" = \"A \\\"quoted\\\" \\U4E2D\\u6587\\n\\101 \\\\ end\";\n"
      "\"NSHumanReadableCopyright\"   =\"© 2024\" ;\n"
      "\"Same\";\n"
      "\"CFBundleName\" = \"Last wins\";\n"
      "\"Emoji\" = \"\\UD83D\\UDE00\";");
  ASSERT_TRUE(utf8);
  EXPECT_EQ(text(*utf8, "CFBundleDisplayName"), "A \"quoted\" 中文\nA \\ end");
  EXPECT_EQ(text(*utf8, "NSHumanReadableCopyright"), "© 2024");
  EXPECT_EQ(text(*utf8, "Same"), "Same");
  EXPECT_EQ(text(*utf8, "CFBundleName"), "Last wins");
  EXPECT_EQ(text(*utf8, "Emoji"), "\xF0\x9F\x98\x80");

  const auto braced = parseStringsFile("{ \"a\" = \"b\"; }");
  ASSERT_TRUE(braced);
  EXPECT_EQ(text(*braced, "a"), "b");
  EXPECT_TRUE(parseStringsFile("")->empty());

  const PlistDictionary entries{{"CFBundleDisplayName", PlistValue("邮件")}};
  for (const auto format : {PlistFormat::xml, PlistFormat::binary}) {
    const auto parsed = parseStringsFile(*serializePlist(PlistValue(entries), format));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(*parsed, entries);
  }
}

TEST(StringsFileTest, AnyBreakOfTheSyntaxOrEncodingYieldsNothing) {
  for (const std::string& bad : std::vector<std::string>{
           "\"a\" = \"b\"",                                   // no semicolon
           "\"a\" = \"b;",                                    // unterminated string
           "\"a\" = \"b\"; /* open",                          // unterminated comment
           "\"a\" = ;",                                       // no value
           "= \"b\";",                                        // no key
           "{ \"a\" = \"b\";",                                // missing brace
           "\"a\" = \"b\"; }",                                // stray brace
           "\"a\" = \"\xFF\xFE\";",                           // not UTF-8
           "\"a\" = \"\\UD83D\";",                            // a lone surrogate
           std::string("\xFF\xFE\x22", 3),                    // odd UTF-16
           "\"a\" = \"\\U\";",                                // escape without digits
           "<?xml version=\"1.0\"?><plist><array/></plist>",  // a list, not a dictionary
       }) {
    EXPECT_FALSE(parseStringsFile(bad)) << bad;
  }
}

TEST(Utf8Test, AcceptsWellFormedTextOnly) {
  EXPECT_TRUE(isValidUtf8(""));
  EXPECT_TRUE(isValidUtf8("Safari 浏览器 \xF0\x9F\x98\x80"));
  for (const char* bad : {"\xFF", "a\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80"})
    EXPECT_FALSE(isValidUtf8(bad)) << bad;
}

TEST(SystemRootTest, PlainTextResolutionMatchesThePathOne) {
  for (const char* root : {"/", "/tmp/calyxa root", "/tmp/r/"}) {
    const SystemRoot systemRoot(root);
    for (const char* path : {"/Applications/A.app", "//System/x", "/", "relative/b", ""})
      EXPECT_EQ(systemRoot.resolveString(path), systemRoot.resolve(path).string()) << root << path;
  }
}

TEST(PosixFileSystemTest, ListsInDirectoryOrderUnderTheRootAndFollowsLinks) {
  TempDir root;
  for (const char* name : {"b.app", "a.app", "Games", ".hidden", "zz"})
    std::filesystem::create_directories(root / "Applications" / name);
  root.write("Applications/file.txt", "x");
  std::filesystem::create_directory_symlink(root / "Applications" / "Games",
                                            root / "Applications" / "Linked");
  std::filesystem::create_symlink("loop-b", root / "Applications" / "loop-a");
  std::filesystem::create_symlink("loop-a", root / "Applications" / "loop-b");

  PosixFileSystem files{SystemRoot(root.path())};
  const auto names = files.contentsOfDirectory("/Applications");
  ASSERT_TRUE(names);
  std::vector<std::string> expected;
  for (const auto& entry : std::filesystem::directory_iterator(root / "Applications"))
    expected.push_back(entry.path().filename().string());
  EXPECT_EQ(*names, expected) << "names come in the order the directory yields them";
  EXPECT_EQ(names->size(), 9u);

  EXPECT_TRUE(files.isDirectory("/Applications/Linked"));
  EXPECT_TRUE(files.fileExists("/Applications/file.txt"));
  EXPECT_FALSE(files.isDirectory("/Applications/file.txt"));
  EXPECT_FALSE(files.fileExists("/Applications/loop-a"));
  EXPECT_FALSE(files.isDirectory("/Applications/loop-a"));
  EXPECT_FALSE(files.fileExists("/Applications/absent"));
  EXPECT_FALSE(files.contentsOfDirectory("/Applications/file.txt"));
  EXPECT_FALSE(files.contentsOfDirectory("/Applications/loop-a"));
  EXPECT_FALSE(files.contentsOfDirectory("/Nowhere"));
  EXPECT_TRUE(files.contentsOfDirectory("/Applications/zz")->empty());

  std::filesystem::permissions(root / "Applications" / "zz", std::filesystem::perms::none);
  if (::geteuid() != 0) {  // root reads through permission bits
    EXPECT_FALSE(files.contentsOfDirectory("/Applications/zz"));
  }
}

TEST(PosixBundleReaderTest, ReadsIdentifiersAndTranslatedNamesOfXmlAndBinaryBundles) {
  TempDir root;
  testing::writeAppBundle(root.path(), "/Applications/Calculator.app",
                          {.identifier = "com.example.calculator",
                           .bundleName = "Calculator",
                           .format = PlistFormat::binary,
                           .localizedDisplayNames = {{"zh_CN", "计算器"}, {"fr", "Calculette"}}});
  testing::writeAppBundle(root.path(), "/Applications/Plain.app", {.identifier = "com.plain"});
  root.write("Applications/Broken.app/Contents/Info.plist", "<plist><dict><key>");
  root.write("Applications/Broken.app/Contents/Resources/zh-Hans.lproj/InfoPlist.strings",
             "\"CFBundleDisplayName\" = \"unterminated");
  root.write("Applications/Broken.app/Contents/Resources/zh.lproj/InfoPlist.strings",
             "\"CFBundleDisplayName\" = \"坏了\";");

  PosixBundleReader chinese(SystemRoot(root.path()), bundleLocalizationsForLocale("zh_CN.UTF-8"));
  EXPECT_EQ(chinese.bundleIdentifier("/Applications/Calculator.app"), "com.example.calculator");
  EXPECT_EQ(chinese.bundleIdentifier("/Applications/Plain.app"), "com.plain");
  EXPECT_EQ(chinese.displayName("/Applications/Calculator.app"), "计算器");
  EXPECT_EQ(chinese.displayName("/Applications/Plain.app"), "Plain.app");
  EXPECT_EQ(text(*chinese.infoDictionary("/Applications/Calculator.app"), "CFBundleName"),
            "Calculator");

  // A broken translation gives way to the next language; a broken Info.plist reads as none.
  EXPECT_FALSE(chinese.bundleIdentifier("/Applications/Broken.app"));
  EXPECT_FALSE(chinese.infoDictionary("/Applications/Broken.app"));
  EXPECT_EQ(chinese.displayName("/Applications/Broken.app"), "坏了");
  EXPECT_FALSE(chinese.bundleIdentifier("/Applications/Missing.app"));
  EXPECT_EQ(chinese.displayName("/Applications/Missing.app/"), "Missing.app");

  PosixBundleReader french(SystemRoot(root.path()), bundleLocalizationsForLocale("fr_FR"));
  EXPECT_EQ(french.displayName("/Applications/Calculator.app"), "Calculette");
  PosixBundleReader english(SystemRoot(root.path()), bundleLocalizationsForLocale("C"));
  EXPECT_EQ(english.displayName("/Applications/Calculator.app"), "Calculator.app");
  EXPECT_FALSE(english.localizedInfoDictionary("/Applications/Calculator.app"));
}

TEST(PosixBundleReaderTest, LanguagesMapToTheFolderNamesBundlesUse) {
  using Names = std::vector<std::string>;
  EXPECT_EQ(bundleLocalizationsForLocale("zh_CN.UTF-8"),
            (Names{"zh-Hans", "zh-CN", "zh_CN", "zh"}));
  EXPECT_EQ(bundleLocalizationsForLocale("zh_TW"), (Names{"zh-Hant", "zh-TW", "zh_TW", "zh"}));
  EXPECT_EQ(bundleLocalizationsForLocale("de_DE@euro"), (Names{"de-DE", "de_DE", "de", "German"}));
  EXPECT_EQ(bundleLocalizationsForLocale("POSIX"), (Names{"en", "English"}));
  EXPECT_EQ(bundleLocalizationsForLocale(""), (Names{"en", "English"}));
}

// A child process started from a copy of a system program placed inside a bundle.
class BundledProcess {
 public:
  explicit BundledProcess(const std::filesystem::path& executable) {
    std::filesystem::create_directories(executable.parent_path());
    std::filesystem::copy_file("/bin/sleep", executable);
    std::filesystem::permissions(executable, std::filesystem::perms::owner_all);
    const std::string path = executable.string();
    char* argv[] = {const_cast<char*>(path.c_str()), const_cast<char*>("30"), nullptr};
    if (::posix_spawn(&pid_, path.c_str(), nullptr, nullptr, argv, environ) != 0) pid_ = -1;
  }
  ~BundledProcess() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  BundledProcess(const BundledProcess&) = delete;
  BundledProcess& operator=(const BundledProcess&) = delete;
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
};

TEST(ProcRunningApplicationsTest, ReportsBundlesOfTheUsersProcessesInsideTheRoot) {
  if (::access("/bin/sleep", X_OK) != 0 || !std::filesystem::exists("/proc/self/exe")) {
    GTEST_SKIP() << "needs /proc and /bin/sleep";
  }
  TempDir base;
  const std::filesystem::path root = base / "root";
  testing::writeAppBundle(root, "/Applications/Sleepy.app",
                          {.identifier = "com.example.sleepy", .bundleName = "Sleepy Head"});
  testing::writeAppBundle(root, "/Applications/Sleepy.app/Contents/Helpers/Nap.app",
                          {.identifier = "com.example.nap"});
  BundledProcess main(root / "Applications/Sleepy.app/Contents/MacOS/sleepy");
  BundledProcess second(root / "Applications/Sleepy.app/Contents/MacOS/sleepy-too");
  BundledProcess helper(root /
                        "Applications/Sleepy.app/Contents/Helpers/Nap.app/Contents/MacOS/nap");
  BundledProcess elsewhere(root / "elsewhere/Stray.app/Contents/MacOS/stray");
  BundledProcess outside(base / "Outside.app/Contents/MacOS/outside");
  ASSERT_GT(main.pid(), 0);
  ASSERT_GT(helper.pid(), 0);
  ASSERT_GT(outside.pid(), 0);

  auto workspace = std::make_shared<testing::FakeWorkspace>();
  const SystemRoot systemRoot(root / "");
  ProcRunningApplications source(
      systemRoot, std::make_shared<PosixBundleReader>(systemRoot, std::vector<std::string>{}),
      workspace);
  // The children have started once posix_spawn returns; /proc shows them at once.
  const std::vector<RunningApplication> found = source.runningApplications();
  std::vector<std::string> paths;
  for (const auto& application : found) {
    ASSERT_TRUE(application.bundlePath);
    paths.push_back(*application.bundlePath);
  }
  std::sort(paths.begin(), paths.end());
  EXPECT_EQ(paths, (std::vector<std::string>{"/Applications/Sleepy.app",
                                             "/Applications/Sleepy.app/Contents/Helpers/Nap.app",
                                             "/elsewhere/Stray.app"}))
      << "one entry per bundle, innermost bundle of each executable, none from outside the root";
  for (const auto& application : found) {
    if (*application.bundlePath != "/Applications/Sleepy.app") continue;
    EXPECT_EQ(application.localizedName, "Sleepy Head");
    EXPECT_EQ(application.bundleIdentifier, "com.example.sleepy");
    ASSERT_TRUE(application.icon);
  }
  EXPECT_TRUE(std::count(workspace->iconRequests.begin(), workspace->iconRequests.end(),
                         "/Applications/Sleepy.app"));

  ProcRunningApplications otherUser(
      systemRoot, std::make_shared<PosixBundleReader>(systemRoot, std::vector<std::string>{}),
      workspace, "/proc", ::getuid() + 4242);
  EXPECT_TRUE(otherUser.runningApplications().empty()) << "another user's processes are not ours";
}

TEST(ProcRunningApplicationsTest, TheInnermostEnclosingBundleIsTheApplication) {
  EXPECT_EQ(enclosingBundle("/r/Applications/A.app/Contents/MacOS/a"), "/r/Applications/A.app");
  EXPECT_EQ(enclosingBundle("/r/A.app/Contents/Helpers/B.app/Contents/MacOS/b"),
            "/r/A.app/Contents/Helpers/B.app");
  EXPECT_FALSE(enclosingBundle("/usr/bin/sleep"));
  EXPECT_FALSE(enclosingBundle("/r/Tool.app")) << "the executable itself is no enclosing folder";
  EXPECT_FALSE(enclosingBundle("/r/.app/x"));
}

TEST(PathBookmarksTest, ResolvesWhileTheFolderExists) {
  TempDir root;
  std::filesystem::create_directories(root / "Volumes/Apps");
  root.write("file", "x");
  PathBookmarks bookmarks{SystemRoot(root.path())};
  const auto data = bookmarks.createBookmark("/Volumes/Apps");
  ASSERT_TRUE(data);
  EXPECT_EQ(bookmarks.resolveBookmark(*data), "/Volumes/Apps");
  EXPECT_TRUE(bookmarks.startAccessing("/Volumes/Apps"));

  EXPECT_FALSE(bookmarks.createBookmark("/Volumes/Absent"));
  EXPECT_FALSE(bookmarks.createBookmark("/file"));
  EXPECT_FALSE(bookmarks.createBookmark("Volumes/Apps")) << "relative";
  EXPECT_FALSE(bookmarks.resolveBookmark({}));
  EXPECT_FALSE(bookmarks.resolveBookmark({'j', 'u', 'n', 'k'}));

  std::filesystem::remove_all(root / "Volumes/Apps");
  EXPECT_FALSE(bookmarks.resolveBookmark(*data));
}

}  // namespace
}  // namespace calyxa
