#include "views/animation/view_animator.h"

#include <QEvent>
#include <algorithm>

namespace calyxa {

ViewAnimator::ViewAnimator(QWidget* view, FrameDriver& driver)
    : view_(view), client_(driver, [this](double time) { return onFrame(time); }) {
  view->installEventFilter(this);
}

ViewAnimator::~ViewAnimator() {
  if (view_) view_->removeEventFilter(this);
}

bool ViewAnimator::isAnimating() const {
  const double time = now();
  return std::any_of(tracked_.begin(), tracked_.end(),
                     [time](const AnimatedValueBase* value) { return value->isAnimating(time); });
}

void ViewAnimator::wake() {
  if (!view_) return;
  view_->update();
  if (view_->isVisible() && isAnimating()) client_.wake();
}

bool ViewAnimator::onFrame(double /*time*/) {
  if (!view_ || !view_->isVisible()) return false;
  view_->update();
  return isAnimating();
}

bool ViewAnimator::eventFilter(QObject* watched, QEvent* event) {
  if (watched == view_) {
    if (event->type() == QEvent::Show) {
      wake();
    } else if (event->type() == QEvent::Hide) {
      client_.sleep();
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace calyxa
