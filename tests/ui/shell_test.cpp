#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QNativeGestureEvent>
#include <QTimer>
#include <QWheelEvent>

#include "editing/arrangement_checks.h"
#include "platform/qt/qt_folder_chooser.h"
#include "shell/app_delegate.h"
#include "shell/launch_arguments.h"
#include "shell/session_bus.h"
#include "shell/status_item.h"
#include "support/transaction_recorder.h"

namespace calyxa {
namespace {

using namespace calyxa::testing;

// The delegate started on fakes and the manual scheduler, the overlay shown.
struct Launcher {
  TestStore store;
  std::shared_ptr<MultitouchPinchMonitor> monitor;
  SystemGestureConflictResolver resolver;
  std::optional<int> exitStatus;
  std::unique_ptr<AppDelegate> delegate;

  explicit Launcher(std::vector<std::string> arguments = {"Calyxa"}, bool onboarding = false)
      : monitor(MultitouchPinchMonitor::make(store.platform.services())),
        resolver(store.platform.services()) {
    store.platform.processInfo->commandLine = std::move(arguments);
    store->showOnboarding = onboarding;
    delegate = std::make_unique<AppDelegate>(
        AppDelegate::Dependencies{*store, *monitor, resolver, store.platform.services(), nullptr,
                                  nullptr, [this](int status) { exitStatus = status; }});
    delegate->applicationDidFinishLaunching();
    settle();
  }

  TilewellOverlayWindow& window() { return *delegate->overlayWindow(); }
  ManualScheduler& time() { return *store.platform.scheduler; }
  void settle() { time().advance(0.5); }
  // A key press as the window system delivers it; `native`: the X11 modifier state.
  void key(int qtKey, Qt::KeyboardModifiers modifiers = {}, const QString& text = {},
           quint32 native = 0) {
    QKeyEvent event(QEvent::KeyPress, qtKey, modifiers, 0, 0, native, text);
    QApplication::sendEvent(&window(), &event);
  }
  void type(const QString& text) {
    for (const QChar c : text)
      key(c.isLetter() ? Qt::Key_A + (c.toLower().unicode() - u'a') : c.unicode(), {}, c);
  }
  std::string search() { return store->searchText.get(); }
};

TEST(OverlayKeysTest, EscapeUndoesOneThingAtATimeThenHides) {
  Launcher launcher;
  arrange(launcher.store, "a b *[Pair: c d]");
  TilewellStore& store = *launcher.store;
  store.showSettings = true;
  store.searchText = std::string("c");
  store.isEditingPositions = true;
  TransactionRecorder recorder(store.changes);
  // What each press leaves: settings, folder, search, edit mode, visible.
  const std::tuple<bool, bool, std::string, bool, bool> after[] = {
      {false, true, "c", true, true},   {false, false, "c", true, true},
      {false, false, "", true, true},   {false, false, "", false, true},
      {false, false, "", false, false},
  };
  for (const auto& [settings, folder, search, editing, visible] : after) {
    launcher.key(Qt::Key_Escape);
    EXPECT_EQ(store.showSettings.get(), settings);
    EXPECT_EQ(store.activeFolder->has_value(), folder);
    EXPECT_EQ(launcher.search(), search);
    EXPECT_EQ(store.isEditingPositions.get(), editing);
    EXPECT_EQ(launcher.delegate->isTilewellVisible(), visible);
  }
  EXPECT_EQ(recorder.of("showSettings").at(0).animation, Animation::spring(0.24, 1.0));
  EXPECT_EQ(recorder.of("activeFolder").at(0).animation, Animation::spring(0.25, 1.0));
  EXPECT_TRUE(launcher.window().isVisible()) << "fading out";
  launcher.time().advance(AppDelegate::kFadeOutDuration);
  EXPECT_FALSE(launcher.window().isVisible());
}

TEST(OverlayKeysTest, ArrowsMoveTheSelectionAndWithAltTurnPagesWithinTheRange) {
  Launcher launcher;
  arrange(launcher.store, manyApps(40));
  TilewellStore& store = *launcher.store;
  // Key, with Alt, then the page and the selection ("" for none) after the press.
  const std::tuple<int, bool, int, std::string> presses[] = {
      {Qt::Key_Left, true, 0, ""},        {Qt::Key_Up, true, 0, ""},
      {Qt::Key_Right, true, 1, ""},       {Qt::Key_Down, true, 1, ""},
      {Qt::Key_Up, true, 0, ""},          {Qt::Key_Down, true, 1, ""},
      {Qt::Key_Right, false, 1, "app35"}, {Qt::Key_Right, false, 1, "app36"},
      {Qt::Key_Left, false, 1, "app35"},  {Qt::Key_Left, false, 0, "app34"},
      {Qt::Key_Up, false, 0, "app27"},    {Qt::Key_Down, false, 0, "app34"},
  };
  for (const auto& [key, alt, page, selected] : presses) {
    launcher.key(key, alt ? Qt::AltModifier : Qt::NoModifier);
    launcher.settle();
    EXPECT_EQ(store.pager.currentPage.get(), page) << key << " alt " << alt;
    EXPECT_EQ(store.selectedItemID->value_or("/Applications/.app"),
              "/Applications/" + selected + ".app");
  }
}

TEST(OverlayKeysTest, ReturnLaunchesTheSelectionAndTheDismissalRunsTheEscapeChain) {
  Launcher launcher;
  arrange(launcher.store, "alpha beta [Pair: c d]");
  TilewellStore& store = *launcher.store;
  const auto& opened = launcher.store.platform.workspace->opened;

  launcher.key(Qt::Key_Return);
  EXPECT_TRUE(opened.empty()) << "no search, no selection";

  launcher.type("bet");
  launcher.key(Qt::Key_Return);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].path, "/Applications/beta.app");
  launcher.time().advance(TilewellStore::kLaunchDismissDelay);
  EXPECT_EQ(launcher.search(), "") << "the dismissal clears the search first";
  EXPECT_TRUE(launcher.delegate->isTilewellVisible());

