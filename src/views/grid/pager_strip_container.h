#pragma once

#include <QPointer>
#include <QWidget>

#include "editing/pager_motion_controller.h"
#include "views/animation/animated_value.h"
#include "views/animation/frame_driver.h"

namespace calyxa {

// Shows one page width of a strip of pages laid side by side, shifted by the pager: the content
// sits at x = dragOffsetX − pageWidth × currentPage. Page switches move it with the pager's
// springs; an interactive drag (animations disabled) moves it at once.
class PagerStripContainer final : public QWidget {
 public:
  PagerStripContainer(PagerMotionController& pager, FrameDriver& driver, QWidget* parent = nullptr);

  // The pages: `content` becomes this widget's child, pageWidth × totalPages wide.
  void setContent(QWidget* content);
  QWidget* content() const { return content_; }
  void setPageSize(QSizeF page);
  void setTotalPages(int totalPages);
  int totalPages() const { return totalPages_; }
  double pageWidth() const { return page_.width(); }

  // The strip's offset the pager asks for, and the one shown now.
  double targetOffset() const;
  double shownOffset() const { return offset_.value(driver_.now()); }

 private:
  void retarget(const Transaction& transaction);
  void placeContent();
  bool onFrame(double now);

  PagerMotionController& pager_;
  FrameDriver& driver_;
  QPointer<QWidget> content_;
  QSizeF page_;
  int totalPages_ = 1;
  Animated<double> offset_{0.0, 0.05};
  FrameDriver::Client frames_;
};

}  // namespace calyxa
