#include "shell/app_delegate.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>
#include <QVariantAnimation>
#include <algorithm>

#include "platform/qt/x11_desktop.h"
#include "shell/status_item.h"
#include "views/effects/visual_effect_view.h"

namespace calyxa {
namespace {

constexpr double kMinimumTopInset = 30.0;

}  // namespace

AppDelegate::AppDelegate(Dependencies dependencies) : deps_(std::move(dependencies)) {}

AppDelegate::~AppDelegate() {
  MultitouchPinchMonitor& monitor = deps_.monitor;
  monitor.onPinchIn = nullptr;
  monitor.onPinchOut = nullptr;
  monitor.onGestureRelease = nullptr;
  monitor.onToggleTilewell = nullptr;
  if (fade_) fade_->stop();
}

void AppDelegate::applicationDidFinishLaunching(bool forceShow) {
  // One launcher a session: the newest.
  if (deps_.instances) {
    deps_.instances->replaceOlderInstances();
    deps_.instances->announce();
    deps_.instances->listen([this, alive = lifetime_.watch()] {
      if (!alive.expired()) terminate();
    });
  }
  deps_.resolver.disableConflictingGestures(/*restartDock=*/false);
  statusItem_ = std::make_unique<StatusItem>(*this, deps_.store);
  setupFullScreenTilewellWindow();
  setupUniversalScrollMonitors();
  installGestureCallbacks();
  deps_.monitor.startMonitoring();

  QObject::connect(qApp, &QGuiApplication::applicationStateChanged, overlayWindow_.get(),
                   [this](Qt::ApplicationState state) {
                     if (state == Qt::ApplicationActive) applicationDidBecomeActive();
                   });
  QObject::connect(qApp, &QGuiApplication::screenRemoved, overlayWindow_.get(),
                   [this](QScreen* screen) { screenRemoved(screen); });

  const auto arguments = deps_.services.processInfo->arguments();
  if (forceShow || shouldShowAtLaunch(arguments, deps_.store.showOnboarding)) showTilewell(true);
}

bool AppDelegate::shouldShowAtLaunch(const std::vector<std::string>& arguments,
                                     bool showOnboarding) {
  const bool loginLaunch =
      std::find(arguments.begin(), arguments.end(), kLaunchedAtLoginArgument) != arguments.end();
  // A login launch stays quiet once the first-run guide is done.
  return !loginLaunch || showOnboarding;
}

void AppDelegate::terminate() {
  if (terminated_) return;
  terminated_ = true;
  deps_.resolver.restoreOriginalGestures(/*restartDock=*/false);
  deps_.store.flushPendingSave();
  if (deps_.exitEventLoop) deps_.exitEventLoop(0);
}

void AppDelegate::applicationDidBecomeActive() {
  deps_.store.refreshPermissionStates();
  deps_.store.refreshLaunchAtLoginState();
}

// --- The overlay ---------------------------------------------------------------------------

void AppDelegate::setupFullScreenTilewellWindow() {
  overlayWindow_ = std::make_unique<TilewellOverlayWindow>(resolveActiveScreen(), deps_.store,
                                                           deps_.services.eventMonitors);
  TilewellOverlayWindow& window = *overlayWindow_;
  const LifetimeToken::Watch alive = lifetime_.watch();
  window.onEscapeOrDismiss = [this, alive] {
    if (!alive.expired()) escapeOrDismiss();
  };
  window.onHorizontalSwipe = [this, alive](int delta) {
    if (alive.expired()) return;
    const int last = deps_.store.pageCount() - 1;
    const int target = std::max(std::min(deps_.store.pager.currentPage + delta, last), 0);
    deps_.store.pager.switchPageAnimated(target, 1100.0);
  };
  window.onMoveSelection = [this, alive](int dx, int dy) {
    if (alive.expired()) return;
    withAnimation(Animation::spring(0.26, 0.84), [&] { deps_.store.moveSelection(dx, dy); });
  };

  auto* layout = new QVBoxLayout(&window);
  layout->setContentsMargins(0, 0, 0, 0);
  if (deps_.makeRootView) {
    hostingView_ = deps_.makeRootView(
        deps_.store,
        [this, alive] {
          if (!alive.expired()) hideTilewell(true);
        },
        &window);
  }
  if (!hostingView_) hostingView_ = new QWidget(&window);
  layout->addWidget(hostingView_);
  // A root view with a field for the keyboard (the search) takes the window's focus.
  if (hostingView_->focusProxy()) window.setFocusProxy(hostingView_);
  if (onOverlayCreated) onOverlayCreated(window);
}

void AppDelegate::escapeOrDismiss() {
  TilewellStore& store = deps_.store;
  if (store.showSettings) {
    withAnimation(Animation::spring(0.24, 1.0), [&] { store.showSettings = false; });
  } else if (store.activeFolder->has_value()) {
    withAnimation(Animation::spring(0.25, 1.0), [&] { store.activeFolder = std::nullopt; });
  } else if (!store.searchText->empty()) {
    store.searchText = std::string();
  } else if (store.isEditingPositions) {
    store.isEditingPositions = false;
  } else {
    hideTilewell(true);
  }
}

int AppDelegate::chooseScreen(const std::vector<QRect>& screens, std::optional<QPoint> pointer,
                              std::optional<QPoint> activeWindowCentre, int primary) {
  if (screens.empty()) return -1;
  for (const auto& point : {pointer, activeWindowCentre}) {
    if (!point) continue;
    for (std::size_t i = 0; i < screens.size(); ++i) {
      if (screens[i].contains(*point)) return int(i);
    }
  }
  return primary >= 0 && primary < int(screens.size()) ? primary : 0;
}

QScreen* AppDelegate::resolveActiveScreen() const {
  const QList<QScreen*> screens = QGuiApplication::screens();
  std::vector<QRect> frames;
  for (QScreen* screen : screens)
    frames.push_back(screen->geometry());
  // Wayland tells a program nothing of the pointer outside its windows.
  std::optional<QPoint> pointer;
  if (QGuiApplication::platformName() != QLatin1String("wayland")) pointer = QCursor::pos();
  const QWindow* own = overlayWindow_ ? overlayWindow_->windowHandle() : nullptr;
  const int chosen = chooseScreen(frames, pointer, activeWindowCentre(own),
                                  int(screens.indexOf(QGuiApplication::primaryScreen())));
  return chosen < 0 ? nullptr : screens[chosen];
}

void AppDelegate::screenRemoved(QScreen* removed) {
  // Placed again once the screen list no longer holds the removed screen.
  deps_.services.mainQueue->async([this, alive = lifetime_.watch(), removed] {
    if (alive.expired() || !overlayWindow_) return;
    QScreen* screen = resolveActiveScreen();
    if (screen && screen != removed) overlayWindow_->placeOnScreen(screen);
  });
}

void AppDelegate::showTilewell(bool animated) {
  if (!overlayWindow_) return;
  TilewellOverlayWindow& window = *overlayWindow_;
  const bool wasVisible = isTilewellVisible_;
  if (!wasVisible && onWillShow) onWillShow();

  if (QScreen* screen = resolveActiveScreen()) window.placeOnScreen(screen);
  deps_.store.refreshPermissionStates();
  deps_.store.refreshLaunchAtLoginState();
  isTilewellVisible_ = true;
  if (fade_) fade_->stop();
  if (!window.isVisible()) {
    // The backdrop's picture of the desktop, before the window covers it.
    // (The view has no meta-object of its own: findChildren<VisualEffectView*> would match
    // every widget.)
    for (QWidget* child : window.findChildren<QWidget*>()) {
      if (auto* effect = dynamic_cast<VisualEffectView*>(child)) effect->windowWillAppear();
    }
    window.setWindowOpacity(0.0);
  }
  forceFocusAndFront();
  for (const double delay : kFocusRetryDelays) {
    deps_.services.mainQueue->asyncAfter(delay, [this, alive = lifetime_.watch()] {
      if (!alive.expired() && isTilewellVisible_) forceFocusAndFront();
    });
  }

  TilewellStore& store = deps_.store;
  if (wasVisible || !animated) {
    window.setWindowOpacity(1.0);
    store.isPresented = true;
    return;
  }
  withoutAnimation([&] { store.isPresented = false; });
  fadeWindow(1.0, kFadeInDuration, QEasingCurve::OutCubic);
  withAnimation(Animation::spring(0.42, 0.82), [&] { store.isPresented = true; });
}

void AppDelegate::hideTilewell(bool animated) {
  if (!overlayWindow_ || !isTilewellVisible_) return;
  isTilewellVisible_ = false;
  TilewellStore& store = deps_.store;
  store.isEditingPositions = false;
  store.showSettings = false;
  store.selectedItemID = std::nullopt;

  if (!animated) {
    if (fade_) fade_->stop();
    store.isPresented = false;
    overlayWindow_->setWindowOpacity(0.0);
    overlayWindow_->hide();
    return;
  }
  withAnimation(Animation::easeOut(kHideAnimationDuration), [&] { store.isPresented = false; });
  fadeWindow(0.0, kFadeOutDuration, QEasingCurve::InCubic);
  deps_.services.mainQueue->asyncAfter(kFadeOutDuration, [this, alive = lifetime_.watch()] {
    // Shown again meanwhile: it stays.
    if (!alive.expired() && !isTilewellVisible_ && overlayWindow_) overlayWindow_->hide();
  });
}

void AppDelegate::fadeWindow(double to, double seconds, QEasingCurve::Type curve) {
  if (!fade_) {
    fade_ = std::make_unique<QVariantAnimation>();
    QObject::connect(
        fade_.get(), &QVariantAnimation::valueChanged, overlayWindow_.get(),
        [this](const QVariant& value) { overlayWindow_->setWindowOpacity(value.toDouble()); });
  }
  fade_->stop();
  fade_->setStartValue(overlayWindow_->windowOpacity());
  fade_->setEndValue(to);
  fade_->setDuration(int(seconds * 1000));
  fade_->setEasingCurve(curve);
  fade_->start();
}

void AppDelegate::toggleTilewell() {
  isTilewellVisible_ ? hideTilewell(true) : showTilewell(true);
}

void AppDelegate::forceFocusAndFront() {
  if (!overlayWindow_ || !isTilewellVisible_) return;
  overlayWindow_->orderFrontAndMakeKey();
}

// --- Scrolls and gestures ------------------------------------------------------------------

void AppDelegate::setupUniversalScrollMonitors() {
  const LifetimeToken::Watch alive = lifetime_.watch();
  scrollPaging_ =
      std::make_unique<ScrollPaging>(deps_.store, deps_.services.clock, deps_.services.mainQueue,
                                     ScrollPaging::Hooks{[this, alive]() -> std::optional<double> {
                                                           if (alive.expired() || !overlayWindow_)
                                                             return std::nullopt;
                                                           return overlayWindow_->width();
                                                         },
                                                         [this, alive] {
                                                           if (!alive.expired())
                                                             forceFocusAndFront();
                                                         }});
  // Scrolls over other programs' windows never reach a Linux program; the overlay covers the
  // screen, so its own are the ones that matter.
  overlayWindow_->onScroll = [this, alive](const ScrollEvent& event) {
    if (alive.expired() || !isTilewellVisible_) return false;
    // An open folder scrolls itself.
    if (deps_.store.activeFolder->has_value()) return false;
    scrollPaging_->handleScroll(event);
    return true;
  };
}

void AppDelegate::installGestureCallbacks() {
  MultitouchPinchMonitor& monitor = deps_.monitor;
  const LifetimeToken::Watch alive = lifetime_.watch();
  monitor.onPinchIn = [this, alive] {
    if (alive.expired()) return;
    isTilewellVisible_ ? forceFocusAndFront() : showTilewell(true);
  };
  monitor.onPinchOut = [this, alive] {
    if (!alive.expired() && isTilewellVisible_) hideTilewell(true);
  };
  monitor.onGestureRelease = [this, alive] {
    if (!alive.expired() && isTilewellVisible_) forceFocusAndFront();
  };
  monitor.onToggleTilewell = [this, alive] {
    if (!alive.expired()) toggleTilewell();
  };
}

// --- Status menu ---------------------------------------------------------------------------

void AppDelegate::statusBarClicked() {
  toggleTilewell();
}

void AppDelegate::toggleLaunchAtLoginAction() {
  deps_.store.toggleLaunchAtLogin();
}

void AppDelegate::disableSystemTilewellConflictAction() {
  using Outcome = SystemGestureConflictResolver::Outcome;
  const Outcome outcome = deps_.resolver.disableConflictingGestures(/*restartDock=*/true);
  // A switch-off that did not happen must not be reported as done.
  deps_.store.triggerToast(outcome == Outcome::done || outcome == Outcome::nothingToDo
                               ? "已禁用系统原生四指/五指捏合，手势由 Calyxa Grid 独占！"
                               : "禁用系统原生手势失败，请确认偏好设置文件可读写");
}

void AppDelegate::restoreSystemTilewellConflictAction() {
  using Outcome = SystemGestureConflictResolver::Outcome;
  const Outcome outcome = deps_.resolver.restoreOriginalGestures(/*restartDock=*/true);
  // The snapshot stays when a value could not be written back: say so, and let the user retry.
  deps_.store.triggerToast(outcome == Outcome::done || outcome == Outcome::nothingToDo
                               ? "已恢复系统原生手势设置"
                               : "系统原生手势恢复失败，已保留原设置快照，请稍后重试");
}

void AppDelegate::showSettingsAction() {
  if (!isTilewellVisible_) showTilewell(true);
  deps_.store.refreshPermissionStates();
  deps_.store.refreshLaunchAtLoginState();
  withAnimation(Animation::spring(0.28, 1.0), [&] { deps_.store.showSettings = true; });
}

void AppDelegate::showOnboardingAction() {
  if (!isTilewellVisible_) showTilewell(true);
  deps_.store.reopenOnboarding();
}

void AppDelegate::enterEditModeAction() {
  if (!isTilewellVisible_) showTilewell(true);
  deps_.store.isEditingPositions = !deps_.store.isEditingPositions;
}

void AppDelegate::rescanAppsAction() {
  deps_.store.scanApplications(std::nullopt, /*showToast=*/true);
  if (!isTilewellVisible_) showTilewell(true);
}

// --- Screens -------------------------------------------------------------------------------

double topNotchHeight(const QRect& frame, const QRect& available) {
  const double band = available.top() - frame.top();
  return band > kMinimumTopInset ? band : 0.0;
}

double getScreenTopNotchHeight() {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen && !QGuiApplication::screens().isEmpty()) screen = QGuiApplication::screens().front();
  return screen ? topNotchHeight(screen->geometry(), screen->availableGeometry()) : 0.0;
}

}  // namespace calyxa