  store.selectedItemID = std::string("Pair");
  TransactionRecorder recorder(store.changes);
  launcher.key(Qt::Key_Enter);  // the keypad's Enter
  EXPECT_EQ(store.activeFolder->value().id, "Pair");
  EXPECT_EQ(recorder.of("activeFolder").at(0).animation, Animation::spring(0.28, 0.95));
  launcher.key(Qt::Key_Escape);

  store.selectedItemID = std::string("/Applications/alpha.app");
  launcher.key(Qt::Key_Return);
  launcher.time().advance(TilewellStore::kLaunchDismissDelay);
  EXPECT_EQ(opened.back().path, "/Applications/alpha.app");
  EXPECT_FALSE(launcher.delegate->isTilewellVisible()) << "nothing left to undo: it hides";
}

TEST(OverlayKeysTest, TypingDeletingEditingShortcutsAndInputMethodText) {
  Launcher launcher;
  TilewellOverlayWindow& window = launcher.window();
  // Key, modifiers, text, X11 modifier state, then the search after the press.
  const std::tuple<int, Qt::KeyboardModifiers, QString, quint32, std::string> steps[] = {
      {Qt::Key_A, {}, "a", 0, "a"},
      {Qt::Key_A, Qt::ShiftModifier, "A", 0, "aA"},
      {Qt::Key_A, {}, "A", kNativeLockMask, "aA"},  // Caps Lock counts as a modifier
      {Qt::Key_A, Qt::AltModifier, "a", 0, "aA"},
      {Qt::Key_A, Qt::MetaModifier, "a", 0, "aA"},
      {Qt::Key_Space, {}, " ", 0, "aA "},
      {Qt::Key_Tab, {}, "\t", 0, "aA "},
      {Qt::Key_F5, {}, {}, 0, "aA "},
      {Qt::Key_Backspace, {}, "\b", 0, "aA"},
      {Qt::Key_X, Qt::ControlModifier, "\x18", 0, ""},  // cut
      {Qt::Key_V, Qt::ControlModifier, "\x16", 0, "aA"},
      {Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier, "\x16", 0, "aAaA"},
      {Qt::Key_V, Qt::ControlModifier | Qt::AltModifier, "\x16", 0, "aAaA"},
      {Qt::Key_A, Qt::ControlModifier, "\x01", 0, "aAaA"},  // no field to select in
  };
  for (const auto& [key, modifiers, text, native, search] : steps) {
    launcher.key(key, modifiers, text, native);
    EXPECT_EQ(launcher.search(), search) << key << " " << modifiers;
  }
  EXPECT_EQ(QApplication::clipboard()->text(), "aA");

  QInputMethodEvent composing(QStringLiteral("wei"), {});
  QApplication::sendEvent(&window, &composing);
  EXPECT_EQ(window.preeditText(), "wei");
  EXPECT_EQ(launcher.search(), "aAaA") << "the pre-edit is not searched for yet";
  QInputMethodEvent committed;
  committed.setCommitString(QStringLiteral("微信"));
  QApplication::sendEvent(&window, &committed);
  EXPECT_EQ(launcher.search(), "aAaA微信");
  EXPECT_EQ(window.preeditText(), "");
  launcher.key(Qt::Key_Backspace, {}, "\b");
  EXPECT_EQ(launcher.search(), "aAaA微") << "a whole character goes";

  arrange(launcher.store, "[Pair: c d]");
  launcher.store->activeFolder = *launcher.store->items->front().asFolder();
  launcher.key(Qt::Key_B, {}, "b");
  EXPECT_EQ(launcher.search(), "aAaA微") << "an open folder takes its own keys";
}

