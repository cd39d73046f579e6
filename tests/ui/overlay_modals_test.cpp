#include <gtest/gtest.h>

#include <QTest>

#include "modal_harness.h"
#include "support/app_bundle_tree.h"
#include "support/ctl_runner.h"
#include "views/modals/folder_detail_modal_view.h"
#include "views/modals/onboarding_modal_view.h"
#include "views/modals/overlay_modals.h"
#include "views/modals/quick_settings_modal_view.h"
#include "views/tilewell_view.h"

namespace calyxa {
namespace {

double brightness(const QImage& image, QPoint at) {
  const QRgb c = image.pixel(at);
  return (0.2126 * qRed(c) + 0.7152 * qGreen(c) + 0.0722 * qBlue(c)) / 255;
}

TEST(OverlayModalsTest, ModalsStackOverTheGridWithTheirTransitionsAndDimIt) {
  auto apps = testing::numberedApps(12);
  auto items = testing::slots({apps.begin(), apps.begin() + 10});
  items.push_back(LaunchItem::folder(LaunchFolder("F-1", "工具", {apps[10], apps[11]})));
  testing::ModalHarness h(items);
  h->showOnboarding = true;  // a first run: shown as soon as the view has its modals
  TilewellView view(
      *h, [] {}, &h.host, h.driver);
  view.setGeometry(h.host.rect());
  view.show();
  withoutAnimation([&] { h->isPresented = true; });
  installOverlayModals(view, *h, h.driver, [] {});
  ASSERT_NE(view.onboardingModal(), nullptr);
  EXPECT_NE(dynamic_cast<OnboardingModalView*>(view.onboardingModal()), nullptr);
  // (Not completeOnboarding: its rescan of the empty test root would empty the grid.)
  withAnimation(Animation::spring(0.3, 1.0), [&] { h->showOnboarding = false; });
  h.settle();
  EXPECT_FALSE(view.onboardingModal()->isVisible()) << "hidden once faded out";

  const QImage bare = h.snapshot("overlay_without_modal");
  withAnimation(Animation::spring(0.28, 0.95), [&] { h->activeFolder = *items.back().asFolder(); });
  withAnimation(Animation::spring(0.26, 1.0), [&] { h->showSettings = true; });
  auto* folder = dynamic_cast<FolderDetailModalView*>(view.folderModal());
  auto* settings = dynamic_cast<QuickSettingsModalView*>(view.settingsModal());
  ASSERT_TRUE(folder && settings);
  // Mid-way the settings panel fades in from 0.95; the folder only fades.
  h.platform.scheduler->advance(0.06);
  EXPECT_GT(settings->presence(), 0.0);
  EXPECT_LT(settings->presence(), 1.0);
  EXPECT_GT(settings->panelScale(), 0.95);
  EXPECT_LT(settings->panelScale(), 1.0);
  EXPECT_LT(folder->presence(), 1.0);
  EXPECT_EQ(folder->panelScale(), 1.0);
  // Under the moving modal the grid is drawn from a picture: in place, only dimmed less.
  const QImage mid = h.snapshot("overlay_settings_opening");
  h.settle();

  // Settings over the folder over the grid; a click beside the panels closes settings only.
  const QList<QObject*> order = view.children();
  EXPECT_LT(order.indexOf(folder), order.indexOf(settings));
  const QImage both = h.snapshot("overlay_folder_and_settings");
  const QPoint corner(30, 450);
  EXPECT_LT(brightness(both, corner), brightness(bare, corner) * 0.6 + 0.01) << "dimmed";
  for (const QPoint at : {corner, QPoint(700, 60), QPoint(1300, 850)}) {
    EXPECT_LE(brightness(mid, at), brightness(bare, at) + 0.01);
    EXPECT_GE(brightness(mid, at), brightness(both, at) - 0.01);
  }
  QTest::mouseClick(settings, Qt::LeftButton, {}, QPoint(30, 450));
  EXPECT_FALSE(h->showSettings);
  EXPECT_TRUE(h->activeFolder.get());
  h.settle();
  EXPECT_FALSE(view.settingsModal()->isVisible());
  QTest::mouseClick(view.folderModal(), Qt::LeftButton, {}, QPoint(30, 450));
  EXPECT_FALSE(h->activeFolder.get());
}

}  // namespace
}  // namespace calyxa

namespace calyxa {
namespace {

TEST(SnapshotModalsTest, RendersEachModalOnRequestAndRefusesAnUnknownFolder) {
  namespace fs = std::filesystem;
  testing::TempDir root, home, out;
  for (const char* name : {"Safari", "Mail", "Xcode", "Terminal", "微信"})
    testing::writeAppBundle(root.path(), std::string("/Applications/") + name + ".app", {});
  home.write("CalyxaData/tilewell_layout.json",
             R"([{"type":"app","id":"/Applications/Safari.app","name":"Safari"},)"
             R"({"type":"folder","id":"F00D","name":"开发工具","subAppIDs":)"
             R"(["/Applications/Xcode.app","/Applications/Terminal.app"]}])");
  const std::map<std::string, std::string> environment{
      {"CALYXA_SYSTEM_ROOT", root.path()},
      {"HOME", home.path()},
      {"XDG_CONFIG_HOME", (home / "config").string()},
      {"XDG_DATA_HOME", (home / "data").string()},
      {"XDG_DATA_DIRS", (home / "none").string()},
      {"XDG_RUNTIME_DIR", out.path()}};
  std::map<std::string, QImage> pictures;
  for (const auto& [name, option] : std::vector<std::pair<std::string, std::vector<std::string>>>{
           {"snapshot-grid", {}},
           {"snapshot-folder", {"--folder", "F00D"}},
           {"snapshot-settings", {"--settings"}},
           {"snapshot-onboarding", {"--onboarding"}}}) {
    const fs::path file = out / (name + ".png");
    std::vector<std::string> arguments{"--snapshot", file.string()};
    arguments.insert(arguments.end(), option.begin(), option.end());
    const testing::CtlRun run = testing::runProgram(CALYXA_EXECUTABLE, arguments, environment);
    ASSERT_EQ(run.status, 0) << name << run.err;
    pictures[name] = QImage(QString::fromStdString(file.string()));
    fs::copy_file(file, fs::path(CALYXA_RENDER_DIR) / (name + ".png"),
                  fs::copy_options::overwrite_existing);
  }
  // No modal on a first run unless asked; each asked one dims the grid's corner.
  const QPoint corner(40, 600);
  const double grid = brightness(pictures["snapshot-grid"], corner);
  for (const char* name : {"snapshot-folder", "snapshot-settings", "snapshot-onboarding"})
    EXPECT_LT(brightness(pictures[name], corner), grid * 0.7) << name;

  const testing::CtlRun unknown = testing::runProgram(
      CALYXA_EXECUTABLE, {"--snapshot", (out / "x.png").string(), "--folder", "NOPE"}, environment);
  EXPECT_EQ(unknown.status, 64);
  EXPECT_NE(unknown.err.find("NOPE"), std::string::npos);
  EXPECT_FALSE(fs::exists(out / "x.png"));
}

}  // namespace
}  // namespace calyxa
