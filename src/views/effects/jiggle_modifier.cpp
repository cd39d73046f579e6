#include "views/effects/jiggle_modifier.h"

namespace calyxa {

void JiggleModifier::appear(double now) {
  isShown_ = true;
  if (isJiggling_) startJiggle(now);
}

void JiggleModifier::disappear() {
  isShown_ = false;
  angle_.jump(0.0);
}

void JiggleModifier::setJiggling(bool isJiggling, double now) {
  if (isJiggling == isJiggling_) return;
  isJiggling_ = isJiggling;
  if (!isShown_) return;
  if (isJiggling) {
    startJiggle(now);
  } else {
    angle_.setTarget(0.0, Animation::spring(kStopResponse, kStopDampingFraction), now);
  }
}

void JiggleModifier::startJiggle(double now) {
  const double base = baseAngle(seed_);
  angle_.jump(-base);
  angle_.setTarget(base, Animation::easeInOut(swingDuration(seed_)).repeatForever(true), now);
}

QTransform JiggleModifier::transform(const QRectF& content, double now) const {
  const QPointF centre = content.center();
  QTransform rotation;
  rotation.translate(centre.x(), centre.y());
  rotation.rotate(angle(now));
  rotation.translate(-centre.x(), -centre.y());
  return rotation;
}

}  // namespace calyxa
