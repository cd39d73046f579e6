#include "platform/qt/generic_icon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <functional>

#include "platform/qt/qt_image.h"

namespace calyxa {
namespace {

class GenericIconContent final : public ImageContent {
 public:
  explicit GenericIconContent(std::string seed) : seed_(std::move(seed)) {}
  RasterImage render(int width, int height) const override {
    return toRasterImage(drawGenericApplicationIcon(QSize(width, height), seed_));
  }

 private:
  std::string seed_;
};

}  // namespace

QImage drawGenericApplicationIcon(QSize pixels, const std::string& seed) {
  if (pixels.isEmpty()) return {};
  QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);

  const qreal side = std::min(pixels.width(), pixels.height());
  const QRectF tile(QPointF((pixels.width() - side) / 2.0 + side * 0.08,
                            (pixels.height() - side) / 2.0 + side * 0.08),
                    QSizeF(side * 0.84, side * 0.84));
  const float hue = static_cast<float>(std::hash<std::string>{}(seed) % 360) / 360.0f;
  QLinearGradient fill(tile.topLeft(), tile.bottomLeft());
  fill.setColorAt(0.0, QColor::fromHsvF(hue, 0.45f, 0.95f));
  fill.setColorAt(1.0, QColor::fromHsvF(hue, 0.65f, 0.7f));
  painter.setPen(Qt::NoPen);
  painter.setBrush(fill);
  painter.drawRoundedRect(tile, tile.width() * 0.225, tile.height() * 0.225);

  // A two-by-two grid of rounded squares: "an application".
  const qreal cell = tile.width() * 0.2;
  const qreal gap = tile.width() * 0.08;
  const QPointF origin = tile.center() - QPointF(cell + gap / 2, cell + gap / 2);
  painter.setBrush(QColor(255, 255, 255, 225));
  for (int row = 0; row < 2; ++row) {
    for (int column = 0; column < 2; ++column) {
      const QRectF square(origin + QPointF(column * (cell + gap), row * (cell + gap)),
                          QSizeF(cell, cell));
      painter.drawRoundedRect(square, cell * 0.28, cell * 0.28);
    }
  }
  painter.end();
  return image;
}

Image qtGenericApplicationIcon(const std::string& seed, double edge) {
  return Image(edge, edge, std::make_shared<GenericIconContent>(seed));
}

}  // namespace calyxa
