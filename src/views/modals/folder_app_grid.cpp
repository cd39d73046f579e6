#include "views/modals/folder_app_grid.h"

#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "views/controls/glass_tints.h"
#include "views/effects/desktop_snapshot.h"
#include "views/icon_raster_cache.h"
#include "views/symbols/symbol_glyph.h"

namespace calyxa {
namespace {

constexpr double kNameGap = 8;
constexpr double kBadge = 18;

QFont nameFont() {
  return interfaceFont(12.5, QFont::Medium);
}

// The soft shadow under an icon, the same for all: made once.
const QImage& iconShadow() {
  static const QImage shadow = [] {
    QImage image(QSize(104, 104), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromRgbF(0, 0, 0, 0.35f));
    p.drawRoundedRect(QRectF(12, 12, 80, 80), 18, 18);
    p.end();
    return blurImage(image, 3.0);
  }();
  return shadow;
}

QIcon symbolIcon(std::string_view name) {
  QImage image(QSize(32, 32), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  paintSymbol(p, name, QRectF(2, 2, 28, 28), Qt::white);
  p.end();
  return QIcon(QPixmap::fromImage(image));
}

}  // namespace

void styleOverlayMenu(QMenu& menu) {
  menu.setStyleSheet(
      "QMenu { background: rgba(30, 36, 52, 235); color: white; border: 1px solid "
      "rgba(255,255,255,50); border-radius: 8px; padding: 4px; }"
      "QMenu::item { padding: 5px 16px 5px 10px; border-radius: 5px; }"
      "QMenu::item:selected { background: rgba(90, 170, 255, 150); }");
  menu.setFont(interfaceFont(13));
}

FolderAppGrid::FolderAppGrid(TilewellStore& store, QWidget* parent)
    : QWidget(parent), store_(store) {
  setMouseTracking(true);
  setAccessibleName("文件夹中的应用");
}

void FolderAppGrid::setApps(std::vector<AppItem> apps) {
  apps_ = std::move(apps);
  // Decoding starts now, so the icons are ready, or nearly, by the first paint.
  for (const AppItem& app : apps_)
    iconImage(app);
  scrollTo(offset_);
  update();
}

double FolderAppGrid::columnWidth() const {
  const double available = width() - 2 * kInset - (kColumns - 1) * kColumnSpacing;
  return std::clamp(available / kColumns, kMinColumn, kMaxColumn);
}

double FolderAppGrid::entryHeight() const {
  return kIcon + kNameGap + QFontMetricsF(nameFont()).height();
}

double FolderAppGrid::contentHeight(int) const {
  const int rows = static_cast<int>((apps_.size() + kColumns - 1) / kColumns);
  if (rows == 0) return 2 * kInset;
  return 2 * kInset + rows * entryHeight() + (rows - 1) * kRowSpacing;
}

double FolderAppGrid::maxScrollOffset() const {
  return std::max(0.0, contentHeight(width()) - height());
}

void FolderAppGrid::scrollTo(double offset) {
  const double clamped = std::clamp(offset, 0.0, maxScrollOffset());
  if (clamped == offset_) return;
  offset_ = clamped;
  update();
}

QRectF FolderAppGrid::entryRect(int index) const {
  const double column = columnWidth();
  const double gridWidth = kColumns * column + (kColumns - 1) * kColumnSpacing;
  const double left = (width() - gridWidth) / 2;
  const int row = index / kColumns, col = index % kColumns;
  const double cellLeft = left + col * (column + kColumnSpacing);
  const double entryWidth = std::min(column, kNameWidth);
  return QRectF(cellLeft + (column - entryWidth) / 2,
                kInset + row * (entryHeight() + kRowSpacing) - offset_, entryWidth, entryHeight());
}

QRectF FolderAppGrid::badgeRect(int index) const {
  // At the icon's top-trailing corner, drawn in by four points.
  const QRectF entry = entryRect(index);
  const double iconRight = entry.center().x() + kIcon / 2;
  return QRectF(iconRight - 4 - kBadge / 2 - 4, entry.top() - kBadge / 2 + 4, kBadge, kBadge);
}

int FolderAppGrid::entryAt(const QPointF& point) const {
  for (int i = 0; i < static_cast<int>(apps_.size()); ++i)
    if (entryRect(i).contains(point) || badgeRect(i).contains(point)) return i;
  return -1;
}

QImage FolderAppGrid::iconImage(const AppItem& app) {
  const Image icon = store_.icon(app);
  if (icon.isNull()) return {};
  const int pixels = static_cast<int>(std::ceil(kIcon * devicePixelRatioF()));
  // Not decoded yet: the entry shows no icon for a frame or two, then repaints.
  QImage image = IconRasterCache::shared().image(icon, pixels, this, [this] { update(); });
  image.setDevicePixelRatio(devicePixelRatioF());
  return image;
}

void FolderAppGrid::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.setClipRect(rect());
  const QFont font = nameFont();
  const QFontMetricsF metrics(font);
  painter.setFont(font);
  for (int i = 0; i < static_cast<int>(apps_.size()); ++i) {
    const QRectF entry = entryRect(i);
    if (!entry.adjusted(-10, -12, 10, 12).intersects(QRectF(event->rect()))) continue;
    const QRectF icon(entry.center().x() - kIcon / 2, entry.top(), kIcon, kIcon);
    painter.drawImage(icon.topLeft() - QPointF(12, 12) + QPointF(0, 4), iconShadow());
    const QImage image = iconImage(apps_[i]);
    if (!image.isNull()) painter.drawImage(icon, image);
    const QString name =
        metrics.elidedText(QString::fromStdString(apps_[i].name), Qt::ElideRight, kNameWidth);
    const QRectF nameBox(entry.center().x() - kNameWidth / 2, icon.bottom() + kNameGap, kNameWidth,
                         metrics.height());
    painter.setPen(QColor::fromRgbF(0, 0, 0, 0.85f));
    painter.drawText(nameBox.translated(0, 1), Qt::AlignHCenter | Qt::AlignVCenter, name);
    painter.setPen(Qt::white);
    painter.drawText(nameBox, Qt::AlignHCenter | Qt::AlignVCenter, name);

    paintSymbol(painter, "minus.circle.fill", badgeRect(i), Qt::white, srgb(1.0, 0.23, 0.19, 0.85));
  }
  // The scroll indicator, while there is more than fits.
  if (maxScrollOffset() > 0) {
    const double track = height() - 12;
    const double content = contentHeight(width());
    const double length = std::max(24.0, track * height() / content);
    const double top = 6 + (track - length) * (offset_ / maxScrollOffset());
    painter.setPen(Qt::NoPen);
    painter.setBrush(white(0.35));
    painter.drawRoundedRect(QRectF(width() - 8, top, 4, length), 2, 2);
  }
}

void FolderAppGrid::wheelEvent(QWheelEvent* event) {
  const double delta = !event->pixelDelta().isNull() ? event->pixelDelta().y()
                                                     : event->angleDelta().y() / 120.0 * 48.0;
  scrollTo(offset_ - delta);
  event->accept();
}

void FolderAppGrid::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  pressed_ = entryAt(event->position());
  pressedBadge_ = pressed_ >= 0 && badgeRect(pressed_).contains(event->position());
  event->accept();
}

