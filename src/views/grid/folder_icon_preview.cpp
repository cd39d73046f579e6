#include "views/grid/folder_icon_preview.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "views/effects/desktop_snapshot.h"
#include "views/effects/glass_shape.h"
#include "views/view_style.h"

namespace calyxa {

std::vector<QRectF> FolderIconPreview::miniIconFrames(double side, int appCount) {
  const int shown = std::min(appCount, kMaxMiniIcons);
  const double mini = (side - 2 * kInset) / 3;
  const double pitch = mini + kSpacing;
  const int rows = (shown + 2) / 3;
  const double gridWidth = 3 * mini + 2 * kSpacing;
  const double gridHeight = rows * mini + std::max(0, rows - 1) * kSpacing;
  const double left = (side - gridWidth) / 2;
  const double top = (side - gridHeight) / 2;
  std::vector<QRectF> frames;
  for (int i = 0; i < shown; ++i) {
    frames.emplace_back(left + (i % 3) * pitch, top + (i / 3) * pitch, mini, mini);
  }
  return frames;
}

QImage FolderIconPreview::render(
    const LaunchFolder& folder, double side, bool hovered, qreal devicePixelRatio,
    const std::function<QImage(const AppItem&, int pixelSize)>& miniIcon) {
  const double full = side + 2 * kShadowMargin;
  const int pixels = static_cast<int>(std::ceil(full * devicePixelRatio));
  QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(devicePixelRatio);
  image.fill(Qt::transparent);
  const QRectF tile(kShadowMargin, kShadowMargin, side, side);
  const GlassShape shape =
      GlassShape::roundedRectangle(side * 0.25, GlassShape::CornerStyle::continuous);

  // The shadow: the tile's outline in black, softened, 5 points down.
  {
    QImage shadow(image.size(), QImage::Format_ARGB32_Premultiplied);
    shadow.setDevicePixelRatio(devicePixelRatio);
    shadow.fill(Qt::transparent);
    QPainter p(&shadow);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(shape.path(tile.translated(0, 5)), QColor(0, 0, 0, 82));
    p.end();
    QImage soft = blurImage(shadow, 8.0 * devicePixelRatio / 2.0);
    soft.setDevicePixelRatio(devicePixelRatio);
    QPainter onto(&image);
    onto.drawImage(QPointF(0, 0), soft);
  }

  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  const QPainterPath outline = shape.path(tile);
  QLinearGradient fill(tile.topLeft(), tile.bottomRight());
  fill.setColorAt(0.0, white(hovered ? 0.32 : 0.22));
  fill.setColorAt(0.5, srgb(0.25, 0.35, 0.5, 0.35));
  fill.setColorAt(1.0, white(0.12));
  painter.fillPath(outline, fill);

  QLinearGradient border(tile.topLeft(), tile.bottomRight());
  border.setColorAt(0.0, white(0.8));
  border.setColorAt(0.5, white(0.15));
  border.setColorAt(1.0, white(0.4));
  QPen pen(QBrush(border), 1.15);
  pen.setMiterLimit(10);
  painter.setPen(pen);
  painter.drawPath(shape.inset(1.15 / 2).path(tile));

  const std::vector<QRectF> frames = miniIconFrames(side, static_cast<int>(folder.apps.size()));
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const QRectF frame = frames[i].translated(tile.topLeft());
    const QImage icon =
        miniIcon ? miniIcon(folder.apps[i],
                            static_cast<int>(std::ceil(frame.width() * devicePixelRatio)))
                 : QImage();
    if (icon.isNull()) {
      painter.setPen(Qt::NoPen);
      painter.setBrush(white(0.18));
      painter.drawRoundedRect(frame, frame.width() * 0.22, frame.width() * 0.22);
    } else {
      painter.drawImage(frame, icon);
    }
  }
  painter.end();
  return image;
}

}  // namespace calyxa
