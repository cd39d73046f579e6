#include "render_harness.h"

#include <algorithm>
#include <cstdlib>

namespace calyxa::testing {

QImage renderWidget(QWidget& widget, QSize size, qreal devicePixelRatio, QColor background) {
  widget.resize(size);
  QImage image((QSizeF(size) * devicePixelRatio).toSize(), QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(devicePixelRatio);
  image.fill(background);
  widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
  return image;
}

QImage renderPainting(QSize size, const std::function<void(QPainter&)>& paint, QColor background,
                      qreal devicePixelRatio) {
  QImage image((QSizeF(size) * devicePixelRatio).toSize(), QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(devicePixelRatio);
  image.fill(background);
  QPainter painter(&image);
  paint(painter);
  painter.end();
  return image;
}

std::filesystem::path saveRender(const QImage& image, const std::string& name) {
  const std::filesystem::path folder(CALYXA_RENDER_DIR);
  std::filesystem::create_directories(folder);
  const auto path = folder / (name + ".png");
  image.save(QString::fromStdString(path.string()), "PNG");
  return path;
}

QColor colourAt(const QImage& image, QPointF point) {
  const qreal ratio = image.devicePixelRatio();
  const int x = std::clamp(static_cast<int>(point.x() * ratio), 0, image.width() - 1);
  const int y = std::clamp(static_cast<int>(point.y() * ratio), 0, image.height() - 1);
  return image.pixelColor(x, y);
}

double brightness(const QColor& colour) {
  const double a = colour.alphaF();
  return a * (0.2126 * colour.redF() + 0.7152 * colour.greenF() + 0.0722 * colour.blueF());
}

int largestDifference(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return 255;
  const QImage left = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  const QImage right = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  int largest = 0;
  for (int y = 0; y < left.height(); ++y) {
    const auto* l = reinterpret_cast<const QRgb*>(left.constScanLine(y));
    const auto* r = reinterpret_cast<const QRgb*>(right.constScanLine(y));
    for (int x = 0; x < left.width(); ++x) {
      for (int shift = 0; shift < 32; shift += 8) {
        const int dl = static_cast<int>((l[x] >> shift) & 0xFF);
        const int dr = static_cast<int>((r[x] >> shift) & 0xFF);
        largest = std::max(largest, std::abs(dl - dr));
      }
    }
  }
  return largest;
}

double maxBrightness(const QImage& image, const QRectF& area) {
  const qreal ratio = image.devicePixelRatio();
  const QRect pixels =
      QRectF(area.topLeft() * ratio, area.size() * ratio).toAlignedRect() & image.rect();
  double best = 0.0;
  for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
    for (int x = pixels.left(); x <= pixels.right(); ++x)
      best = std::max(best, brightness(image.pixelColor(x, y)));
  }
  return best;
}

}  // namespace calyxa::testing
