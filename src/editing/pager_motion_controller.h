#pragma once

#include "platform/published.h"

namespace calyxa {

// Which page of the grid is shown and how far a finger drag displaces the strip of pages.
class PagerMotionController {
 public:
  static constexpr double kEdgeResistance = 0.28;
  static constexpr double kProjectionTime = 0.16;
  static constexpr double kMinimumSnapPageWidth = 800.0;
  static constexpr double kSnapDistanceFraction = 0.14;
  static constexpr double kSnapVelocity = 210.0;
  static constexpr double kDefaultVelocityHint = 1100.0;

  PagerMotionController() = default;
  PagerMotionController(const PagerMotionController&) = delete;
  PagerMotionController& operator=(const PagerMotionController&) = delete;

  static PagerMotionController& shared();

  ChangeHub changes;
  Published<int> currentPage{0, &changes, "currentPage"};
  // Positive moves the content right, towards the previous page.
  Published<double> dragOffsetX{0.0, &changes, "dragOffsetX"};
  Published<bool> isInteractiveDragging{false, &changes, "isInteractiveDragging"};
  // Kept equal to the store's page count by whoever changes it.
  int pageCount = 1;

  void updateInteractiveDrag(double deltaX);
  void finishInteractiveDrag(double velocityX, double pageWidth);
  void switchPageAnimated(int page, double velocityHint = kDefaultVelocityHint);

  // Spring responses of the two motions for a given speed.
  static double snapResponse(double velocityX);
  static double jumpResponse(double velocityHint);
};

}  // namespace calyxa