TEST(OverlayShowHideTest, ShowingHidingAndTheirOverlaps) {
  Launcher launcher;
  AppDelegate& delegate = *launcher.delegate;
  TilewellStore& store = *launcher.store;
  ASSERT_TRUE(delegate.isTilewellVisible()) << "a user's launch shows the overlay";
  TransactionRecorder recorder(store.changes);

  delegate.showTilewell(true);  // shown already: no second entrance
  EXPECT_TRUE(recorder.of("isPresented").at(0).animation.isNone());

  arrange(launcher.store, "a b [Pair: c d]");
  store.searchText = std::string("a");
  store.activeFolder = *store.items->back().asFolder();
  store.isEditingPositions = true;
  store.showSettings = true;
  store.selectedItemID = std::string("/Applications/a.app");
  recorder.clear();
  delegate.hideTilewell(true);
  EXPECT_EQ(recorder.of("isPresented").at(0).animation, Animation::easeOut(0.2));
  EXPECT_FALSE(store.isEditingPositions.get() || store.showSettings.get() ||
               store.selectedItemID->has_value());
  EXPECT_EQ(launcher.search(), "a") << "search and folder stay for the next showing";
  EXPECT_TRUE(store.activeFolder->has_value());

  launcher.time().advance(0.1);
  recorder.clear();
  delegate.showTilewell(true);  // during the fade-out
  ASSERT_EQ(recorder.of("isPresented").size(), 2u);
  EXPECT_TRUE(recorder.of("isPresented")[0].disablesAnimations);
  EXPECT_EQ(recorder.of("isPresented")[1].animation, Animation::spring(0.42, 0.82));
  launcher.settle();
  EXPECT_TRUE(launcher.window().isVisible()) << "the fade-out's end must not take it away";
  EXPECT_TRUE(store.isPresented.get());

  delegate.hideTilewell(false);
  EXPECT_FALSE(launcher.window().isVisible());
  EXPECT_FALSE(store.isPresented.get());
  delegate.hideTilewell(true);  // hidden already: nothing
  EXPECT_FALSE(delegate.isTilewellVisible());

  // The gesture slots: pinch in shows, pinch out hides, the toggle flips.
  using M = MultitouchPinchMonitor;
  const std::pair<std::function<void()> M::*, bool> slots[] = {
      {&M::onPinchOut, false}, {&M::onGestureRelease, false}, {&M::onPinchIn, true},
      {&M::onPinchIn, true},   {&M::onToggleTilewell, false}, {&M::onToggleTilewell, true},
      {&M::onPinchOut, false}};
  for (const auto& [slot, visible] : slots) {
    ((*launcher.monitor).*slot)();
    EXPECT_EQ(delegate.isTilewellVisible(), visible);
  }
}

