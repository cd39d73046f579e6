#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <functional>

#include "views/effects/glass_shape.h"

namespace calyxa {

// Where the pointer is, for glass that reacts to it.
struct GlassInteraction {
  bool hovered = false;
  bool pressed = false;
  QPointF pointer;  // in the painter's coordinates
  bool operator==(const GlassInteraction&) const = default;
};

// The frosted glass of every panel, row and button. From back to front: the base gradient in
// the shape, the glass material, the content, the inner border. A view paints the layers under
// its content with paintBackground and the border over it with paintBorder (or both around a
// content callback with paint).
//
// The glass material is translucent film: it samples nothing behind it. Everything under glass
// in the overlay is the backdrop, already blurred and made of soft gradients, so a second blur
// would look the same at a cost per frame.
struct VantorelModifier {
  GlassShape shape = GlassShape::capsule();
  QColor tintColor = Qt::white;
  double tintOpacity = 0.08;
  bool interactive = true;
  double strokeWidth = 1.0;

  void paintBackground(QPainter& painter, const QRectF& rect,
                       const GlassInteraction& interaction = {}) const;
  void paintBorder(QPainter& painter, const QRectF& rect) const;
  void paint(QPainter& painter, const QRectF& rect,
             const std::function<void(QPainter&)>& content = {},
             const GlassInteraction& interaction = {}) const;

  bool operator==(const VantorelModifier&) const = default;
};

// A glass surface's two layers kept as pictures, one cache per surface. A layer is redrawn only
// when the modifier, the surface's size, the device pixel ratio or (for interactive glass) the
// pointer changes; a frame of a still surface copies two small pictures. Placed on whole device
// pixels, the pictures match direct painting to within rounding.
class VantorelCache {
 public:
  void paintBackground(QPainter& painter, const VantorelModifier& modifier, const QRectF& rect,
                       const GlassInteraction& interaction = {});
  void paintBorder(QPainter& painter, const VantorelModifier& modifier, const QRectF& rect);
  void paint(QPainter& painter, const VantorelModifier& modifier, const QRectF& rect,
             const std::function<void(QPainter&)>& content = {},
             const GlassInteraction& interaction = {});
  // Layers drawn so far.
  int renders() const { return renders_; }

 private:
  struct Layer {
    VantorelModifier modifier;
    QSizeF size;
    qreal ratio = 0.0;
    GlassInteraction interaction;
    QImage image;
  };
  void paintLayer(Layer& layer, bool background, QPainter& painter,
                  const VantorelModifier& modifier, const QRectF& rect,
                  const GlassInteraction& interaction);

  Layer background_;
  Layer border_;
  int renders_ = 0;
};

// The glass of a surface in the given shape, tinted `tint` at `tintOpacity`.
inline VantorelModifier vantorel(GlassShape in, QColor tint, double tintOpacity,
                                 bool interactive = true, double strokeWidth = 1.0) {
  return VantorelModifier{in, tint, tintOpacity, interactive, strokeWidth};
}

}  // namespace calyxa
