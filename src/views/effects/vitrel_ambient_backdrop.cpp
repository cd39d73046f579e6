#include "views/effects/vitrel_ambient_backdrop.h"

#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>
#include <QRadialGradient>

#include "views/effects/desktop_wallpaper_blur_view.h"
#include "views/effects/exposed_image_painter.h"

namespace calyxa {
namespace {

QColor srgb(double r, double g, double b, double opacity) {
  return QColor::fromRgbF(static_cast<float>(r), static_cast<float>(g), static_cast<float>(b),
                          static_cast<float>(opacity));
}

// A glow: a radial gradient of one colour from `inner` through `middle` opacity to clear,
// centred at `centre` with the given radius.
void paintGlow(QPainter& painter, QPointF centre, double radius, double r, double g, double b,
               double inner, double middle) {
  QRadialGradient glow(centre, radius);
  glow.setColorAt(0.0, srgb(r, g, b, inner));
  glow.setColorAt(0.5, srgb(r, g, b, middle));
  glow.setColorAt(1.0, srgb(r, g, b, 0.0));
  painter.fillRect(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius), glow);
}

QSize pixelSize(QSize points, qreal ratio) {
  return (QSizeF(points) * ratio).toSize();
}

}  // namespace

VitrelAmbientBackdrop::VitrelAmbientBackdrop(QWidget* parent)
    : QWidget(parent), blur_(DesktopWallpaperBlurView{}.makeView(this)) {  // owned by this widget
  blur_->hide();
  setAttribute(Qt::WA_OpaquePaintEvent);
  if (parent) {
    setGeometry(parent->rect());
    parent->installEventFilter(this);
  }
}

bool VitrelAmbientBackdrop::eventFilter(QObject* watched, QEvent* event) {
  if (watched == parentWidget() && event->type() == QEvent::Resize) {
    setGeometry(parentWidget()->rect());
  }
  return QWidget::eventFilter(watched, event);
}

void VitrelAmbientBackdrop::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  blur_->setGeometry(rect());
}

void VitrelAmbientBackdrop::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  blur_->windowWillAppear();
}

QImage VitrelAmbientBackdrop::renderLayer(QSize size, qreal devicePixelRatio) {
  QImage image(pixelSize(size, devicePixelRatio), QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(devicePixelRatio);
  image.fill(Qt::transparent);
  if (size.isEmpty()) return image;
  QPainter painter(&image);
  const QRectF area(QPointF(0, 0), QSizeF(size));

  QLinearGradient wash(area.topLeft(), area.bottomRight());
  wash.setColorAt(0.0, srgb(0.06, 0.09, 0.16, 0.44));
  wash.setColorAt(0.5, srgb(0.08, 0.11, 0.2, 0.36));
  wash.setColorAt(1.0, srgb(0.04, 0.06, 0.12, 0.52));
  painter.fillRect(area, wash);

  const double w = area.width();
  const double h = area.height();
  paintGlow(painter, QPointF(0.22 * w, 0.2 * h), 480, 0.35, 0.72, 1.0, 0.13, 0.04);
  paintGlow(painter, QPointF(0.78 * w, 0.8 * h), 500, 0.68, 0.45, 1.0, 0.11, 0.03);
  painter.end();
  return image;
}

const QImage& VitrelAmbientBackdrop::layer() {
  const qreal ratio = devicePixelRatioF();
  if (layer_.isNull() || layer_.size() != pixelSize(size(), ratio) ||
      layer_.devicePixelRatio() != ratio) {
    layer_ = renderLayer(size(), ratio);
    ++layerRenders_;
  }
  return layer_;
}

const QImage& VitrelAmbientBackdrop::composite() {
  const QImage& desktop = blur_->effectImage();
  const QImage& wash = layer();
  if (!composite_.isNull() && compositeSource_ == desktop.cacheKey() &&
      composite_.size() == wash.size()) {
    return composite_;
  }
  composite_ = desktop.copy();
  composite_.setDevicePixelRatio(wash.devicePixelRatio());
  QPainter painter(&composite_);
  painter.drawImage(QPointF(0, 0), wash);
  painter.end();
  compositeSource_ = desktop.cacheKey();
  return composite_;
}

void VitrelAmbientBackdrop::paintEvent(QPaintEvent* event) {
  paintExposedImage(*this, *event, composite());
}

}  // namespace calyxa
