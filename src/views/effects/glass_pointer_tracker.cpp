#include "views/effects/glass_pointer_tracker.h"

#include <QEnterEvent>
#include <QEvent>
#include <QMouseEvent>

namespace calyxa {

GlassPointerTracker::GlassPointerTracker(QWidget* widget) : widget_(widget) {
  widget->setMouseTracking(true);
  widget->installEventFilter(this);
}

GlassPointerTracker::~GlassPointerTracker() {
  if (widget_) widget_->removeEventFilter(this);
}

void GlassPointerTracker::change(const GlassInteraction& next) {
  if (next == interaction_) return;
  interaction_ = next;
  if (widget_) widget_->update();
}

bool GlassPointerTracker::eventFilter(QObject* watched, QEvent* event) {
  if (watched != widget_) return QObject::eventFilter(watched, event);
  GlassInteraction next = interaction_;
  switch (event->type()) {
    case QEvent::Enter:
      next.hovered = true;
      next.pointer = static_cast<QEnterEvent*>(event)->position();
      change(next);
      break;
    case QEvent::Leave:
    case QEvent::Hide:
      change({});
      break;
    case QEvent::MouseMove:
      next.hovered =
          widget_->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint());
      next.pointer = static_cast<QMouseEvent*>(event)->position();
      change(next);
      break;
    case QEvent::MouseButtonPress:
      next.pressed = true;
      next.pointer = static_cast<QMouseEvent*>(event)->position();
      change(next);
      break;
    case QEvent::MouseButtonRelease:
      next.pressed = static_cast<QMouseEvent*>(event)->buttons() != Qt::NoButton;
      change(next);
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace calyxa
