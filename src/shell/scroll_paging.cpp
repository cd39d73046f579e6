#include "shell/scroll_paging.h"

#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace calyxa {
namespace {

constexpr double kEighthsPerNotch = 120.0;
constexpr double kEighthsPerPoint = 8.0;

bool isWholeNotches(QPoint angleDelta) {
  return angleDelta.x() % int(kEighthsPerNotch) == 0 && angleDelta.y() % int(kEighthsPerNotch) == 0;
}

}  // namespace

ScrollEvent scrollEventFromQt(const QWheelEvent& event) {
  ScrollEvent scroll;
  switch (event.phase()) {
    case Qt::ScrollBegin:
      scroll.phase = ScrollEvent::kPhaseBegan;
      break;
    case Qt::ScrollUpdate:
      scroll.phase = ScrollEvent::kPhaseChanged;
      break;
    case Qt::ScrollEnd:
      scroll.phase = ScrollEvent::kPhaseEnded;
      break;
    case Qt::ScrollMomentum:
      scroll.momentumPhase = ScrollEvent::kPhaseChanged;
      break;
    case Qt::NoScrollPhase:
      break;
  }
  const QPoint pixels = event.pixelDelta();
  const QPoint angle = event.angleDelta();
  if (!pixels.isNull()) {
    scroll.precise = true;
    scroll.deltaX = pixels.x();
    scroll.deltaY = pixels.y();
  } else if (!isWholeNotches(angle)) {
    scroll.precise = true;
    scroll.deltaX = angle.x() / kEighthsPerPoint;
    scroll.deltaY = angle.y() / kEighthsPerPoint;
  } else {
    scroll.deltaX = angle.x() / kEighthsPerNotch;
    scroll.deltaY = angle.y() / kEighthsPerNotch;
  }
  return scroll;
}

ScrollPaging::ScrollPaging(TilewellStore& store, std::shared_ptr<const MediaClock> clock,
                           std::shared_ptr<MainQueue> mainQueue, Hooks hooks)
    : store_(store),
      clock_(std::move(clock)),
      mainQueue_(std::move(mainQueue)),
      hooks_(std::move(hooks)) {}

ScrollPaging::~ScrollPaging() {
  if (phaselessEnd_) phaselessEnd_->cancel();
}

void ScrollPaging::handleScroll(const ScrollEvent& event) {
  const bool phaseless = event.phase == ScrollEvent::kPhaseNone &&
                         event.momentumPhase == ScrollEvent::kPhaseNone && event.precise;
  if (!phaseless) {
    processTrackpadScroll(event);
    return;
  }
  ScrollEvent changed = event;
  changed.phase = ScrollEvent::kPhaseChanged;
  processTrackpadScroll(changed);
  if (phaselessEnd_) phaselessEnd_->cancel();
  phaselessEnd_ = mainQueue_->asyncAfter(kPhaselessDragEnd, [this, alive = lifetime_.watch()] {
    if (alive.expired()) return;
    ScrollEvent ended;
    ended.phase = ScrollEvent::kPhaseEnded;
    ended.precise = true;
    processTrackpadScroll(ended);
  });
}

void ScrollPaging::processTrackpadScroll(const ScrollEvent& event) {
  // Inertial scrolling after the fingers lift never moves pages.
  if (event.momentumPhase != ScrollEvent::kPhaseNone) return;

  const double now = clock_->now();
  const double delta =
      std::abs(event.deltaX) >= std::abs(event.deltaY) ? event.deltaX : event.deltaY;
  const double pageWidth =
      (hooks_.pageWidth ? hooks_.pageWidth() : std::nullopt).value_or(kDefaultPageWidth);
  PagerMotionController& pager = store_.pager;

  switch (event.phase) {
    case ScrollEvent::kPhaseBegan:
      isInteractiveDragging_ = true;
      currentVelocityX_ = 0.0;
      lastScrollEventTime_ = now;
      if (hooks_.focusOverlay) hooks_.focusOverlay();
      break;
    case ScrollEvent::kPhaseChanged: {
      const double scaled = delta * (event.precise ? kPreciseScale : kLineScale);
      if (!isInteractiveDragging_) {
        isInteractiveDragging_ = true;
        currentVelocityX_ = 0.0;
        lastScrollEventTime_ = now;
      }
      const double dt = std::clamp(now - lastScrollEventTime_, kMinimumDt, kMaximumDt);
      currentVelocityX_ = currentVelocityX_ * 0.3 + (scaled / dt) * 0.7;
      lastScrollEventTime_ = now;
      pager.updateInteractiveDrag(scaled);
      break;
    }
    case ScrollEvent::kPhaseEnded:
    case ScrollEvent::kPhaseCancelled:
      if (!isInteractiveDragging_) return;
      isInteractiveDragging_ = false;
      // Fingers that rested before lifting mean no flick.
      if (now - lastScrollEventTime_ > kRestingPause) currentVelocityX_ *= kRestingVelocityFactor;
      lastReleaseVelocity_ = currentVelocityX_;
      pager.finishInteractiveDrag(currentVelocityX_, pageWidth);
      currentVelocityX_ = 0.0;
      break;
    case ScrollEvent::kPhaseNone: {
      if (event.precise || std::abs(delta) <= 0.1) return;
      // One page a burst of notches.
      if (lastDiscreteWheelTime_ && now - *lastDiscreteWheelTime_ <= kWheelBurst) return;
      lastDiscreteWheelTime_ = now;
      int target = pager.currentPage + (delta < 0 ? 1 : -1);
      target = std::max(std::min(target, store_.pageCount() - 1), 0);
      pager.switchPageAnimated(target, kWheelVelocityHint);
      break;
    }
    default:
      break;
  }
}

}  // namespace calyxa
