#include "views/controls/glass_switch.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "views/controls/glass_tints.h"

namespace calyxa {
namespace {

const Animation kKnobSpring = Animation::spring(0.25, 0.85);

QColor mix(const QColor& a, const QColor& b, double t) {
  const auto lerp = [t](float x, float y) { return static_cast<float>(x + (y - x) * t); };
  return QColor::fromRgbF(lerp(a.redF(), b.redF()), lerp(a.greenF(), b.greenF()),
                          lerp(a.blueF(), b.blueF()), lerp(a.alphaF(), b.alphaF()));
}

}  // namespace

GlassSwitch::GlassSwitch(QColor tint, std::function<void(bool)> onToggle, QWidget* parent,
                         FrameDriver& driver)
    : GlassControl(parent, QAccessible::CheckBox),
      tint_(tint),
      onToggle_(std::move(onToggle)),
      animator_(this, driver) {
  animator_.track(knob_);
  setFixedSize(kSize);
}

void GlassSwitch::setOn(bool on, const Transaction& transaction) {
  const bool changed = on != on_;
  on_ = on;
  // A change without an animation of its own still slides, as a switch does.
  const Animation animation = transaction.disablesAnimations || transaction.animation.isNone()
                                  ? kKnobSpring
                                  : transaction.animation;
  knob_.setTarget(on ? 1.0 : 0.0, transaction.disablesAnimations ? Animation::none() : animation,
                  animator_.now());
  animator_.wake();
  if (changed) {
    QAccessible::State state;
    state.checked = true;
    QAccessibleStateChangeEvent event(this, state);
    QAccessible::updateAccessibility(&event);
  }
}

void GlassSwitch::activate() {
  if (onToggle_) onToggle_(!on_);
}

void GlassSwitch::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const double t = std::clamp(knob_.value(animator_.now()), 0.0, 1.0);
  const QRectF track = QRectF(rect()).adjusted(1, 1, -1, -1);
  QPainterPath outline;
  outline.addRoundedRect(track, track.height() / 2, track.height() / 2);
  painter.fillPath(outline, mix(white(0.18), tint_, t));
  painter.setPen(QPen(white(0.22 * (1 - t) + 0.1), 0.8));
  painter.drawPath(outline);

  const double diameter = track.height() - 4;
  const double x = track.left() + 2 + t * (track.width() - 4 - diameter);
  const QRectF knob(x, track.top() + 2, diameter, diameter);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0, 0, 0, 50));
  painter.drawEllipse(knob.translated(0, 1));
  painter.setBrush(isPressed() ? white(0.85) : Qt::white);
  painter.drawEllipse(knob);
  paintFocusRing(painter, outline);
}

}  // namespace calyxa
