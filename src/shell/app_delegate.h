#pragma once

#include <QEasingCurve>
#include <QPointer>
#include <QRect>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/tilewell_store.h"
#include "gestures/multitouch_pinch_monitor.h"
#include "gestures/system_gesture_conflict_resolver.h"
#include "shell/scroll_paging.h"
#include "shell/tilewell_overlay_window.h"

class QScreen;
class QVariantAnimation;
class QWidget;

namespace calyxa {

class StatusItem;

// Keeps one launcher running per desktop session: ends older ones, tells them the new one has
// come, and hears of newer ones. Each step may be unavailable (no session bus).
class InstanceCoordinator {
 public:
  virtual ~InstanceCoordinator() = default;
  virtual void replaceOlderInstances() = 0;
  virtual void announce() = 0;
  // `onReplaced` runs on the main thread when a newer instance announces itself.
  virtual void listen(std::function<void()> onReplaced) = 0;
};

// The root view of the overlay, built on the store with the dismissal it calls.
using RootViewFactory =
    std::function<QWidget*(TilewellStore& store, std::function<void()> onDismiss, QWidget* parent)>;

// The application's own part: start-up, the overlay's show and hide, the status item and its
// menu, scroll paging, the gesture callbacks and the orderly end. Main thread only.
class AppDelegate {
 public:
  static constexpr double kFadeInDuration = 0.12;
  static constexpr double kFadeOutDuration = 0.19;
  static constexpr double kHideAnimationDuration = 0.2;
  static constexpr double kFocusRetryDelays[2] = {0.07, 0.19};
  static constexpr const char* kLaunchedAtLoginArgument = "--launched-at-login";

  struct Dependencies {
    TilewellStore& store;
    MultitouchPinchMonitor& monitor;
    SystemGestureConflictResolver& resolver;
    PlatformServices services;
    RootViewFactory makeRootView;
    std::unique_ptr<InstanceCoordinator> instances;  // none: the steps are skipped
    // Ends the event loop with the given status, once the delegate has tidied up.
    std::function<void(int status)> exitEventLoop;
  };

  explicit AppDelegate(Dependencies dependencies);
  ~AppDelegate();
  AppDelegate(const AppDelegate&) = delete;
  AppDelegate& operator=(const AppDelegate&) = delete;

  // The start-up sequence. `forceShow`: shown whatever kind of launch this was (a --show or
  // --toggle request that found no running instance).
  void applicationDidFinishLaunching(bool forceShow = false);
  // The orderly end: the system gestures given back, a pending save written, the loop ended
  // with status 0. Later calls do nothing.
  void terminate();
  // The desktop made the program active again.
  void applicationDidBecomeActive();

  void showTilewell(bool animated);
  void hideTilewell(bool animated);
  void toggleTilewell();
  void forceFocusAndFront();
  bool isTilewellVisible() const { return isTilewellVisible_; }
  bool hasTerminated() const { return terminated_; }

  // Status menu actions.
  void statusBarClicked();
  void toggleTilewellAction() { toggleTilewell(); }
  void toggleLaunchAtLoginAction();
  void disableSystemTilewellConflictAction();
  void restoreSystemTilewellConflictAction();
  void showSettingsAction();
  void showOnboardingAction();
  void enterEditModeAction();
  void rescanAppsAction();
  void quitAppAction() { terminate(); }

  // Whether the overlay is to be shown at the end of start-up.
  static bool shouldShowAtLaunch(const std::vector<std::string>& arguments, bool showOnboarding);

  // The screen to cover, first rule that yields one: the screen under the pointer, the screen
  // under the active window's centre, the primary screen, the first screen. -1 without screens.
  static int chooseScreen(const std::vector<QRect>& screens, std::optional<QPoint> pointer,
                          std::optional<QPoint> activeWindowCentre, int primary);
  QScreen* resolveActiveScreen() const;

  // Runs once the overlay window exists, before anything is shown.
  std::function<void(TilewellOverlayWindow&)> onOverlayCreated;
  // Runs as a hidden overlay begins to show.
  std::function<void()> onWillShow;

  TilewellOverlayWindow* overlayWindow() const { return overlayWindow_.get(); }
  QWidget* hostingView() const { return hostingView_; }
  StatusItem* statusItem() const { return statusItem_.get(); }
  ScrollPaging* scrollPaging() const { return scrollPaging_.get(); }

 private:
  void setupFullScreenTilewellWindow();
  void setupUniversalScrollMonitors();
  void installGestureCallbacks();
  void escapeOrDismiss();
  // The overlay moves when the screen it covers goes away.
  void screenRemoved(QScreen* screen);
  // Takes the window's opacity to `to` (what a person sees; the logic does not wait for it).
  void fadeWindow(double to, double seconds, QEasingCurve::Type curve);

  Dependencies deps_;
  std::unique_ptr<TilewellOverlayWindow> overlayWindow_;
  QPointer<QWidget> hostingView_;
  std::unique_ptr<StatusItem> statusItem_;
  std::unique_ptr<ScrollPaging> scrollPaging_;
  std::unique_ptr<QVariantAnimation> fade_;
  bool isTilewellVisible_ = false;
  bool terminated_ = false;
  LifetimeToken lifetime_;
};

// The top inset that keeps content clear of a menu-bar band: the band between the screen's
// frame and its available area when it is taller than 30 points, else 0.
double topNotchHeight(const QRect& frame, const QRect& available);
// The same for the primary screen (else the first); 0 without screens.
double getScreenTopNotchHeight();

}  // namespace calyxa
