#include "views/controls/glass_control.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "views/controls/glass_tints.h"

namespace calyxa {
namespace {

class GlassControlAccessible final : public QAccessibleWidget {
 public:
  explicit GlassControlAccessible(GlassControl* control)
      : QAccessibleWidget(control, control->accessibleRole()) {}

  QAccessible::Role role() const override { return control()->accessibleRole(); }
  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    s.checkable = control()->isCheckable();
    s.checked = control()->isChecked();
    s.pressed = control()->isPressed();
    return s;
  }
  QStringList actionNames() const override {
    return {control()->isCheckable() ? toggleAction() : pressAction()};
  }
  void doAction(const QString& name) override {
    if (name == pressAction() || name == toggleAction()) control()->activate();
  }

 private:
  GlassControl* control() const { return static_cast<GlassControl*>(widget()); }
};

QAccessibleInterface* glassControlFactory(const QString&, QObject* object) {
  if (auto* control = qobject_cast<GlassControl*>(object))
    return new GlassControlAccessible(control);
  return nullptr;
}

}  // namespace

GlassControl::GlassControl(QWidget* parent, QAccessible::Role role) : QWidget(parent), role_(role) {
  static const bool installed = [] {
    QAccessible::installFactory(glassControlFactory);
    return true;
  }();
  (void)installed;
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_Hover);
}

void GlassControl::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (!event->isAutoRepeat()) activate();
      event->accept();
      return;
    default:
      QWidget::keyPressEvent(event);
  }
}

void GlassControl::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  pressed_ = true;
  keyboardFocus_ = false;
  update();
  event->accept();
}

void GlassControl::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !pressed_) return QWidget::mouseReleaseEvent(event);
  pressed_ = false;
  update();
  event->accept();
  // A press dragged off the control and released elsewhere is a change of mind.
  if (rect().contains(event->position().toPoint())) activate();
}

void GlassControl::focusInEvent(QFocusEvent* event) {
  keyboardFocus_ = event->reason() == Qt::TabFocusReason ||
                   event->reason() == Qt::BacktabFocusReason ||
                   event->reason() == Qt::ShortcutFocusReason;
  update();
  QWidget::focusInEvent(event);
}

void GlassControl::focusOutEvent(QFocusEvent* event) {
  keyboardFocus_ = false;
  update();
  QWidget::focusOutEvent(event);
}

void GlassControl::paintFocusRing(QPainter& painter, const QPainterPath& outline) const {
  if (!showsFocusRing()) return;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(srgb(0.45, 0.85, 1.0, 0.95), 2.0));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(outline);
  painter.restore();
}

}  // namespace calyxa
