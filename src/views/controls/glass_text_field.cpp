#include "views/controls/glass_text_field.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QRegularExpression>
#include <cmath>

#include "views/controls/glass_tints.h"

namespace calyxa {

GlassTextField::GlassTextField(Look look, QWidget* parent)
    : QWidget(parent), look_(std::move(look)), edit_(new QLineEdit(this)) {
  edit_->setFrame(false);
  edit_->setFont(look_.font);
  edit_->setPlaceholderText(look_.placeholder);
  edit_->setAccessibleName(look_.placeholder);
  edit_->setAttribute(Qt::WA_MacShowFocusRect, false);
  edit_->setContextMenuPolicy(Qt::DefaultContextMenu);
  QPalette palette = edit_->palette();
  palette.setColor(QPalette::Base, Qt::transparent);
  palette.setColor(QPalette::Text, Qt::white);
  palette.setColor(QPalette::PlaceholderText, white(0.45));
  palette.setColor(QPalette::Highlight, srgb(0.3, 0.6, 1.0, 0.55));
  palette.setColor(QPalette::HighlightedText, Qt::white);
  edit_->setPalette(palette);
  edit_->setStyleSheet("QLineEdit { background: transparent; border: none; padding: 0; }");
  edit_->installEventFilter(this);
  setFocusProxy(edit_);
  connect(edit_, &QLineEdit::textEdited, this, [this](const QString& text) { edited(text); });
  connect(edit_, &QLineEdit::returnPressed, this, [this] {
    if (onSubmit) onSubmit(edit_->text());
  });
}

void GlassTextField::setText(const QString& text) {
  if (edit_->text() == text) return;
  edit_->setText(text);
  // The start of a long name is what tells it apart.
  edit_->setCursorPosition(edit_->hasFocus() ? edit_->cursorPosition() : 0);
}

void GlassTextField::edited(const QString& text) {
  static const QRegularExpression lineBreaks("[\\r\\n\\x{2028}\\x{2029}\\x{0085}]+");
  QString oneLine = text;
  if (oneLine.contains(lineBreaks)) {
    const int cursor = edit_->cursorPosition();
    oneLine.replace(lineBreaks, " ");
    edit_->setText(oneLine);
    edit_->setCursorPosition(std::min(cursor, static_cast<int>(oneLine.size())));
  }
  if (onEdited) onEdited(oneLine);
}

VantorelModifier GlassTextField::glass() const {
  const bool focused = edit_->hasFocus();
  return vantorel(GlassShape::capsule(), focused ? cyanTint() : QColor(Qt::white),
                  focused ? 0.18 : 0.08, true, focused ? 1.2 : 0.8);
}

QSize GlassTextField::sizeHint() const {
  const QFontMetricsF metrics(look_.font);
  const double height = std::max({metrics.height(), look_.leadingPoints, look_.trailingPoints});
  return QSize(340, static_cast<int>(std::ceil(height + 2 * look_.insetY)));
}

void GlassTextField::resizeEvent(QResizeEvent*) {
  double left = look_.insetX;
  if (!look_.leadingSymbol.empty()) left += look_.leadingPoints + look_.spacing;
  double right = look_.insetX;
  if (!look_.trailingSymbol.empty()) right += look_.trailingPoints + look_.spacing;
  const int editHeight = static_cast<int>(std::ceil(QFontMetricsF(look_.font).height())) + 4;
  edit_->setGeometry(static_cast<int>(left), (height() - editHeight) / 2,
                     std::max(0, static_cast<int>(width() - left - right)), editHeight);
}

void GlassTextField::mousePressEvent(QMouseEvent* event) {
  // A click on the capsule around the text still means the text.
  edit_->setFocus(Qt::MouseFocusReason);
  QWidget::mousePressEvent(event);
}

bool GlassTextField::eventFilter(QObject* watched, QEvent* event) {
  if (watched == edit_ && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
    update();
  return QWidget::eventFilter(watched, event);
}

void GlassTextField::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF bounds(rect());
  const VantorelModifier modifier = glass();
  cache_.paintBackground(painter, modifier, bounds, pointer_.interaction());
  const double centreY = bounds.center().y();
  if (!look_.leadingSymbol.empty()) {
    const double s = look_.leadingPoints;
    paintSymbol(painter, look_.leadingSymbol, QRectF(look_.insetX, centreY - s / 2, s, s),
                look_.leadingColor);
  }
  if (!look_.trailingSymbol.empty()) {
    const double s = look_.trailingPoints;
    paintSymbol(painter, look_.trailingSymbol,
                QRectF(bounds.right() - look_.insetX - s, centreY - s / 2, s, s),
                look_.trailingColor, SymbolWeight::semibold);
  }
  cache_.paintBorder(painter, modifier, bounds);
}

}  // namespace calyxa