TEST(OverlayShowHideTest, PinchZoomAndHotKeysReachTheGestureMonitorFromTheOverlay) {
  Launcher launcher;
  launcher.time().advance(1.0);  // clear of the magnify cooldown
  const auto zoom = [&](Qt::NativeGestureType type, double value) {
    QNativeGestureEvent event(type, QPointingDevice::primaryPointingDevice(), 2, QPointF(5, 5),
                              QPointF(5, 5), QPointF(5, 5), value, QPointF());
    QApplication::sendEvent(&launcher.window(), &event);
  };
  zoom(Qt::BeginNativeGesture, 0);
  for (int i = 0; i < 3; ++i)
    zoom(Qt::ZoomNativeGesture, 0.1);  // fingers spreading: past +0.25
  launcher.time().runReady();
  EXPECT_FALSE(launcher.delegate->isTilewellVisible()) << "a spread closes the overlay";

  launcher.delegate->showTilewell(false);
  launcher.key(Qt::Key_F4);
  launcher.time().runReady();
  EXPECT_FALSE(launcher.delegate->isTilewellVisible()) << "F4 in the overlay toggles it";
  launcher.delegate->showTilewell(false);
  launcher.key(Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier, "\x0c");
  launcher.time().runReady();
  EXPECT_FALSE(launcher.delegate->isTilewellVisible()) << "so does Ctrl+Shift+L";
}

TEST(StartUpTest, TheFolderChooserAsksWithTheTextsAndAnswersASystemPath) {
  TempDir root;
  std::filesystem::create_directories(root.path() / "Applications/Games");
  QtFolderChooser chooser(SystemRoot(root.path()), [] { return nullptr; });
  const FolderChooserRequest request{.title = "授权读取",
                                     .message = "请选择文件夹",
                                     .confirmButtonText = "授权访问",
                                     .startDirectory = "/Applications"};
  QStringList seen;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    seen << dialog->windowTitle() << dialog->labelText(QFileDialog::Accept)
         << dialog->directory().absolutePath();
    for (auto* label : dialog->findChildren<QLabel*>()) {
      if (label->text() == "请选择文件夹") seen << label->text();
    }
    dialog->selectFile(QString::fromStdString((root.path() / "Applications/Games").string()));
    static_cast<QDialog*>(dialog)->accept();
  });
  EXPECT_EQ(chooser.chooseFolder(request), "/Applications/Games");
  EXPECT_EQ(seen, QStringList({"授权读取", "授权访问",
                               QString::fromStdString((root.path() / "Applications").string()),
                               "请选择文件夹"}));
}

TEST(StartUpTest, LoginLaunchesStayQuietOnceOnboardingIsDone) {
  const std::tuple<std::vector<std::string>, bool, bool> cases[] = {
      {{"Calyxa"}, false, true},
      {{"Calyxa"}, true, true},
      {{"Calyxa", "--launched-at-login"}, false, false},
      {{"Calyxa", "--launched-at-login"}, true, true},
  };
  for (const auto& [arguments, onboarding, shown] : cases)
    EXPECT_EQ(AppDelegate::shouldShowAtLaunch(arguments, onboarding), shown);
  Launcher quiet({"Calyxa", "--launched-at-login"});
  EXPECT_FALSE(quiet.delegate->isTilewellVisible());
  EXPECT_FALSE(quiet.window().isVisible());
  EXPECT_TRUE(quiet.resolver.hasTakenOverSystemGestures()) << "gestures switched off at start";
  EXPECT_EQ(quiet.delegate->statusItem()->trayIcon().toolTip(), "Calyxa Grid 启动台");
  const QImage glyph = StatusItem::gridIcon().pixmap(QSize(64, 64)).toImage();
  std::filesystem::create_directories(CALYXA_RENDER_DIR);
  glyph.save(CALYXA_RENDER_DIR "/tray-icon.png");
  EXPECT_GT(qAlpha(glyph.pixel(32, 32)), 200) << "the grid's middle dot";
  EXPECT_EQ(qAlpha(glyph.pixel(24, 24)), 0) << "between the dots";
  Launcher guided({"Calyxa", "--launched-at-login"}, /*onboarding=*/true);
  EXPECT_TRUE(guided.delegate->isTilewellVisible());

  const std::pair<std::vector<std::string>, bool> lines[] = {
      {{}, true},           {{"--launched-at-login"}, true}, {{"--toggle"}, true},
      {{"--hide"}, true},   {{"--show", "--hide"}, false},   {{"--frobnicate"}, false},
      {{"-toggle"}, false},
  };
  for (const auto& [line, valid] : lines)
    EXPECT_EQ(parseLaunchArguments(line).has_value(), valid) << line.size();
}

