// Temporary stand-in until the real glyphs are merged: a few strokes per symbol.
#include "views/symbols/symbol_glyph.h"

#include <QPainterPath>

namespace calyxa {

void paintSymbol(QPainter& painter, std::string_view name, const QRectF& box, const QColor& color,
                 SymbolWeight weight) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  const double w = box.width();
  QPen pen(color, std::max(1.0, w * (0.08 + 0.02 * static_cast<int>(weight))));
  pen.setCapStyle(Qt::RoundCap);
  pen.setJoinStyle(Qt::RoundJoin);
  painter.setPen(pen);
  const QRectF b = box.adjusted(w * 0.12, w * 0.12, -w * 0.12, -w * 0.12);
  if (name.starts_with("chevron")) {
    const bool left = name.find("left") != std::string_view::npos;
    QPainterPath path;
    const double x0 = left ? b.right() - b.width() * 0.3 : b.left() + b.width() * 0.3;
    const double x1 = left ? b.left() + b.width() * 0.3 : b.right() - b.width() * 0.3;
    path.moveTo(x0, b.top());
    path.lineTo(x1, b.center().y());
    path.lineTo(x0, b.bottom());
    painter.drawPath(path);
  } else if (name.starts_with("xmark")) {
    painter.setBrush(color);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(b);
    painter.setCompositionMode(QPainter::CompositionMode_DestinationOut);
    painter.setPen(QPen(Qt::black, pen.widthF()));
    const QRectF c = b.adjusted(w * 0.25, w * 0.25, -w * 0.25, -w * 0.25);
    painter.drawLine(c.topLeft(), c.bottomRight());
    painter.drawLine(c.topRight(), c.bottomLeft());
  } else if (name.starts_with("magnifyingglass") || name == "sparkle.magnifyingglass") {
    const QRectF lens(b.left(), b.top(), b.width() * 0.7, b.height() * 0.7);
    painter.drawEllipse(lens);
    painter.drawLine(lens.center() + QPointF(lens.width() * 0.36, lens.height() * 0.36),
                     b.bottomRight());
  } else {
    painter.drawEllipse(b.adjusted(w * 0.1, w * 0.1, -w * 0.1, -w * 0.1));
  }
  painter.restore();
}

}  // namespace calyxa
