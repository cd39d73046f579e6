#include "views/presentation_effect.h"

#include <QPainter>
#include <algorithm>

#include "views/effects/desktop_snapshot.h"

namespace calyxa {

void PresentationEffect::setPresence(double presence) {
  presence = std::clamp(presence, 0.0, 1.0);
  if (presence == presence_) return;
  presence_ = presence;
  update();
}

void PresentationEffect::draw(QPainter* painter) {
  if (presence_ >= 1.0) {
    drawSource(painter);
    return;
  }
  if (presence_ <= 0.0) return;
  QPoint offset;
  const QPixmap source = sourcePixmap(Qt::DeviceCoordinates, &offset, QGraphicsEffect::NoPad);
  if (source.isNull()) return;
  QImage image = source.toImage();
  const double ratio = source.devicePixelRatio();
  const double sigma = blurRadius() * ratio / 2.0;
  if (sigma > 0.25) image = blurImage(image, sigma);

  painter->save();
  painter->setWorldTransform(QTransform());
  painter->setRenderHint(QPainter::SmoothPixmapTransform);
  painter->setOpacity(painter->opacity() * opacity());
  const QRectF target(offset, QSizeF(image.size()));
  const QPointF centre = target.center();
  painter->translate(centre);
  painter->scale(scale(), scale());
  painter->translate(-centre);
  painter->drawImage(target, image);
  painter->restore();
}

}  // namespace calyxa