TEST(StatusMenuTest, TitlesShortcutsAndEveryActionsEffect) {
  Launcher launcher({"Calyxa", "--launched-at-login"});
  TilewellStore& store = *launcher.store;
  QMenu& menu = launcher.delegate->statusItem()->menu();
  std::vector<QAction*> items;
  QStringList titles, shortcuts;
  for (QAction* action : menu.actions()) {
    titles << (action->isSeparator() ? QStringLiteral("-") : action->text());
    shortcuts << action->shortcut().toString();
    if (!action->isSeparator()) items.push_back(action);
  }
  EXPECT_EQ(titles, QStringList({"打开 / 关闭全屏启动台 (四指收拢 / F4)", "开机自动启动", "-",
                                 "一键禁用系统原生启动台(防止四指冲突)", "恢复系统原生启动台手势",
                                 "-", "打开设置与开机自启面板...", "使用引导与系统权限配置...",
                                 "进入位置编辑模式 (抖动排序)", "重新扫描所有应用", "-",
                                 "退出 Calyxa Grid"}));
  EXPECT_EQ(shortcuts,
            QStringList({"", "", "", "", "", "", "Ctrl+,", "", "Ctrl+E", "Ctrl+R", "", "Ctrl+Q"}));

  launcher.store.platform.loginItems->state = LoginItemStatus::enabled;
  Q_EMIT menu.aboutToShow();
  EXPECT_TRUE(items[1]->isChecked()) << "the check mark is read as the menu opens";
  launcher.store.platform.loginItems->state = LoginItemStatus::notRegistered;

  const auto toast = [&] {
    const std::string shown = store.statusToast->value_or("");
    store.statusToast = std::nullopt;
    return shown;
  };
  items[0]->trigger();
  EXPECT_TRUE(launcher.delegate->isTilewellVisible());
  items[0]->trigger();
  EXPECT_FALSE(launcher.delegate->isTilewellVisible());
  items[1]->trigger();
  EXPECT_TRUE(store.isLaunchAtLoginEnabled.get());
  EXPECT_FALSE(toast().empty());
  items[2]->trigger();  // the gestures are already off since start-up
  EXPECT_EQ(toast(), "已禁用系统原生四指/五指捏合，手势由 Calyxa Grid 独占！");
  EXPECT_TRUE(launcher.resolver.hasTakenOverSystemGestures());
  // A domain that cannot be written back keeps the snapshot, and the toast says so.
  const auto domains = *launcher.store.platform.home / ".config/calyxa/Preferences";
  const auto dock = domains / "com.apple.dock.plist";
  std::filesystem::rename(dock, domains / "aside");
  std::filesystem::create_directory(dock);
  items[3]->trigger();
  EXPECT_EQ(toast(), "系统原生手势恢复失败，已保留原设置快照，请稍后重试");
  EXPECT_TRUE(launcher.resolver.hasTakenOverSystemGestures());
  std::filesystem::remove(dock);
  std::filesystem::rename(domains / "aside", dock);
  items[3]->trigger();
  EXPECT_EQ(toast(), "已恢复系统原生手势设置");
  EXPECT_FALSE(launcher.resolver.hasTakenOverSystemGestures());
  EXPECT_EQ(launcher.store.platform.systemSettings->calls.back(), "restartDock");

  TransactionRecorder recorder(store.changes);
  items[4]->trigger();
  EXPECT_TRUE(launcher.delegate->isTilewellVisible() && store.showSettings.get());
  EXPECT_EQ(recorder.of("showSettings").back().animation, Animation::spring(0.28, 1.0));
  launcher.delegate->hideTilewell(false);
  items[5]->trigger();
  EXPECT_TRUE(launcher.delegate->isTilewellVisible() && store.showOnboarding.get());
  items[6]->trigger();
  EXPECT_TRUE(store.isEditingPositions.get());
  items[6]->trigger();
  EXPECT_FALSE(store.isEditingPositions.get()) << "chosen again, it leaves edit mode";
  launcher.delegate->hideTilewell(false);
  items[7]->trigger();
  EXPECT_FALSE(toast().empty()) << "the rescan reports its count";
  EXPECT_TRUE(launcher.delegate->isTilewellVisible());

  arrange(launcher.store, "a b");
  TilewellStoreInspector::scheduleDebouncedSave(store);
  launcher.resolver.disableConflictingGestures(false);
  items[8]->trigger();
  EXPECT_EQ(launcher.exitStatus, 0);
  EXPECT_FALSE(launcher.resolver.hasTakenOverSystemGestures()) << "quitting gives them back";
  EXPECT_FALSE(store.hasPendingSave()) << "and writes the last edit at once";
  EXPECT_TRUE(std::filesystem::exists(store.layoutFile()));
}

