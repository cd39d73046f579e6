#include "views/effects/exposed_image_painter.h"

#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QWidget>

namespace calyxa {

void paintExposedImage(QWidget& widget, const QPaintEvent& event, const QImage& image) {
  QPainter painter(&widget);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  const QRect area = event.rect();
  const qreal ratio = image.devicePixelRatio();
  painter.drawImage(
      area, image,
      QRectF(area.x() * ratio, area.y() * ratio, area.width() * ratio, area.height() * ratio));
}

}  // namespace calyxa
