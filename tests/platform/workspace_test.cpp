#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/image.h"
#include "platform/posix/bundle_info.h"
#include "platform/posix/file_io.h"
#include "platform/posix/plist_io.h"
#include "platform/posix/posix_workspace.h"
#include "platform/posix/process_spawn.h"
#include "platform/system_root.h"
#include "support/temp_dir.h"

namespace calyxa {
namespace {

using testing::TempDir;

void makeBundle(const TempDir& root, const std::string& bundle, const PlistDictionary& info,
                PlistFormat format = PlistFormat::xml) {
  std::filesystem::create_directories(root / (bundle + "/Contents/MacOS"));
  ASSERT_TRUE(writePlistFile(root / (bundle + "/Contents/Info.plist"), PlistValue(info), format));
}

std::filesystem::path makeScript(const TempDir& root, const std::string& relative,
                                 const std::string& body) {
  const auto path = root.write(relative, "#!/bin/sh\n" + body + "\n");
  ::chmod(path.c_str(), 0755);
  return path;
}

// Waits for a child process's output file; the child runs on its own, no timer is involved.
bool eventuallyExists(const std::filesystem::path& path) {
  for (int i = 0; i < 500; ++i) {
    if (std::filesystem::exists(path)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST(SystemRootTest, ResolvesSystemPathsUnderTheRootAndBack) {
  const SystemRoot real("/");
  EXPECT_EQ(real.resolve("/Applications/Safari.app"), "/Applications/Safari.app");
  EXPECT_EQ(real.systemPathOf("/Applications/./Safari.app"), "/Applications/Safari.app");

  const SystemRoot test("/tmp/root/");
  EXPECT_EQ(test.root(), "/tmp/root");
  EXPECT_EQ(test.resolve("/Applications/Safari.app"), "/tmp/root/Applications/Safari.app");
  EXPECT_EQ(test.systemPathOf("/tmp/root/System/Applications/Chess.app"),
            "/System/Applications/Chess.app");
  EXPECT_EQ(test.systemPathOf("/tmp/root"), "/");
  EXPECT_FALSE(test.systemPathOf("/tmp/rootless/x.app"));
  EXPECT_FALSE(test.systemPathOf("/usr/bin/env"));
}

TEST(PosixWorkspaceTest, OpensTheBundleExecutableDetachedAndIgnoresBrokenBundles) {
  TempDir root;
  makeScript(root, "Applications/Echo.app/Contents/MacOS/echo-app",
             "echo \"$0\" > \"" + (root / "launched").string() + "\"");
  makeBundle(root, "Applications/Echo.app", {{"CFBundleExecutable", "echo-app"}},
             PlistFormat::binary);
  // The executable name of a bundle never leads outside it.
  makeScript(root, "Applications/evil", "touch \"" + (root / "escaped").string() + "\"");
  makeBundle(root, "Applications/Evil.app", {{"CFBundleExecutable", "../../../evil"}});
  makeBundle(root, "Applications/NoExec.app", {{"CFBundleExecutable", "missing"}});
  makeBundle(root, "Applications/WrongKind.app", {{"CFBundleExecutable", 42}});
  root.write("Applications/NotExecutable.app/Contents/MacOS/plain", "#!/bin/sh\n");
  makeBundle(root, "Applications/NotExecutable.app", {{"CFBundleExecutable", "plain"}});

  const SystemRoot systemRoot(root.path());
  EXPECT_TRUE(bundleExecutablePath(systemRoot.resolve("/Applications/Echo.app")));
  for (const char* broken :
       {"/Applications/Evil.app", "/Applications/NoExec.app", "/Applications/WrongKind.app",
        "/Applications/NotExecutable.app", "/Applications/Absent.app"}) {
    EXPECT_FALSE(bundleExecutablePath(systemRoot.resolve(broken))) << broken;
  }

  PosixWorkspace workspace(systemRoot);
  for (const char* broken :
       {"/Applications/Evil.app", "/Applications/NoExec.app", "/Applications/Absent.app", ""}) {
    workspace.openApplication(broken, true);
  }
  workspace.openApplication("/Applications/Echo.app", true);
  ASSERT_TRUE(eventuallyExists(root / "launched"));
  EXPECT_NE(readFileBytes(root / "launched", 4096).bytes.find("Echo.app/Contents/MacOS/echo-app"),
            std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(root / "escaped"));

  EXPECT_FALSE(spawnDetached(root / "no-such-program", {}));
}

TEST(ImageTest, ResizedImagesDrawTheirSourceOnDemandAtTheAskedSize) {
  const Image generic = genericApplicationIcon("/Applications/Safari.app");
  ASSERT_FALSE(generic.isNull());
  const Image icon = generic.resized(96, 96);
  EXPECT_EQ(icon.width(), 96);
  EXPECT_EQ(icon.height(), 96);

  const RasterImage pixels = icon.render(2.0);
  ASSERT_EQ(pixels.width, 192);
  ASSERT_EQ(pixels.height, 192);
  EXPECT_EQ(pixels.pixel(0, 0) >> 24, 0u) << "corners of the tile are transparent";
  EXPECT_EQ(pixels.pixel(96, 96) >> 24, 255u) << "its middle is opaque";
  EXPECT_NE(genericApplicationIcon("/Applications/Mail.app").render().pixel(64, 64),
            generic.render().pixel(64, 64))
      << "different applications get different tiles";

  const RasterImage checker{2, 1, {0xFF000000u, 0xFFFFFFFFu}};
  const RasterImage wide = scaleRaster(checker, 4, 1);
  EXPECT_EQ(wide.pixel(0, 0), 0xFF000000u);
  EXPECT_EQ(wide.pixel(3, 0), 0xFFFFFFFFu);
  EXPECT_GT(wide.pixel(1, 0) & 0xFF, 0u);
  EXPECT_LT(wide.pixel(1, 0) & 0xFF, 255u);
  EXPECT_TRUE(Image().render().isEmpty());
}

}  // namespace
}  // namespace calyxa