ScrollEvent scroll(int phase, double dx, bool precise = true, int momentum = 0) {
  return ScrollEvent{phase, momentum, dx, 0.0, precise};
}

TEST(ScrollPagingTest, FlicksRestingFingersTimeLimitsWheelBurstsAndMomentum) {
  Launcher launcher;
  arrange(launcher.store, manyApps(80));  // three pages
  ScrollPaging& paging = *launcher.delegate->scrollPaging();
  ManualScheduler& time = launcher.time();
  const double perEvent = 30.0 / ScrollPaging::kPreciseScale;

  // A quick flick: 10 ms apart, 30 points an event.
  const auto flick = [&] {
    paging.processTrackpadScroll(scroll(ScrollEvent::kPhaseBegan, 0));
    for (int i = 0; i < 5; ++i) {
      time.advance(0.01);
      paging.processTrackpadScroll(scroll(ScrollEvent::kPhaseChanged, -perEvent));
    }
  };
  flick();
  paging.processTrackpadScroll(scroll(ScrollEvent::kPhaseEnded, 0));
  EXPECT_NEAR(*paging.lastReleaseVelocity(), -3000.0, 15.0);
  launcher.settle();
  EXPECT_EQ(launcher.store.pager.currentPage.get(), 1);

  // The same, resting 0.1 s before lifting: a fifth.
  flick();
  const double quick = paging.currentVelocityX();
  time.advance(0.1);
  paging.processTrackpadScroll(scroll(ScrollEvent::kPhaseEnded, 0));
  EXPECT_DOUBLE_EQ(*paging.lastReleaseVelocity(), quick * 0.2);
  EXPECT_EQ(paging.currentVelocityX(), 0.0);

  // Two events in one instant use 3 ms; a long pause 80 ms. The first starts a drag by itself.
  paging.processTrackpadScroll(scroll(ScrollEvent::kPhaseChanged, 10));
  EXPECT_DOUBLE_EQ(paging.currentVelocityX(), 0.7 * 18.5 / 0.003);
  time.advance(1.0);
  const double before = paging.currentVelocityX();
  paging.processTrackpadScroll(scroll(ScrollEvent::kPhaseChanged, 10));
  EXPECT_DOUBLE_EQ(paging.currentVelocityX(), before * 0.3 + 0.7 * 18.5 / 0.08);
  paging.processTrackpadScroll(scroll(ScrollEvent::kPhaseCancelled, 0));
  EXPECT_FALSE(paging.isInteractiveDragging());
  launcher.settle();

  // Momentum after the fingers lift moves nothing.
  const int page = launcher.store.pager.currentPage;
  const double offset = launcher.store.pager.dragOffsetX;
  paging.processTrackpadScroll(scroll(ScrollEvent::kPhaseChanged, -50, true, 4));
  paging.processTrackpadScroll(scroll(ScrollEvent::kPhaseEnded, 0, true, 8));
  EXPECT_EQ(launcher.store.pager.currentPage.get(), page);
  EXPECT_EQ(launcher.store.pager.dragOffsetX.get(), offset);

  // A notched wheel: one page a 0.34 s burst, never past either end.
  launcher.store.pager.switchPageAnimated(0);
  const std::pair<double, int> notches[] = {{-1, 1}, {-1, 1}, {-3, 1}, {1, 1}};
  for (const auto& [delta, expected] : notches) {
    paging.processTrackpadScroll(scroll(ScrollEvent::kPhaseNone, delta, false));
    time.advance(0.05);
    EXPECT_EQ(launcher.store.pager.currentPage.get(), expected);
  }
  const std::pair<double, int> bursts[] = {{-1, 2}, {-1, 2}, {1, 1}, {1, 0}, {1, 0}, {0.05, 0}};
  for (const auto& [delta, expected] : bursts) {
    time.advance(0.35);
    paging.processTrackpadScroll(scroll(ScrollEvent::kPhaseNone, delta, false));
    EXPECT_EQ(launcher.store.pager.currentPage.get(), expected) << delta;
  }
}

