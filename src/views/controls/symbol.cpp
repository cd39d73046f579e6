#include "views/controls/symbol.h"

#include <QPainterPath>
#include <cmath>
#include <numbers>

namespace calyxa {
namespace {

double strokeFor(SymbolStroke weight) {
  switch (weight) {
    case SymbolStroke::light:
      return 0.07;
    case SymbolStroke::regular:
      return 0.09;
    case SymbolStroke::medium:
      return 0.1;
    case SymbolStroke::semibold:
      return 0.115;
    case SymbolStroke::bold:
      return 0.13;
  }
  return 0.09;
}

// Outlines on a unit square, scaled to the box by the caller.
QPainterPath folder() {
  QPainterPath p;
  p.addRoundedRect(QRectF(0.06, 0.3, 0.88, 0.56), 0.08, 0.08);
  p.addRoundedRect(QRectF(0.06, 0.2, 0.38, 0.2), 0.06, 0.06);
  return p.simplified();
}

QPainterPath gear(QPointF centre, double radius) {
  QPainterPath p;
  constexpr int teeth = 8;
  for (int i = 0; i < teeth * 2; ++i) {
    const double angle = i * std::numbers::pi / teeth;
    const double r = i % 2 == 0 ? radius : radius * 0.78;
    const QPointF at = centre + QPointF(std::cos(angle) * r, std::sin(angle) * r);
    i == 0 ? p.moveTo(at) : p.lineTo(at);
  }
  p.closeSubpath();
  QPainterPath hole;
  hole.addEllipse(centre, radius * 0.35, radius * 0.35);
  return p.subtracted(hole);
}

QPainterPath stack() {
  QPainterPath p;
  p.addRoundedRect(QRectF(0.12, 0.3, 0.76, 0.58), 0.1, 0.1);
  p.addRoundedRect(QRectF(0.2, 0.18, 0.6, 0.08), 0.04, 0.04);
  p.addRoundedRect(QRectF(0.28, 0.08, 0.44, 0.07), 0.03, 0.03);
  QPainterPath star;
  star.moveTo(0.5, 0.42);
  star.quadTo(0.53, 0.56, 0.64, 0.59);
  star.quadTo(0.53, 0.62, 0.5, 0.76);
  star.quadTo(0.47, 0.62, 0.36, 0.59);
  star.quadTo(0.47, 0.56, 0.5, 0.42);
  return p.simplified().subtracted(star);
}

QPainterPath hand() {
  QPainterPath p;
  p.addRoundedRect(QRectF(0.24, 0.42, 0.56, 0.48), 0.2, 0.2);
  for (int i = 0; i < 4; ++i)
    p.addRoundedRect(QRectF(0.24 + i * 0.145, 0.12 + (i == 0 || i == 3 ? 0.08 : 0.0), 0.12, 0.46),
                     0.06, 0.06);
  p.addRoundedRect(QRectF(0.08, 0.46, 0.3, 0.12), 0.06, 0.06);
  return p.simplified();
}

}  // namespace

void drawSymbol(QPainter& painter, std::string_view name, const QRectF& box, const QColor& color,
                SymbolStroke weight) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.translate(box.topLeft());
  painter.scale(box.width(), box.height());
  QPen pen(color, strokeFor(weight), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  const auto stroke = [&](const QPainterPath& path) {
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
  };
  const auto fill = [&](const QPainterPath& path) { painter.fillPath(path, color); };
  const auto circle = [](double inset = 0.06) {
    QPainterPath p;
    p.addEllipse(QRectF(inset, inset, 1 - 2 * inset, 1 - 2 * inset));
    return p;
  };
  const auto bar = [](double x1, double y1, double x2, double y2, double width) {
    QPainterPath line;
    line.moveTo(x1, y1);
    line.lineTo(x2, y2);
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    return stroker.createStroke(line);
  };
  const double w = strokeFor(weight);

  if (name == "folder.fill") {
    fill(folder());
  } else if (name == "folder.badge.gearshape") {
    fill(folder().subtracted(circle(0.0).translated(0.28, 0.28)));
    fill(gear({0.78, 0.78}, 0.2));
  } else if (name == "folder.badge.minus") {
    fill(folder().subtracted(circle(0.0).translated(0.3, 0.3)));
    fill(bar(0.66, 0.8, 0.92, 0.8, 0.1));
  } else if (name == "pencil") {
    stroke(bar(0.2, 0.8, 0.78, 0.22, 0.16));
  } else if (name == "xmark") {
    fill(bar(0.2, 0.2, 0.8, 0.8, w * 1.4).united(bar(0.8, 0.2, 0.2, 0.8, w * 1.4)));
  } else if (name == "plus.circle.fill") {
    fill(circle().subtracted(bar(0.3, 0.5, 0.7, 0.5, 0.1).united(bar(0.5, 0.3, 0.5, 0.7, 0.1))));
  } else if (name == "minus.circle.fill") {
    fill(circle().subtracted(bar(0.3, 0.5, 0.7, 0.5, 0.12)));
  } else if (name == "arrow.right") {
    QPainterPath p = bar(0.14, 0.5, 0.84, 0.5, w * 1.3);
    p = p.united(bar(0.84, 0.5, 0.56, 0.22, w * 1.3)).united(bar(0.84, 0.5, 0.56, 0.78, w * 1.3));
    fill(p);
  } else if (name == "arrow.clockwise") {
    QPainterPath arc;
    arc.arcMoveTo(QRectF(0.16, 0.16, 0.68, 0.68), 70);
    arc.arcTo(QRectF(0.16, 0.16, 0.68, 0.68), 70, -320);
    stroke(arc);
    QPainterPath head;
    head.moveTo(0.5, 0.02);
    head.lineTo(0.72, 0.16);
    head.lineTo(0.5, 0.3);
    head.closeSubpath();
    fill(head);
  } else if (name == "power" || name == "power.circle.fill") {
    QPainterPath arc;
    arc.arcMoveTo(QRectF(0.2, 0.22, 0.6, 0.6), 60);
    arc.arcTo(QRectF(0.2, 0.22, 0.6, 0.6), 60, 300);
    QPainterPathStroker stroker;
    stroker.setWidth(name == "power" ? w * 1.2 : 0.1);
    stroker.setCapStyle(Qt::RoundCap);
    const QPainterPath mark =
        stroker.createStroke(arc).united(bar(0.5, 0.14, 0.5, 0.5, stroker.width()));
    if (name == "power") {
      fill(mark);
    } else {
      fill(circle(0.02).subtracted(mark.translated(0, 0.02)));
    }
  } else if (name == "gearshape.fill") {
    fill(gear({0.5, 0.5}, 0.44));
  } else if (name == "gearshape.2.fill") {
    fill(gear({0.38, 0.4}, 0.34).united(gear({0.76, 0.76}, 0.22)));
  } else if (name == "square.grid.3x3.topleft.filled") {
    for (int row = 0; row < 3; ++row)
      for (int column = 0; column < 3; ++column) {
        QPainterPath cell;
        cell.addRoundedRect(QRectF(0.08 + column * 0.3, 0.08 + row * 0.3, 0.24, 0.24), 0.05, 0.05);
        row == 0 && column == 0 ? fill(cell) : stroke(cell);
      }
  } else if (name == "sparkles.rectangle.stack.fill") {
    fill(stack());
  } else if (name == "hand.pinch.fill" || name == "hand.raised.fill") {
    fill(hand());
  } else {
    fill(circle(0.18));
  }
  painter.restore();
}

}  // namespace calyxa
