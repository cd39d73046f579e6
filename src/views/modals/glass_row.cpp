#include "views/modals/glass_row.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>
#include <cmath>

#include "views/controls/glass_tints.h"
#include "views/symbols/symbol_glyph.h"

namespace calyxa {
namespace {

constexpr double kInset = 14;
constexpr double kSpacing = 14;
constexpr double kIconSquare = 38;
constexpr double kTrailingSpacing = 8;
constexpr double kBadgeGap = 8;

QFont titleFont() {
  return interfaceFont(13.5, QFont::DemiBold);
}
QFont descriptionFont() {
  return interfaceFont(11.5, QFont::Normal);
}

VantorelModifier rowGlass() {
  return vantorel(GlassShape::roundedRectangle(18, GlassShape::CornerStyle::continuous), Qt::white,
                  0.08);
}

// The height of `text` wrapped to `width` in `font`.
double wrappedHeight(const QString& text, const QFont& font, double width) {
  if (text.isEmpty()) return 0;
  const QFontMetricsF metrics(font);
  return metrics.boundingRect(QRectF(0, 0, std::max(1.0, width), 1e6), Qt::TextWordWrap, text)
      .height();
}

}  // namespace

StatusBadge StatusBadge::permission(bool granted) {
  if (granted) {
    return {srgb(0.2, 0.95, 0.55),
            "已授权",
            interfaceFont(10.5, QFont::Bold),
            srgb(0.35, 0.98, 0.65),
            srgb(0.15, 0.78, 0.45, 0.22),
            srgb(0.3, 0.95, 0.6, 0.45)};
  }
  return {srgb(1.0, 0.26, 0.26),     "未授权",   interfaceFont(10.5, QFont::DemiBold), white(0.62),
          srgb(0.5, 0.5, 0.5, 0.28), white(0.16)};
}

StatusBadge StatusBadge::loginItem(bool enabled) {
  if (enabled) {
    return {srgb(0.2, 0.95, 0.55),
            "已开启",
            interfaceFont(10.5, QFont::Bold),
            srgb(0.35, 0.98, 0.65),
            srgb(0.15, 0.78, 0.45, 0.22),
            srgb(0.3, 0.95, 0.6, 0.45)};
  }
  return {white(0.45),
          "未开启",
          interfaceFont(10.5, QFont::DemiBold),
          white(0.62),
          srgb(0.5, 0.5, 0.5, 0.28),
          white(0.16)};
}

QSizeF StatusBadge::size() const {
  const QFontMetricsF metrics(font);
  return {8 + 6 + 4 + metrics.horizontalAdvance(text) + 8, metrics.height() + 5};
}

void StatusBadge::paint(QPainter& painter, const QPointF& topLeft) const {
  const QRectF box(topLeft, size());
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(border, 0.7));
  painter.setBrush(fill);
  painter.drawRoundedRect(box.adjusted(0.35, 0.35, -0.35, -0.35), box.height() / 2,
                          box.height() / 2);
  painter.setPen(Qt::NoPen);
  painter.setBrush(dot);
  painter.drawEllipse(QRectF(box.left() + 8, box.center().y() - 3, 6, 6));
  painter.setPen(textColor);
  painter.setFont(font);
  painter.drawText(QRectF(box.left() + 18, box.top(), box.width() - 18, box.height()),
                   Qt::AlignLeft | Qt::AlignVCenter, text);
  painter.restore();
}

GlassRow::GlassRow(QWidget* parent) : QWidget(parent) {}

void GlassRow::setContent(Content content) {
  content_ = std::move(content);
  setAccessibleName(content_.title);
  setAccessibleDescription(content_.description);
  updateGeometry();
  update();
}

void GlassRow::addTrailing(QWidget* control) {
  control->setParent(this);
  trailing_.push_back(control);
  placeTrailing();
}

double GlassRow::trailingWidth() const {
  double width = 0;
  for (const QWidget* control : trailing_) {
    if (control->isHidden()) continue;
    width += (width > 0 ? kTrailingSpacing : 0) + control->sizeHint().width();
  }
  return width;
}

