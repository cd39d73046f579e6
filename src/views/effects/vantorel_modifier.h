#pragma once

#include <QColor>
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
};

// The glass of a surface in the given shape, tinted `tint` at `tintOpacity`.
inline VantorelModifier vantorel(GlassShape in, QColor tint, double tintOpacity,
                                 bool interactive = true, double strokeWidth = 1.0) {
  return VantorelModifier{in, tint, tintOpacity, interactive, strokeWidth};
}

}  // namespace calyxa