void FolderAppGrid::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
  const int index = entryAt(event->position());
  const bool onBadge = index >= 0 && badgeRect(index).contains(event->position());
  const int pressed = std::exchange(pressed_, -1);
  event->accept();
  if (index < 0 || index != pressed || onBadge != pressedBadge_) return;
  const AppItem app = apps_[index];  // the callbacks may change the list
  if (onBadge) {
    if (onRemove) onRemove(app);
  } else if (onLaunch) {
    onLaunch(app);
  }
}

std::unique_ptr<QMenu> FolderAppGrid::contextMenuFor(int index) {
  if (index < 0 || index >= static_cast<int>(apps_.size())) return nullptr;
  auto menu = std::make_unique<QMenu>();
  styleOverlayMenu(*menu);
  const AppItem app = apps_[index];
  menu->addAction(symbolIcon("folder.badge.minus"), "移出此文件夹", [this, app] {
    if (onRemove) onRemove(app);
  });
  return menu;
}

void FolderAppGrid::contextMenuEvent(QContextMenuEvent* event) {
  auto menu = contextMenuFor(entryAt(event->pos()));
  if (!menu) return;
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu.release()->popup(event->globalPos());
  event->accept();
}

void FolderAppGrid::resizeEvent(QResizeEvent*) {
  scrollTo(offset_);
}

QString FolderAppGrid::toolTipAt(const QPointF& point) const {
  const int index = entryAt(point);
  if (index < 0) return {};
  if (badgeRect(index).contains(point)) return "移出文件夹";
  return QString::fromStdString(apps_[index].name);
}

bool FolderAppGrid::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const QString tip = toolTipAt(help->pos());
    if (tip.isEmpty()) {
      QToolTip::hideText();
    } else {
      QToolTip::showText(help->globalPos(), tip, this);
    }
    return true;
  }
  return QWidget::event(event);
}

}  // namespace calyxa