GlassRow::Geometry GlassRow::geometryFor(int width) const {
  Geometry g;
  g.icon = QRectF(kInset, kInset, kIconSquare, kIconSquare);
  const double trailing = trailingWidth();
  const double left = kInset + kIconSquare + kSpacing;
  g.textRight = width - kInset - (trailing > 0 ? trailing + kSpacing : 0);
  const double textWidth = std::max(40.0, g.textRight - left);
  const QFontMetricsF titleMetrics(titleFont());
  // The title takes what the badge leaves of the line, elided if it must be.
  const QSizeF badge = content_.badge ? content_.badge->size() : QSizeF();
  const double badgeSpace = content_.badge ? badge.width() + kBadgeGap : 0;
  const double titleWidth = std::min(titleMetrics.horizontalAdvance(content_.title) + 1,
                                     std::max(0.0, textWidth - badgeSpace));
  const double lineHeight = std::max(titleMetrics.height(), badge.height());
  const double descriptionHeight =
      wrappedHeight(content_.description, descriptionFont(), textWidth);
  const double textHeight =
      lineHeight + (descriptionHeight > 0 ? content_.textSpacing + descriptionHeight : 0);
  const double contentHeight = std::max(kIconSquare, textHeight);
  const double top = kInset + (contentHeight - textHeight) / 2;
  g.icon.moveTop(kInset + (contentHeight - kIconSquare) / 2);
  g.title = QRectF(left, top, titleWidth, lineHeight);
  g.badge =
      content_.badge
          ? QRectF(QPointF(left + titleWidth + kBadgeGap, top + (lineHeight - badge.height()) / 2),
                   badge)
          : QRectF();
  g.description =
      QRectF(left, top + lineHeight + content_.textSpacing, textWidth, descriptionHeight);
  return g;
}

int GlassRow::heightForWidth(int width) const {
  const Geometry g = geometryFor(width);
  double trailing = 0;
  for (const QWidget* control : trailing_)
    if (!control->isHidden()) trailing = std::max<double>(trailing, control->sizeHint().height());
  const double content =
      std::max({g.icon.height(),
                g.description.isEmpty() ? g.title.height() : g.description.bottom() - g.title.top(),
                trailing});
  return static_cast<int>(std::ceil(content + 2 * kInset));
}

void GlassRow::resizeEvent(QResizeEvent*) {
  placeTrailing();
}

void GlassRow::placeTrailing() {
  double x = width() - kInset - trailingWidth();
  for (QWidget* control : trailing_) {
    if (control->isHidden()) continue;
    const QSize size = control->sizeHint();
    control->setGeometry(static_cast<int>(std::round(x)), (height() - size.height()) / 2,
                         size.width(), size.height());
    x += size.width() + kTrailingSpacing;
  }
  update();
}

void GlassRow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  const QRectF bounds(rect());
  const VantorelModifier glass = rowGlass();
  cache_.paintBackground(painter, glass, bounds);
  const Geometry g = geometryFor(width());

  painter.setPen(Qt::NoPen);
  painter.setBrush(white(0.08));
  painter.drawRoundedRect(g.icon, 10, 10);
  const double s = content_.symbolPoints;
  paintSymbol(painter, content_.symbol,
              QRectF(g.icon.center() - QPointF(s / 2, s / 2), QSizeF(s, s)), content_.symbolColor);

  painter.setFont(titleFont());
  painter.setPen(Qt::white);
  const QFontMetricsF titleMetrics(titleFont());
  painter.drawText(g.title, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   titleMetrics.elidedText(content_.title, Qt::ElideRight, g.title.width()));
  if (content_.badge) content_.badge->paint(painter, g.badge.topLeft());
  if (!content_.description.isEmpty()) {
    painter.setFont(descriptionFont());
    painter.setPen(white(0.66));
    painter.drawText(g.description.adjusted(0, 0, 0, 2),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, content_.description);
  }
  cache_.paintBorder(painter, glass, bounds);
}

}  // namespace calyxa
