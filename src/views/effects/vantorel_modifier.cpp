#include "views/effects/vantorel_modifier.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>

namespace calyxa {
namespace {

QColor withOpacity(QColor colour, double opacity) {
  colour.setAlphaF(static_cast<float>(std::clamp(opacity, 0.0, 1.0) * colour.alphaF()));
  return colour;
}

QColor srgb(double r, double g, double b, double opacity) {
  return QColor::fromRgbF(static_cast<float>(r), static_cast<float>(g), static_cast<float>(b),
                          static_cast<float>(opacity));
}

QLinearGradient diagonal(const QRectF& rect) {
  return QLinearGradient(rect.topLeft(), rect.bottomRight());
}

// The translucent material of the glass: a light film, a little brighter at the top.
void paintMaterial(QPainter& painter, const QRectF& rect, const QPainterPath& outline) {
  QLinearGradient film(rect.topLeft(), rect.bottomLeft());
  film.setColorAt(0.0, srgb(1, 1, 1, 0.10));
  film.setColorAt(0.5, srgb(1, 1, 1, 0.05));
  film.setColorAt(1.0, srgb(1, 1, 1, 0.04));
  painter.fillPath(outline, film);
}

void paintInteraction(QPainter& painter, const QRectF& rect, const QPainterPath& outline,
                      const GlassInteraction& interaction) {
  if (!interaction.hovered && !interaction.pressed) return;
  const double reach = std::max(rect.width(), rect.height()) * 0.6;
  QRadialGradient glow(interaction.pointer, reach);
  const double strength = interaction.pressed ? 0.16 : 0.09;
  glow.setColorAt(0.0, srgb(1, 1, 1, strength));
  glow.setColorAt(1.0, srgb(1, 1, 1, 0.0));
  painter.fillPath(outline, glow);
}

}  // namespace

void VantorelModifier::paintBackground(QPainter& painter, const QRectF& rect,
                                       const GlassInteraction& interaction) const {
  const QPainterPath outline = shape.path(rect);
  if (outline.isEmpty()) return;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);

  QLinearGradient base = diagonal(rect);
  base.setColorAt(0.0, srgb(1, 1, 1, 0.16));
  base.setColorAt(1.0 / 3.0, withOpacity(tintColor, tintOpacity));
  base.setColorAt(2.0 / 3.0, srgb(0.55, 0.8, 1.0, 0.05));
  base.setColorAt(1.0, srgb(1, 1, 1, 0.03));
  painter.fillPath(outline, base);

  paintMaterial(painter, rect, outline);
  if (interactive) paintInteraction(painter, rect, outline, interaction);
  painter.restore();
}

void VantorelModifier::paintBorder(QPainter& painter, const QRectF& rect) const {
  if (strokeWidth <= 0) return;
  const QPainterPath outline = shape.inset(strokeWidth / 2.0).path(rect);
  if (outline.isEmpty()) return;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient border = diagonal(rect);
  border.setColorAt(0.0, srgb(1, 1, 1, 0.7));
  border.setColorAt(0.3, srgb(0.78, 0.93, 1.0, 0.3));
  border.setColorAt(0.65, srgb(1, 1, 1, 0.08));
  border.setColorAt(1.0, srgb(1, 1, 1, 0.4));
  QPen pen(QBrush(border), strokeWidth);
  pen.setJoinStyle(Qt::RoundJoin);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(outline);
  painter.restore();
}

void VantorelModifier::paint(QPainter& painter, const QRectF& rect,
                             const std::function<void(QPainter&)>& content,
                             const GlassInteraction& interaction) const {
  paintBackground(painter, rect, interaction);
  if (content) content(painter);
  paintBorder(painter, rect);
}

void VantorelCache::paintLayer(Layer& layer, bool background, QPainter& painter,
                               const VantorelModifier& modifier, const QRectF& rect,
                               const GlassInteraction& interaction) {
  const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
  // The pointer matters only to interactive glass, and only where it is on the surface.
  GlassInteraction relative;
  if (background && modifier.interactive && (interaction.hovered || interaction.pressed)) {
    relative = interaction;
    relative.pointer -= rect.topLeft();
  }
  if (layer.image.isNull() || !(layer.modifier == modifier) || layer.size != rect.size() ||
      layer.ratio != ratio || !(layer.interaction == relative)) {
    const QSize pixels(static_cast<int>(std::ceil(rect.width() * ratio)),
                       static_cast<int>(std::ceil(rect.height() * ratio)));
    layer.image = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    layer.image.setDevicePixelRatio(ratio);
    layer.image.fill(Qt::transparent);
    QPainter offscreen(&layer.image);
    const QRectF local(QPointF(0, 0), rect.size());
    if (background) {
      modifier.paintBackground(offscreen, local, relative);
    } else {
      modifier.paintBorder(offscreen, local);
    }
    offscreen.end();
    layer.modifier = modifier;
    layer.size = rect.size();
    layer.ratio = ratio;
    layer.interaction = relative;
    ++renders_;
  }
  painter.drawImage(rect.topLeft(), layer.image);
}

void VantorelCache::paintBackground(QPainter& painter, const VantorelModifier& modifier,
                                    const QRectF& rect, const GlassInteraction& interaction) {
  paintLayer(background_, true, painter, modifier, rect, interaction);
}

void VantorelCache::paintBorder(QPainter& painter, const VantorelModifier& modifier,
                                const QRectF& rect) {
  paintLayer(border_, false, painter, modifier, rect, {});
}

void VantorelCache::paint(QPainter& painter, const VantorelModifier& modifier, const QRectF& rect,
                          const std::function<void(QPainter&)>& content,
                          const GlassInteraction& interaction) {
  paintBackground(painter, modifier, rect, interaction);
  if (content) content(painter);
  paintBorder(painter, modifier, rect);
}

}  // namespace calyxa
