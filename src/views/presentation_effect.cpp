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
  double sigma = blurRadius() * ratio / 2.0;
  const QSize full = image.size();
  if (sigma > 0.25) {
    // A passing blur: shrink until the kernel spans a pixel or two, blur there, and let the
    // smooth scaling of the draw below spread it back. A frame of the entrance costs a
    // fraction of a full-size blur and looks the same while it moves.
    const double shrink = std::max(1.0, sigma / 1.5);
    if (shrink > 1.0) {
      image = image.scaled((QSizeF(full) / shrink).toSize().expandedTo(QSize(1, 1)),
                           Qt::IgnoreAspectRatio, Qt::FastTransformation);
      sigma /= shrink;
    }
    image = blurImage(image, sigma);
  }

  painter->save();
  painter->setWorldTransform(QTransform());
  painter->setRenderHint(QPainter::SmoothPixmapTransform);
  painter->setOpacity(painter->opacity() * opacity());
  const QRectF target(offset, QSizeF(full));
  const QPointF centre = target.center();
  painter->translate(centre);
  painter->scale(scale(), scale());
  painter->translate(-centre);
  painter->drawImage(target, image);
  painter->restore();
}

}  // namespace calyxa