TEST(ScrollPagingTest, QtWheelEventsPhaselessTouchpadsAndOpenFolders) {
  Launcher launcher;
  arrange(launcher.store, manyApps(80));
  const auto wheel = [&](QPoint pixels, QPoint angle, Qt::ScrollPhase phase) {
    QWheelEvent event(QPointF(10, 10), QPointF(10, 10), pixels, angle, Qt::NoButton, {}, phase,
                      false);
    QApplication::sendEvent(&launcher.window(), &event);
    return scrollEventFromQt(event);
  };
  const auto notch = wheel({}, {0, -120}, Qt::NoScrollPhase);
  EXPECT_FALSE(notch.precise);
  EXPECT_EQ(notch.deltaY, -1.0);
  EXPECT_EQ(launcher.store.pager.currentPage.get(), 1);
  const auto momentum = wheel({-20, 0}, {-160, 0}, Qt::ScrollMomentum);
  EXPECT_NE(momentum.momentumPhase, 0);

  // X11 touchpads: smooth scrolling without phases, in fractions of a notch.
  ScrollPaging& paging = *launcher.delegate->scrollPaging();
  const auto smooth = wheel({}, {-40, 0}, Qt::NoScrollPhase);
  EXPECT_TRUE(smooth.precise);
  EXPECT_EQ(smooth.deltaX, -5.0);
  EXPECT_TRUE(paging.isInteractiveDragging());
  launcher.time().advance(0.05);
  wheel({}, {-40, 0}, Qt::NoScrollPhase);
  launcher.time().advance(0.09);
  EXPECT_TRUE(paging.isInteractiveDragging()) << "events keep it going";
  launcher.time().advance(0.02);
  EXPECT_FALSE(paging.isInteractiveDragging()) << "0.1 s without one ends it";

  launcher.store->activeFolder = LaunchFolder("F", "F", {});
  const int page = launcher.store.pager.currentPage;
  launcher.time().advance(1.0);
  wheel({}, {0, -120}, Qt::NoScrollPhase);
  EXPECT_EQ(launcher.store.pager.currentPage.get(), page) << "the folder scrolls instead";
}

TEST(ScreensTest, ChoosingTheScreenAndTheTopInset) {
  const std::vector<QRect> screens = {{0, 0, 1920, 1080}, {1920, 0, 1280, 800}};
  using P = std::optional<QPoint>;
  const std::tuple<P, P, int, int> cases[] = {
      {QPoint(2000, 10), QPoint(10, 10), 0, 1},  // the pointer wins
      {QPoint(1920, 0), std::nullopt, 0, 1},     // on the boundary: the first that holds it
      {QPoint(1919, 0), std::nullopt, 1, 0},
      {std::nullopt, QPoint(2500, 400), 0, 1},    // then the active window
      {QPoint(-50, -50), QPoint(9000, 0), 1, 1},  // then the primary
      {std::nullopt, std::nullopt, 7, 0},         // then the first
  };
  for (const auto& [pointer, window, primary, expected] : cases)
    EXPECT_EQ(AppDelegate::chooseScreen(screens, pointer, window, primary), expected);
  EXPECT_EQ(AppDelegate::chooseScreen({}, QPoint(0, 0), std::nullopt, 0), -1);

  // A screen that goes away while the overlay is shown: it covers a screen that is there.
  Launcher launcher;
  launcher.delegate->showTilewell(false);
  launcher.window().setGeometry(5000, 5000, 800, 600);
  Q_EMIT qApp->screenRemoved(nullptr);
  launcher.time().runReady();
  EXPECT_EQ(launcher.window().geometry(), QGuiApplication::primaryScreen()->geometry());
  EXPECT_EQ(topNotchHeight({0, 0, 1440, 900}, {0, 24, 1440, 876}), 0.0);
  EXPECT_EQ(topNotchHeight({0, 0, 1440, 900}, {0, 37, 1440, 863}), 37.0);
}

TEST(SingleInstanceTest, OnlyAProcessIdOfAnotherInstanceCounts) {
  const QString own = QStringLiteral("4242");
  const std::pair<QList<QVariant>, bool> signals[] = {{{QStringLiteral("4243")}, true},
                                                      {{own}, false},
                                                      {{}, false},
                                                      {{4243}, false},
                                                      {{QStringLiteral("abc")}, false},
                                                      {{QStringLiteral("-5")}, false},
                                                      {{QStringLiteral("0")}, false},
                                                      {{QStringLiteral("12 ")}, false}};
  for (const auto& [arguments, replaces] : signals)
    EXPECT_EQ(ReplaceInstanceListener::announcesOtherInstance(arguments, own), replaces);
}

}  // namespace
}  // namespace calyxa
