#include "views/controls/glass_button.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace calyxa {

GlassButton::GlassButton(Look look, std::function<void()> action, QWidget* parent)
    : GlassControl(parent, QAccessible::Button),
      look_(std::move(look)),
      action_(std::move(action)) {
  setAccessibleName(look_.text);
  setFont(look_.font);
}

void GlassButton::setLook(Look look) {
  look_ = std::move(look);
  setAccessibleName(look_.text);
  setFont(look_.font);
  updateGeometry();
  update();
}

void GlassButton::activate() {
  if (action_) action_();
}

QSize GlassButton::sizeHint() const {
  const QFontMetricsF metrics(look_.font);
  double width = look_.text.isEmpty() ? 0.0 : metrics.horizontalAdvance(look_.text);
  double height = metrics.height();
  if (!look_.symbol.empty()) {
    const double symbol =
        look_.symbolPoints > 0 ? look_.symbolPoints : QFontInfo(look_.font).pixelSize();
    width += symbol + (look_.text.isEmpty() ? 0.0 : look_.spacing);
    height = std::max(height, symbol);
  }
  return QSize(static_cast<int>(std::ceil(width + 2 * look_.insetX)),
               static_cast<int>(std::ceil(height + 2 * look_.insetY)));
}

void GlassButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  const QRectF bounds = QRectF(rect());
  QPainterPath outline;
  if (look_.glass) {
    outline = look_.glass->shape.path(bounds.adjusted(1, 1, -1, -1));
    cache_.paintBackground(painter, *look_.glass, bounds, pointer_.interaction());
  } else if (look_.roundFill) {
    outline.addEllipse(bounds.adjusted(1, 1, -1, -1));
    QColor fill = *look_.roundFill;
    if (underMouse()) fill.setAlphaF(std::min(1.0f, fill.alphaF() * 1.6f));
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawEllipse(bounds);
  } else {
    outline.addRoundedRect(bounds.adjusted(1, 1, -1, -1), 6, 6);
  }

  // The label, centred; dimmed a little while pressed, as a plain button does.
  painter.setOpacity(isPressed() ? 0.6 : 1.0);
  const QFontMetricsF metrics(look_.font);
  const double symbol =
      look_.symbol.empty()
          ? 0.0
          : (look_.symbolPoints > 0 ? look_.symbolPoints : QFontInfo(look_.font).pixelSize());
  const double available = bounds.width() - 2 * look_.insetX;
  const double gap = symbol > 0 && !look_.text.isEmpty() ? look_.spacing : 0.0;
  const QString text =
      metrics.elidedText(look_.text, Qt::ElideRight, std::max(0.0, available - symbol - gap));
  const double textWidth = text.isEmpty() ? 0.0 : metrics.horizontalAdvance(text);
  const double total = symbol + gap + textWidth;
  double x = bounds.center().x() - total / 2;
  const double centreY = bounds.center().y();
  const auto drawIcon = [&] {
    paintSymbol(painter, look_.symbol, QRectF(x, centreY - symbol / 2, symbol, symbol),
                look_.textColor, look_.symbolWeight);
    x += symbol + gap;
  };
  if (symbol > 0 && !look_.symbolAfterText) drawIcon();
  if (!text.isEmpty()) {
    painter.setFont(look_.font);
    painter.setPen(look_.textColor);
    painter.drawText(QRectF(x, bounds.top(), textWidth + 1, bounds.height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    x += textWidth + gap;
  }
  if (symbol > 0 && look_.symbolAfterText) drawIcon();
  painter.setOpacity(1.0);

  if (look_.glass) cache_.paintBorder(painter, *look_.glass, bounds);
  paintFocusRing(painter, outline);
}

}  // namespace calyxa
