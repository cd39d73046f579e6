#include "editing/pager_motion_controller.h"

#include <algorithm>
#include <cmath>

namespace calyxa {

PagerMotionController& PagerMotionController::shared() {
  static PagerMotionController pager;
  return pager;
}

double PagerMotionController::snapResponse(double velocityX) {
  const double v = std::fabs(velocityX);
  if (v <= 60.0) return 0.38;
  return 0.38 - 0.2 * (std::min(v, 3200.0) - 60.0) / 3140.0;
}

double PagerMotionController::jumpResponse(double velocityHint) {
  const double v = std::fabs(velocityHint);
  if (v <= 80.0) return 0.35;
  return 0.35 - 0.15 * (std::min(v, 3000.0) - 80.0) / 2920.0;
}

void PagerMotionController::updateInteractiveDrag(double deltaX) {
  // The strip follows the finger exactly: no interpolation between scroll events.
  withTransaction(Transaction::disabledContinuous(), [&] {
    if (!isInteractiveDragging) isInteractiveDragging = true;
    const double proposed = dragOffsetX + deltaX;
    const bool pullingPastFirst = currentPage == 0 && proposed > 0;
    const bool pullingPastLast = currentPage >= pageCount - 1 && proposed < 0;
    const double share = pullingPastFirst || pullingPastLast ? kEdgeResistance : 1.0;
    dragOffsetX = dragOffsetX + deltaX * share;
  });
}

void PagerMotionController::finishInteractiveDrag(double velocityX, double pageWidth) {
  const double width = std::max(pageWidth, kMinimumSnapPageWidth);
  const double projected = dragOffsetX + velocityX * kProjectionTime;
  const double threshold = kSnapDistanceFraction * width;
  int target = currentPage;
  if (projected < -threshold || velocityX < -kSnapVelocity) {
    target = std::min(currentPage + 1, pageCount - 1);
  } else if (projected > threshold || velocityX > kSnapVelocity) {
    target = std::max(currentPage - 1, 0);
  }
  withoutAnimation([&] { isInteractiveDragging = false; });
  withAnimation(Animation::spring(snapResponse(velocityX), 1.0, 0.0), [&] {
    currentPage = target;
    dragOffsetX = 0.0;
  });
}

void PagerMotionController::switchPageAnimated(int page, double velocityHint) {
  const int target = std::max(std::min(page, pageCount - 1), 0);
  isInteractiveDragging = false;
  withAnimation(Animation::spring(jumpResponse(velocityHint), 1.0, 0.0), [&] {
    currentPage = target;
    dragOffsetX = 0.0;
  });
}

}  // namespace calyxa
