#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/image.h"
#include "platform/posix/bundle_info.h"
#include "platform/posix/file_io.h"
#include "platform/posix/path_bookmarks.h"
#include "platform/posix/posix_bundle_reader.h"
#include "platform/posix/posix_workspace.h"
#include "platform/posix/proc_running_applications.h"
#include "platform/posix/process_spawn.h"
#include "platform/posix/strings_file.h"
#include "platform/utf8.h"
#include "support/app_bundle_tree.h"
#include "support/fakes.h"
#include "support/manual_scheduler.h"
#include "support/temp_dir.h"

extern char** environ;

namespace calyxa {
namespace {

using testing::TempDir;
using Strings = std::vector<std::string>;

TEST(SystemRootTest, ResolvesSystemPathsUnderTheRootAndBack) {
  const SystemRoot real("/"), test("/tmp/root/");
  EXPECT_EQ(real.systemPathOf("/Applications/./Safari.app"), "/Applications/Safari.app");
  EXPECT_EQ(test.resolve("/Applications/Safari.app"), "/tmp/root/Applications/Safari.app");
  EXPECT_EQ(test.systemPathOf("/tmp/root/System/Chess.app"), "/System/Chess.app");
  EXPECT_EQ(test.systemPathOf("/tmp/root"), "/");
  EXPECT_FALSE(test.systemPathOf("/tmp/rootless/x.app") || test.systemPathOf("/usr/bin/env"));
  // The plain-text form the scan uses agrees with the path one.
  for (const char* root : {"/", "/tmp/calyxa root", "/tmp/r/"})
    for (const char* path : {"/Applications/A.app", "//System/x", "/", "relative/b", ""})
      EXPECT_EQ(SystemRoot(root).resolveString(path), SystemRoot(root).resolve(path).string());
}

TEST(PosixWorkspaceTest, OpensTheBundleExecutableDetachedAndIgnoresBrokenBundles) {
  TempDir root;
  const auto script = [&](const std::string& path, const std::string& body) {
    ::chmod(root.write(path, "#!/bin/sh\n" + body + "\n").c_str(), 0755);
  };
  const auto bundle = [&](const std::string& name, PlistValue executable) {
    testing::writeAppBundle(root.path(), "/Applications/" + name,
                            {.extraKeys = {{"CFBundleExecutable", executable}}});
  };
  script("Applications/Echo.app/Contents/MacOS/echo-app",
         "echo \"$0\" > \"" + (root / "launched").string() + "\"");
  bundle("Echo.app", "echo-app");
  // The executable name of a bundle never leads outside it.
  script("Applications/evil", "touch \"" + (root / "escaped").string() + "\"");
  bundle("Evil.app", "../../../evil");
  bundle("NoExec.app", "missing");
  bundle("WrongKind.app", std::int64_t{42});
  root.write("Applications/Plain.app/Contents/MacOS/plain", "#!/bin/sh\n");  // not executable
  bundle("Plain.app", "plain");

  for (const char* broken : {"Evil.app", "NoExec.app", "WrongKind.app", "Plain.app", "A.app"})
    EXPECT_FALSE(bundleExecutablePath(root / "Applications" / broken)) << broken;
  // Starting happens on the launch queue, never in the caller; the outcome comes back on the
  // main queue.
  const auto scheduler = testing::ManualScheduler::make();
  PosixWorkspace workspace(SystemRoot(root.path()), scheduler->mainQueue(),
                           scheduler->backgroundQueue());
  std::vector<std::string> outcomes;
  for (const char* bundle : {"/Applications/Evil.app", "/Applications/Echo.app"}) {
    workspace.openApplication(bundle, true, [&outcomes, bundle](bool started) {
      outcomes.push_back(bundle + std::string(started ? " started" : " failed"));
    });
  }
  EXPECT_EQ(scheduler->pendingCount(testing::ManualScheduler::Lane::background), 2);
  EXPECT_TRUE(outcomes.empty());
  scheduler->runReady();
  EXPECT_EQ(outcomes, (std::vector<std::string>{"/Applications/Evil.app failed",
                                                "/Applications/Echo.app started"}));
  // The child runs on its own: wait for its output, no timer is involved.
  for (int i = 0; i < 500 && !std::filesystem::exists(root / "launched"); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_NE(readFileBytes(root / "launched", 4096).bytes.find("Echo.app/Contents/MacOS/echo-app"),
            std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(root / "escaped"));
  EXPECT_FALSE(spawnDetached(root / "no-such-program", {}));
}

TEST(ImageTest, ResizedImagesDrawTheirSourceOnDemandAtTheAskedSize) {
  const Image generic = genericApplicationIcon("/Applications/Safari.app");
  const RasterImage pixels = generic.resized(96, 96).render(2.0);
  ASSERT_TRUE(pixels.width == 192 && pixels.height == 192);
  EXPECT_EQ(pixels.pixel(0, 0) >> 24, 0u) << "corners of the tile are transparent";
  EXPECT_EQ(pixels.pixel(96, 96) >> 24, 255u) << "its middle is opaque";
  EXPECT_NE(genericApplicationIcon("/Applications/Mail.app").render().pixel(64, 64),
            generic.render().pixel(64, 64))
      << "different applications get different tiles";
  const RasterImage wide = scaleRaster({2, 1, {0xFF000000u, 0xFFFFFFFFu}}, 4, 1);
  EXPECT_EQ(wide.pixel(0, 0), 0xFF000000u);
  EXPECT_EQ(wide.pixel(3, 0), 0xFFFFFFFFu);
  EXPECT_TRUE((wide.pixel(1, 0) & 0xFF) > 0 && (wide.pixel(1, 0) & 0xFF) < 255) << "blended";
}

// Translated names: strings files in every syntax and form, in the languages of the locale.
TEST(LocalisedNamesTest, StringsFilesAreReadWholeOrNotAtAllInTheLanguagesOfTheLocale) {
  EXPECT_EQ(parseStringsFile("\xEF\xBB\xBF/* Localized */ // \"x\" = \"y\";\n{ Key = Short.Name-1;"
                             " \"Same\"; \"Key\" = \"Last wins\";\n\"Name\"   =\"A \\\"q\\\" "
                             "\\U4E2D\\u6587\\n\\101 \\\\ \\UD83D\\UDE00\" ; }"),
            (PlistDictionary{{"Key", "Last wins"},
                             {"Same", "Same"},
                             {"Name", "A \"q\" 中文\nA \\ \xF0\x9F\x98\x80"}}));
  const PlistDictionary entries{{"CFBundleDisplayName", PlistValue("邮件")}};
  for (const auto format : {PlistFormat::xml, PlistFormat::binary})
    EXPECT_EQ(parseStringsFile(*serializePlist(PlistValue(entries), format)), entries);
  for (const std::string& bad :
       Strings{"\"a\" = \"b\"", "\"a\" = \"b;", "\"a\" = \"b\"; /* open", "\"a\" = ;", "= \"b\";",
               "{ \"a\" = \"b\";", "\"a\" = \"b\"; }", "\"a\" = \"\xFF\xFE\";",
               "\"a\" = \"\\UD83D\";", std::string("\xFF\xFE\x22", 3), "\"a\" = \"\\U\";",
               "<?xml version=\"1.0\"?><plist><array/></plist>"}) {
    EXPECT_FALSE(parseStringsFile(bad)) << bad;
  }
  for (const char* bad : {"\xFF", "a\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80"})
    EXPECT_FALSE(isValidUtf8(bad)) << bad;

  EXPECT_EQ(bundleLocalizationsForLocale("zh_TW"), (Strings{"zh-Hant", "zh-TW", "zh_TW", "zh"}));
  TempDir root;
  testing::writeAppBundle(root.path(), "/Applications/Calculator.app",
                          {.localizedDisplayNames = {{"zh-Hans", "计算器"}, {"fr", "Calculette"}}});
  root.write("Applications/Broken.app/Contents/Resources/zh-Hans.lproj/InfoPlist.strings", "\"");
  root.write("Applications/Broken.app/Contents/Resources/zh.lproj/InfoPlist.strings",
             "\"CFBundleDisplayName\" = \"坏了\";");
  const auto name = [&](const std::string& locale, const std::string& bundle) {
    return PosixBundleReader(SystemRoot(root.path()), bundleLocalizationsForLocale(locale))
        .displayName("/Applications/" + bundle);
  };
  EXPECT_EQ(name("zh_CN.UTF-8", "Calculator.app"), "计算器");
  EXPECT_EQ(name("fr_FR", "Calculator.app"), "Calculette");
  EXPECT_EQ(name("POSIX", "Calculator.app"), "Calculator.app");
  EXPECT_EQ(name("zh_CN", "Broken.app"), "坏了") << "a broken translation gives way";
  EXPECT_EQ(name("zh_CN", "Missing.app/"), "Missing.app");
}

TEST(ProcRunningApplicationsTest, ReportsTheInnermostBundlesOfTheUsersProcessesInsideTheRoot) {
  if (::access("/bin/sleep", X_OK) != 0 || !std::filesystem::exists("/proc/self/exe")) {
    GTEST_SKIP() << "needs /proc and /bin/sleep";
  }
  TempDir base;
  const std::filesystem::path root = base / "root";
  testing::writeAppBundle(root, "/Applications/Sleepy.app",
                          {.identifier = "com.example.sleepy", .bundleName = "Sleepy Head"});
  // Children started from copies of a system program placed inside bundles; killed at the end.
  struct Children {
    std::vector<pid_t> pids;
    ~Children() {
      for (const pid_t pid : pids)
        ::kill(pid, SIGKILL), ::waitpid(pid, nullptr, 0);
    }
  } children;
  for (const auto& executable :
       {root / "Applications/Sleepy.app/Contents/MacOS/sleepy",
        root / "Applications/Sleepy.app/Contents/MacOS/sleepy-too",
        root / "Applications/Sleepy.app/Contents/Helpers/Nap.app/Contents/MacOS/nap",
        root / "elsewhere/Stray.app/Contents/MacOS/stray",
        base / "Outside.app/Contents/MacOS/out"}) {
    std::filesystem::create_directories(executable.parent_path());
    std::filesystem::copy_file("/bin/sleep", executable);
    char* argv[] = {const_cast<char*>(executable.c_str()), const_cast<char*>("30"), nullptr};
    pid_t pid = -1;
    ASSERT_EQ(::posix_spawn(&pid, executable.c_str(), nullptr, nullptr, argv, environ), 0);
    children.pids.push_back(pid);
  }

  const SystemRoot systemRoot(root / "");
  const auto workspace = std::make_shared<testing::FakeWorkspace>();
  const auto bundles = std::make_shared<PosixBundleReader>(systemRoot, Strings{});
  // The children have started once posix_spawn returns; /proc shows them at once.
  Strings found;
  for (const auto& app :
       ProcRunningApplications(systemRoot, bundles, workspace).runningApplications()) {
    found.push_back(app.bundlePath.value_or("?") + " | " + app.localizedName.value_or("-") + " | " +
                    app.bundleIdentifier.value_or("-") + (app.icon ? "" : " | no icon"));
  }
  std::ranges::sort(found);
  EXPECT_EQ(found, (Strings{"/Applications/Sleepy.app | Sleepy Head | com.example.sleepy",
                            "/Applications/Sleepy.app/Contents/Helpers/Nap.app | - | -",
                            "/elsewhere/Stray.app | - | -"}))
      << "one entry per bundle, the innermost, none from outside the root";
  EXPECT_TRUE(ProcRunningApplications(systemRoot, bundles, workspace, "/proc", ::getuid() + 4242)
                  .runningApplications()
                  .empty())
      << "another user's processes are not ours";
}

TEST(PathBookmarksTest, ResolvesWhileTheFolderExists) {
  TempDir root;
  root.write("Volumes/Apps/file", "x");
  PathBookmarks bookmarks{SystemRoot(root.path())};
  const PlistData data = bookmarks.createBookmark("/Volumes/Apps").value_or(PlistData{});
  EXPECT_EQ(bookmarks.resolveBookmark(data), "/Volumes/Apps");
  for (const char* bad : {"/Volumes/Absent", "/Volumes/Apps/file", "Volumes/Apps"})
    EXPECT_FALSE(bookmarks.createBookmark(bad)) << bad;
  EXPECT_FALSE(bookmarks.resolveBookmark({}) || bookmarks.resolveBookmark({'j', 'u', 'n', 'k'}));
  std::filesystem::remove_all(root / "Volumes/Apps");
  EXPECT_FALSE(bookmarks.resolveBookmark(data));
}

}  // namespace
}  // namespace calyxa
