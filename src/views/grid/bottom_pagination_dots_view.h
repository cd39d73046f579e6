#pragma once

#include <QWidget>
#include <vector>

#include "editing/pager_motion_controller.h"
#include "views/animation/animated_value.h"
#include "views/animation/view_animator.h"
#include "views/effects/vantorel_modifier.h"

namespace calyxa {

// One dot per page on a glass capsule; the current page's dot is a longer bar. A click on a dot
// turns to its page. Nothing is shown with a single page.
class BottomPaginationDotsView final : public QWidget {
 public:
  static constexpr double kDotHeight = 6.5;
  static constexpr double kCurrentWidth = 18.0;
  static constexpr double kSpacing = 8.0;
  static constexpr double kHitOutset = 6.0;
  static constexpr double kPaddingX = 14.0;
  static constexpr double kPaddingY = 7.0;
  static constexpr double kVelocityHint = 1100.0;

  BottomPaginationDotsView(PagerMotionController& pager, FrameDriver& driver,
                           QWidget* parent = nullptr);

  void setTotalPages(int totalPages);
  int totalPages() const { return totalPages_; }
  QSize sizeHint() const override;
  // Dot i's frame now, in this widget's coordinates.
  QRectF dotFrame(int i) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void retarget(const Transaction& transaction);

  PagerMotionController& pager_;
  int totalPages_ = 1;
  // How much each dot is the current one, 0 to 1, animated.
  std::vector<std::unique_ptr<Animated<double>>> current_;
  VantorelCache glass_;
  ViewAnimator animator_;
};

}  // namespace calyxa
