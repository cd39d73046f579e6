#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "catalogue/tilewell_store.h"
#include "platform/dispatch.h"
#include "platform/media_clock.h"

class QWheelEvent;

namespace calyxa {

// One scroll event as the paging reads it. Phases: 0 none, 1 began, 4 changed, 8 ended,
// 16 cancelled. Precise deltas are points (touchpads); the others are wheel notches.
struct ScrollEvent {
  static constexpr int kPhaseNone = 0;
  static constexpr int kPhaseBegan = 1;
  static constexpr int kPhaseChanged = 4;
  static constexpr int kPhaseEnded = 8;
  static constexpr int kPhaseCancelled = 16;

  int phase = kPhaseNone;
  int momentumPhase = kPhaseNone;
  double deltaX = 0.0;
  double deltaY = 0.0;
  bool precise = false;
};

// Qt's wheel event in those terms: pixel deltas and fractional notches (smooth touchpad
// scrolling under X11, about 8 eighths of a degree to the point) are precise; whole notches of
// 120 eighths are wheel steps.
ScrollEvent scrollEventFromQt(const QWheelEvent& event);

// Turns scrolls over the overlay into page motion: a touchpad drag moves the pages with the
// fingers and snaps on release; a notched wheel steps one page a burst. Main thread only.
class ScrollPaging {
 public:
  static constexpr double kPreciseScale = 1.85;
  static constexpr double kLineScale = 16.0;
  static constexpr double kMinimumDt = 0.003;
  static constexpr double kMaximumDt = 0.08;
  static constexpr double kRestingPause = 0.075;
  static constexpr double kRestingVelocityFactor = 0.2;
  static constexpr double kWheelBurst = 0.34;
  static constexpr double kWheelVelocityHint = 1100.0;
  static constexpr double kDefaultPageWidth = 1440.0;
  // Without scroll phases (X11 touchpads), a drag ends after this long without an event.
  static constexpr double kPhaselessDragEnd = 0.1;

  struct Hooks {
    // The overlay's width; nothing without a window.
    std::function<std::optional<double>()> pageWidth;
    // A drag began while the overlay is shown: bring it to the front.
    std::function<void()> focusOverlay;
  };

  ScrollPaging(TilewellStore& store, std::shared_ptr<const MediaClock> clock,
               std::shared_ptr<MainQueue> mainQueue, Hooks hooks);
  ~ScrollPaging();
  ScrollPaging(const ScrollPaging&) = delete;
  ScrollPaging& operator=(const ScrollPaging&) = delete;

  // An event as the platform delivers it: precise events without phases become a drag that
  // ends after kPhaselessDragEnd without one.
  void handleScroll(const ScrollEvent& event);
  // One event with the platform's phases.
  void processTrackpadScroll(const ScrollEvent& event);

  double currentVelocityX() const { return currentVelocityX_; }
  bool isInteractiveDragging() const { return isInteractiveDragging_; }
  // The velocity the pager was given when the last drag ended.
  std::optional<double> lastReleaseVelocity() const { return lastReleaseVelocity_; }

 private:
  TilewellStore& store_;
  std::shared_ptr<const MediaClock> clock_;
  std::shared_ptr<MainQueue> mainQueue_;
  Hooks hooks_;
  double lastScrollEventTime_ = 0.0;
  double currentVelocityX_ = 0.0;
  bool isInteractiveDragging_ = false;
  std::optional<double> lastDiscreteWheelTime_;
  std::optional<double> lastReleaseVelocity_;
  std::optional<Cancellable> phaselessEnd_;
  LifetimeToken lifetime_;
};

}  // namespace calyxa
