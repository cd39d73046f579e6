#include "views/painted_button.h"

#include <QPainter>

namespace calyxa {

PaintedButton::PaintedButton(Painter paint, QWidget* parent)
    : QAbstractButton(parent), paint_(std::move(paint)), tracker_(this) {
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::NoFocus);
}

void PaintedButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  paint_(painter, QRectF(QPointF(0, 0), QSizeF(size())), tracker_.interaction());
}

}  // namespace calyxa
