#include <gtest/gtest.h>

#include <QAccessible>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>

#include "modal_harness.h"
#include "support/app_bundle_tree.h"
#include "support/transaction_recorder.h"
#include "views/controls/glass_tints.h"
#include "views/modals/folder_detail_modal_view.h"
#include "views/modals/onboarding_modal_view.h"
#include "views/modals/quick_settings_modal_view.h"

namespace calyxa {
namespace {

using testing::ModalHarness;
using testing::numberedApps;
using testing::TransactionRecorder;

// Grid slots: `loose` stand-alone applications, then a folder of the next `inFolder` ones.
std::vector<LaunchItem> gridWithFolder(int loose, int inFolder, const std::string& name = "工具") {
  const auto apps = numberedApps(loose + inFolder);
  auto items = testing::slots({apps.begin(), apps.begin() + loose});
  items.push_back(
      LaunchItem::folder(LaunchFolder("F-1", name, {apps.begin() + loose, apps.end()})));
  return items;
}

const LaunchFolder* folderIn(TilewellStore& store, const std::string& id) {
  for (const auto& item : store.items.get())
    if (item.isFolder() && item.id() == id) return item.asFolder();
  return nullptr;
}

void open(ModalHarness& h, const std::string& id = "F-1") {
  withAnimation(Animation::spring(0.28, 0.95), [&] { h->activeFolder = *folderIn(*h, id); });
  h.settle();
}

void click(QWidget& widget, QPointF at = {-1, -1}) {
  const QPoint point = at.x() < 0 ? widget.rect().center() : at.toPoint();
  QTest::mouseClick(&widget, Qt::LeftButton, {}, point);
}

// Every visible control of the panel lies inside it, and none overlaps another.
void expectTidy(QWidget& panel) {
  const QRect bounds = panel.rect();
  std::vector<QWidget*> children;
  for (QWidget* child : panel.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    if (!child->isHidden()) children.push_back(child);
  for (std::size_t i = 0; i < children.size(); ++i) {
    EXPECT_TRUE(bounds.contains(children[i]->geometry()))
        << children[i]->accessibleName().toStdString();
    for (std::size_t j = i + 1; j < children.size(); ++j)
      EXPECT_FALSE(children[i]->geometry().intersects(children[j]->geometry()))
          << children[i]->accessibleName().toStdString() << " / "
          << children[j]->accessibleName().toStdString();
  }
}

TEST(FolderDetailModalTest, RenamesOnEveryKeystrokeAndKeepsTheNameWhenTheDimmingCloses) {
  ModalHarness h(gridWithFolder(3, 4));
  FolderDetailModalView modal(*h, {}, {}, &h.host, h.driver);
  EXPECT_FALSE(modal.isPresented());
  open(h);
  ASSERT_TRUE(modal.isPresented());
  EXPECT_EQ(modal.presence(), 1.0);
  EXPECT_EQ(modal.nameField().text(), "工具");
  EXPECT_EQ(modal.nameField().lineEdit().placeholderText(), "输入文件夹名称...");
  h.snapshot("folder_detail_modal");
  expectTidy(modal.panel());

  QLineEdit& edit = modal.nameField().lineEdit();
  edit.setFocus();
  edit.selectAll();
  QTest::keyClicks(&edit, "Dev");
  EXPECT_EQ(folderIn(*h, "F-1")->name, "Dev");
  QTest::keyClick(&edit, Qt::Key_Backspace);
  EXPECT_EQ(folderIn(*h, "F-1")->name, "De") << "each keystroke renames";
  EXPECT_EQ(h->activeFolder.get()->name, "De");
  // Escape is the window's: the field leaves it to the window's chain.
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(&edit, &escape);
  EXPECT_FALSE(escape.isAccepted());

  // A click beside the panel closes it with the closing spring; the name stays.
  const TransactionRecorder changes(h->changes);
  click(modal, {20, 20});
  EXPECT_FALSE(h->activeFolder.get());
  ASSERT_EQ(changes.of("activeFolder").size(), 1u);
  EXPECT_EQ(changes.of("activeFolder")[0].animation, Animation::spring(0.26, 1.0));
  EXPECT_FALSE(modal.isPresented());
  EXPECT_GT(modal.presence(), 0.5) << "it fades with the spring, not at once";
  h.settle();
  EXPECT_EQ(modal.presence(), 0.0);
  EXPECT_EQ(folderIn(*h, "F-1")->name, "De");
}

TEST(FolderDetailModalTest, BadNamesStayInTheirRowAndNothingOverlaps) {
  const std::pair<std::string, std::string> names[] = {{std::string(10000, 'W'), "long_name"},
                                                       {"مجلد الأدوات الخاصة بي", "rtl_name"},
                                                       {"第一行", "pasted_lines"}};
  for (const auto& [name, snapshot] : names) {
    ModalHarness h(gridWithFolder(2, 3, name));
    FolderDetailModalView modal(*h, {}, {}, &h.host, h.driver);
    open(h);
    const QRect before = modal.nameField().geometry();
    EXPECT_LE(before.width(), 340);
    if (name == "第一行") {
      // Pasted line breaks become spaces: a name is one line.
      QLineEdit& edit = modal.nameField().lineEdit();
      edit.setFocus();
      edit.end(false);
      QTest::keyClicks(&edit, "x");
      QApplication::clipboard()->setText("\n第二行\r\n第三行");
      edit.paste();
      EXPECT_EQ(edit.text(), "第一行x 第二行 第三行");
      EXPECT_EQ(folderIn(*h, "F-1")->name, "第一行x 第二行 第三行");
    } else {
      EXPECT_EQ(folderIn(*h, "F-1")->name, name) << "the store keeps what it keeps";
    }
    EXPECT_EQ(modal.nameField().geometry(), before) << "the field never grows";
    expectTidy(modal.panel());
    h.snapshot("folder_detail_modal_" + snapshot);
  }
}

TEST(FolderDetailModalTest, AddMenuOffersTheStandAloneApplicationsInGridOrder) {
  ModalHarness h(gridWithFolder(3, 2));
  // Another folder: neither it nor what it holds is offered.
  h->items.mutate([](auto& items) {
    items.insert(items.begin() + 1,
                 LaunchItem::folder(LaunchFolder("F-2", "其他", {testing::makeApp("Inside")})));
  });
  FolderDetailModalView modal(*h, {}, {}, &h.host, h.driver);
  open(h);
  EXPECT_EQ(QAccessible::queryAccessibleInterface(&modal.addButton())->role(),
            QAccessible::ButtonMenu);
  auto titles = [&] {
    QStringList result;
    for (QAction* action : modal.buildAddMenu()->actions())
      result << action->text();
    return result;
  };
  EXPECT_EQ(titles(), (QStringList{"添加「App 000」", "添加「App 001」", "添加「App 002」"}));

  modal.buildAddMenu()->actions()[1]->trigger();
  EXPECT_EQ(titles(), (QStringList{"添加「App 000」", "添加「App 002」"}));
  EXPECT_EQ(modal.grid().apps().back().name, "App 001") << "the open folder shows the new one";

  for (int i = 0; i < 2; ++i)
    modal.buildAddMenu()->actions()[0]->trigger();
  EXPECT_TRUE(titles().isEmpty()) << "nothing left on the grid: the menu opens empty";
  EXPECT_EQ(modal.grid().apps().size(), 5u);
}

TEST(FolderDetailModalTest, BadgeAndContextEntryRemoveAlikeAndAnEmptiedFolderCloses) {
  std::vector<std::vector<std::string>> results;
  for (const bool byBadge : {true, false}) {
    ModalHarness h(gridWithFolder(1, 3));
    FolderDetailModalView modal(*h, {}, {}, &h.host, h.driver);
    open(h);
    FolderAppGrid& grid = modal.grid();
    EXPECT_EQ(grid.toolTipAt(grid.badgeRect(1).center()), "移出文件夹");
    if (byBadge) {
      click(grid, grid.badgeRect(1).center());
    } else {
      auto menu = grid.contextMenuFor(1);
      ASSERT_EQ(menu->actions().size(), 1);
      EXPECT_EQ(menu->actions()[0]->text(), "移出此文件夹");
      menu->actions()[0]->trigger();
    }
    results.push_back(testing::ids(h->items));
    EXPECT_EQ(grid.apps().size(), 2u);
    EXPECT_TRUE(h.platform.workspace->opened.empty()) << "the badge does not launch";
    // Down to one application the folder dissolves, and the modal goes with it.
    click(grid, grid.badgeRect(0).center());
    EXPECT_FALSE(modal.isPresented());
    EXPECT_EQ(folderIn(*h, "F-1"), nullptr);
  }
  EXPECT_EQ(results[0], results[1]);
}

TEST(FolderDetailModalTest, FortyApplicationsScrollInsideFourHundredTwentyPoints) {
  ModalHarness h(gridWithFolder(0, 40));
  std::vector<std::string> launched;
  FolderDetailModalView modal(
      *h, {}, [&](const AppItem& app) { launched.push_back(app.name); }, &h.host, h.driver);
  open(h);
  FolderAppGrid& grid = modal.grid();
  EXPECT_EQ(grid.height(), 420);
  const int panelHeight = modal.panel().height();
  EXPECT_LT(panelHeight, 900);
  EXPECT_GT(grid.maxScrollOffset(), 420);

  QWheelEvent wheel(grid.rect().center(), grid.mapToGlobal(grid.rect().center()), {},
                    QPoint(0, -120 * 50), Qt::NoButton, {}, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&grid, &wheel);
  EXPECT_EQ(grid.scrollOffset(), grid.maxScrollOffset()) << "scrolls to the end, no further";
  EXPECT_EQ(modal.panel().height(), panelHeight) << "the panel does not grow";
  h.snapshot("folder_detail_modal_scrolled");

  // After scrolling, a click lands on the application shown there.
  click(grid, grid.entryRect(39).center());
  EXPECT_EQ(launched, std::vector<std::string>{"App 039"});
}

TEST(OnboardingModalTest, PermissionsFollowTheStoreAndOnlyTheButtonEndsIt) {
  ModalHarness h(testing::slots(numberedApps(2)));
  h->showOnboarding = true;
  OnboardingModalView modal(*h, &h.host, h.driver);
  h.settle();
  ASSERT_TRUE(modal.isPresented());
  for (GlassRow* row : {&modal.folderRow(), &modal.gestureRow()}) {
    EXPECT_EQ(row->content().badge->text, "未授权");
    EXPECT_EQ(row->content().symbolColor, white(0.65));
  }
  EXPECT_EQ(modal.folderRow().content().description,
            "读取 /Applications 文件夹以完整展示所有第三方应用（当前已加载 0 款应用）。");
  EXPECT_EQ(modal.folderButton().text(), "去授权");
  EXPECT_EQ(modal.gestureButton().text(), "开启权限");
  EXPECT_TRUE(modal.confirmedButton().isVisible());
  h.snapshot("onboarding_modal");
  expectTidy(modal.panel());

  // Asking on Linux explains the input group instead of a system prompt.
  click(modal.gestureButton());
  EXPECT_TRUE(modal.showsInputGroupHint());
  EXPECT_TRUE(modal.inputGroupCommand().startsWith("sudo usermod -aG input "));
  expectTidy(modal.panel());
  h.snapshot("onboarding_modal_input_group");

  // The dimming layer swallows the click and changes nothing.
  const TransactionRecorder changes(h->changes);
  click(modal, {15, 15});
  EXPECT_TRUE(changes.changes.empty());
  EXPECT_TRUE(modal.isPresented());

  click(modal.confirmedButton());
  EXPECT_EQ(modal.gestureRow().content().badge->text, "已授权");
  EXPECT_EQ(modal.gestureRow().content().symbolColor, srgb(0.3, 0.95, 0.62));
  EXPECT_EQ(modal.gestureButton().text(), "已开启");
  EXPECT_FALSE(modal.confirmedButton().isVisible());
  EXPECT_FALSE(modal.showsInputGroupHint());

  // A scan that finds applications updates the count between its two text pieces.
  for (int i = 0; i < 5; ++i)
    testing::writeAppBundle(h.root.path(), "/Applications/Tool " + std::to_string(i) + ".app", {});
  h.platform.scheduler->advance(TilewellStore::kPermissionPollInterval);
  EXPECT_EQ(modal.folderRow().content().badge->text, "已授权") << "the poll is followed live";
  EXPECT_EQ(modal.folderRow().content().description,
            "读取 /Applications 文件夹以完整展示所有第三方应用（当前已加载 5 款应用）。");

  // Nothing needs to be granted to go on.
  click(modal.enterButton());
  EXPECT_FALSE(h->showOnboarding);
  EXPECT_FALSE(modal.isPresented());
  h.settle();
  EXPECT_EQ(modal.presence(), 0.0);
}

TEST(QuickSettingsModalTest, SwitchesShowTheStoreAndEveryCloseUsesTheSpring) {
  ModalHarness h(testing::slots(numberedApps(3)));
  QuickSettingsModalView modal(*h, &h.host, {}, h.driver);
  withAnimation(Animation::spring(0.26, 1.0), [&] { h->showSettings = true; });
  // Half-way the panel is still growing from 0.95 and fading in.
  h.platform.scheduler->advance(0.05);
  EXPECT_GT(modal.presence(), 0.05);
  EXPECT_LT(modal.presence(), 0.95);
  h.settle();
  EXPECT_EQ(modal.presence(), 1.0);
  h.snapshot("quick_settings_modal");
  expectTidy(modal.panel());
  EXPECT_EQ(modal.subtitle(), "v2.9.0 · 已加载 0 款应用");
  std::map<std::string, AppItem> catalogue;
  for (const auto& app : numberedApps(7))
    catalogue.emplace(app.id, app);
  h->allAppsMap = catalogue;
  EXPECT_EQ(modal.subtitle(), "v2.9.0 · 已加载 7 款应用");

  const TransactionRecorder changes(h->changes);
  // Editing off leaves the panel open; on closes it so the grid is seen to start wobbling.
  h->isEditingPositions = true;
  click(modal.editSwitch());
  EXPECT_FALSE(h->isEditingPositions);
  EXPECT_TRUE(h->showSettings);
  click(modal.editSwitch());
  EXPECT_TRUE(h->isEditingPositions);
  EXPECT_FALSE(h->showSettings);
  EXPECT_TRUE(modal.editSwitch().isOn());

  // Every way of closing springs with 0.24 / 1.0.
  for (const auto& [target, at] : {std::pair<QWidget*, QPointF>{&modal.closeButton(), {-1, -1}},
                                   {&modal.doneButton(), {-1, -1}},
                                   {&modal, {10, 10}}}) {
    h->showSettings = true;
    click(*target, at);
    EXPECT_FALSE(h->showSettings);
  }
  for (const Transaction& t : changes.of("showSettings"))
    if (!t.animation.isNone()) {
      EXPECT_EQ(t.animation, QuickSettingsModalView::closeAnimation());
    }
  EXPECT_EQ(changes.of("showSettings").size(), 7u);
}

TEST(QuickSettingsModalTest, LaunchAtLoginShowsTheStoresValueAlsoWhenTheChangeFails) {
  ModalHarness h;
  auto& loginItems = *h.platform.loginItems;
  QuickSettingsModalView modal(*h, &h.host, {}, h.driver);
  h->showSettings = true;
  GlassSwitch& toggle = modal.launchAtLoginRow().toggle();
  EXPECT_FALSE(toggle.isOn());

  // The service refuses and the launch agent cannot be written: the switch stays off.
  loginItems.refusesRegistration = true;
  const auto home = h.platform.userDatabase->home;
  h.platform.userDatabase->home = h.realHome.write("not-a-folder", "").string();
  click(toggle);
  h.platform.userDatabase->home = home;
  EXPECT_FALSE(h->isLaunchAtLoginEnabled);
  EXPECT_FALSE(toggle.isOn());
  EXPECT_EQ(h->statusToast.get(), "开机自启动开启失败，请确认应用位置与权限");
  EXPECT_EQ(modal.launchAtLoginRow().content().badge->text, "未开启");

  // Twenty toggles in a second leave the login item as the switch shows it.
  loginItems.refusesRegistration = false;
  for (int i = 0; i < 20; ++i) {
    i % 2 ? QTest::keyClick(&toggle, Qt::Key_Space) : click(toggle);
    h.platform.scheduler->advance(0.05);
    EXPECT_EQ(toggle.isOn(), h->isLaunchAtLoginEnabled.get());
  }
  for (const bool last : {false, true}) {
    if (last) click(toggle);
    const bool registered = loginItems.state == LoginItemStatus::enabled;
    EXPECT_EQ(toggle.isOn(), registered);
    EXPECT_EQ(modal.launchAtLoginRow().content().badge->text, registered ? "已开启" : "未开启");
  }
}

TEST(QuickSettingsModalTest, PermissionsButtonLeavesSettingsClosedAndOnboardingOpen) {
  ModalHarness h;
  h->completeOnboarding();
  OnboardingModalView onboarding(*h, &h.host, h.driver);
  int quits = 0;
  QuickSettingsModalView settings(
      *h, &h.host, [&] { ++quits; }, h.driver);
  h->showSettings = true;
  click(settings.permissionsButton());
  EXPECT_FALSE(h->showSettings);
  EXPECT_TRUE(h->showOnboarding);
  EXPECT_FALSE(settings.isPresented());
  EXPECT_TRUE(onboarding.isPresented());
  h->showSettings = true;
  click(settings.quitButton());
  EXPECT_EQ(quits, 1);
}

TEST(GlassControlsTest, ReachableWithTabOperableWithKeysAndNamedForAssistiveTechnology) {
  ModalHarness h;
  QuickSettingsModalView modal(*h, &h.host, {}, h.driver);
  h->showSettings = true;
  h.settle();
  modal.closeButton().setFocus(Qt::TabFocusReason);
  std::vector<QWidget*> reached{QApplication::focusWidget()};
  for (int i = 0; i < 7; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    reached.push_back(QApplication::focusWidget());
  }
  const std::vector<QWidget*> expected{
      &modal.closeButton(),  &modal.editSwitch(),        &modal.launchAtLoginRow().toggle(),
      &modal.rescanButton(), &modal.permissionsButton(), &modal.quitButton(),
      &modal.doneButton(),   &modal.closeButton()};
  EXPECT_EQ(reached, expected);

  QAccessibleInterface* edit = QAccessible::queryAccessibleInterface(&modal.editSwitch());
  EXPECT_EQ(edit->role(), QAccessible::CheckBox);
  EXPECT_EQ(edit->text(QAccessible::Name), "图标位置编辑模式 (抖动排序)");
  EXPECT_FALSE(edit->state().checked);
  QTest::keyClick(&modal.editSwitch(), Qt::Key_Return);
  EXPECT_TRUE(h->isEditingPositions);
  EXPECT_TRUE(edit->state().checked);

  h->showSettings = true;
  QAccessibleInterface* rescan = QAccessible::queryAccessibleInterface(&modal.rescanButton());
  EXPECT_EQ(rescan->role(), QAccessible::Button);
  EXPECT_EQ(rescan->text(QAccessible::Name), "重新扫描应用");
  rescan->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_TRUE(h->statusToast.get()) << "the rescan reports its result";
  QTest::keyClick(&modal.doneButton(), Qt::Key_Space);
  EXPECT_FALSE(h->showSettings);
}

}  // namespace
}  // namespace calyxa
