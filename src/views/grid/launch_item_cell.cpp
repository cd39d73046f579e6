#include "views/grid/launch_item_cell.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "catalogue/tilewell_store.h"
#include "platform/qt/property_observer.h"
#include "views/effects/desktop_snapshot.h"
#include "views/effects/glass_shape.h"
#include "views/grid/edit_mode_arrows.h"
#include "views/grid/folder_icon_preview.h"
#include "views/grid/grid_metrics.h"
#include "views/grid/smooth_item_drop_delegate.h"
#include "views/icon_raster_cache.h"
#include "views/view_style.h"

namespace calyxa {
namespace {

const Animation kHoverSpring = Animation::spring(0.18, 1.0);
const Animation kSelectionEase = Animation::easeOut(0.14);
const Animation kLaunchSpring = Animation::spring(0.22, 0.95);
constexpr double kTargetScale = 1.09;
constexpr double kHoverScale = 1.06;
constexpr double kLaunchScale = 1.25;
constexpr double kDragScale = 0.9;
constexpr double kDragOpacity = 0.48;
// Room around the label for its shadow, in points.
constexpr double kLabelMargin = 3.0;

QString folderTargetText() {
  return QStringLiteral("松手合并文件夹");
}

double labelLineHeight() {
  return std::ceil(QFontMetricsF(uiFont(12.5, QFont::Bold)).height());
}

}  // namespace

LaunchItemCell::LaunchItemCell(TilewellStore& store, LaunchItem item, int indexSeed,
                               QSizeF cellSize, ItemMenuActions actions, QWidget* parent,
                               FrameDriver& driver)
    : QWidget(parent),
      store_(store),
      item_(std::move(item)),
      indexSeed_(indexSeed),
      cellSize_(cellSize),
      actions_(std::move(actions)),
      driver_(driver),
      jiggle_(store.isEditingPositions, indexSeed),
      animator_(this, driver) {
  setAcceptDrops(true);
  setAttribute(Qt::WA_Hover, false);
  resize(cellSize.toSize());
  animator_.track(hoverScale_);
  animator_.track(targetAmount_);
  animator_.track(selectionAmount_);
  animator_.track(launchAmount_);
  animator_.track(dragAmount_);
  animator_.track(jiggle_.animation());
  arrows_ = new EditModeArrows(store, this);  // owned by this cell
  arrows_->setItem(item_);
  refreshState(Transaction{});
  observeChanges(this, store.changes,
                 {"draggingItem", "potentialFolderTargetID", "selectedItemID", "launchingAppID",
                  "isEditingPositions"},
                 [this](std::string_view, const Transaction& t) { refreshState(t); });
}

LaunchItemCell::~LaunchItemCell() = default;

void LaunchItemCell::setItem(LaunchItem item) {
  if (item == item_) return;
  item_ = std::move(item);
  arrows_->setItem(item_);
  icon_ = {};
  label_ = {};
  refreshState(Transaction{});
}

void LaunchItemCell::setIndexSeed(int seed) {
  if (seed == indexSeed_) return;
  indexSeed_ = seed;
  // The new seed takes effect the next time the wobble starts.
  if (!jiggle_.isJiggling()) jiggle_ = JiggleModifier(false, seed);
}

void LaunchItemCell::setCellSize(QSizeF size) {
  if (size == cellSize_) return;
  cellSize_ = size;
  resize(size.toSize());
  icon_ = {};
  label_ = {};
  placeEditControls();
  update();
}

double LaunchItemCell::iconSide() const {
  return iconSideForCell(cellSize_);
}

QRectF LaunchItemCell::iconFrame() const {
  const double side = iconSide();
  const double stack = side + kStackSpacing + labelLineHeight();
  return QRectF((cellSize_.width() - side) / 2, (cellSize_.height() - stack) / 2, side, side);
}

QRectF LaunchItemCell::labelFrame() const {
  const QRectF icon = iconFrame();
  const double width = cellSize_.width() * 0.88;
  return QRectF((cellSize_.width() - width) / 2, icon.bottom() + kStackSpacing, width,
                labelLineHeight());
}

QString LaunchItemCell::labelText() const {
  return folderTarget_ ? folderTargetText() : QString::fromStdString(item_.name());
}

bool LaunchItemCell::isBeingDragged() const {
  return dragged_;
}
bool LaunchItemCell::isPotentialFolderTarget() const {
  return folderTarget_;
}
bool LaunchItemCell::isKeyboardSelected() const {
  return selected_;
}
bool LaunchItemCell::isLaunching() const {
  return launching_;
}

double LaunchItemCell::iconAreaScale() const {
  return hoverScale_.value(animator_.now());
}

void LaunchItemCell::refreshState(const Transaction& transaction) {
  const double now = animator_.now();
  const auto& dragging = store_.draggingItem.get();
  const bool dragged = dragging && dragging->id() == item_.id();
  const bool target = store_.potentialFolderTargetID.get() == item_.id();
  const bool selected = store_.selectedItemID.get() == item_.id();
  const bool launching = item_.asApp() && store_.launchingAppID.get() == item_.id();
  if (target != folderTarget_) label_ = {};
  if (dragged != dragged_) dragAmount_.setTarget(dragged ? 1.0 : 0.0, transaction, now);
  if (target != folderTarget_) targetAmount_.setTarget(target ? 1.0 : 0.0, kHoverSpring, now);
  if (selected != selected_) selectionAmount_.setTarget(selected ? 1.0 : 0.0, kSelectionEase, now);
  if (launching != launching_) launchAmount_.setTarget(launching ? 1.0 : 0.0, kLaunchSpring, now);
  dragged_ = dragged;
  folderTarget_ = target;
  selected_ = selected;
  launching_ = launching;
  hoverScale_.setTarget(folderTarget_ ? kTargetScale
                        : hovered_    ? kHoverScale
                                      : 1.0,
                        kHoverSpring, now);
  jiggle_.setJiggling(store_.isEditingPositions, now);
  arrows_->setVisible(store_.isEditingPositions);
  placeEditControls();
  animator_.wake();
}

void LaunchItemCell::placeEditControls() {
  const QRectF icon = iconFrame();
  const QSize size = arrows_->sizeHint();
  arrows_->setGeometry(static_cast<int>(std::round(icon.center().x() - size.width() / 2.0)),
                       static_cast<int>(std::round(icon.top() - kEditControlsRaise)), size.width(),
                       size.height());
}

bool LaunchItemCell::contentContains(QPointF point) const {
  return iconFrame().contains(point) || labelFrame().contains(point);
}

QImage LaunchItemCell::iconImage() {
  const qreal ratio = devicePixelRatioF();
  const double side = iconSide();
  const int pixels = static_cast<int>(std::ceil(side * ratio));
  const QString key = QStringLiteral("%1:%2:%3").arg(pixels).arg(hovered_).arg(ratio);
  if (!icon_.isNull() && key == iconKey_) return icon_;
  QPointer<LaunchItemCell> self(this);
  const auto ready = [self] {
    if (!self) return;
    self->icon_ = {};
    self->update();
  };
  if (const AppItem* app = item_.asApp()) {
    icon_ = IconRasterCache::shared().image(store_.icon(*app), pixels, this, ready);
  } else if (const LaunchFolder* folder = item_.asFolder()) {
    bool complete = true;
    QImage tile = FolderIconPreview::render(
        *folder, side, hovered_, ratio, [&](const AppItem& app, int miniPixels) {
          QImage mini = IconRasterCache::shared().image(store_.icon(app), miniPixels, this, ready);
          complete = complete && !mini.isNull();
          return mini;
        });
    // A tile with placeholders is drawn again when its icons arrive.
    if (!complete) return tile;
    icon_ = tile;
  }
  iconKey_ = key;
  return icon_;
}

const QImage& LaunchItemCell::labelImage() {
  const qreal ratio = devicePixelRatioF();
  const QRectF frame = labelFrame();
  const QString text = labelText();
  const QString key =
      QStringLiteral("%1|%2|%3|%4").arg(text).arg(frame.width()).arg(ratio).arg(folderTarget_);
  if (!label_.isNull() && key == labelKey_) return label_;
  const QFont font = uiFont(kLabelSize, folderTarget_ ? QFont::Bold : QFont::Medium);
  const QFontMetricsF metrics(font);
  const QString shown = metrics.elidedText(text, Qt::ElideRight, frame.width());
  const QSizeF size(frame.width() + 2 * kLabelMargin, frame.height() + 2 * kLabelMargin);
  const QSize pixels((size * ratio).toSize());
  const QRectF textRect(kLabelMargin, kLabelMargin, frame.width(), frame.height());
  const int flags = Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine;

  QImage shadow(pixels, QImage::Format_ARGB32_Premultiplied);
  shadow.setDevicePixelRatio(ratio);
  shadow.fill(Qt::transparent);
  {
    QPainter p(&shadow);
    p.setFont(font);
    p.setPen(srgb(0, 0, 0, 0.82));
    p.drawText(textRect.translated(0, 1), flags, shown);
  }
  label_ = blurImage(shadow, 1.0 * ratio);
  label_.setDevicePixelRatio(ratio);
  QPainter p(&label_);
  p.setFont(font);
  p.setPen(folderTarget_ ? srgb(0.55, 0.92, 1.0) : QColor(Qt::white));
  p.setClipRect(textRect);
  p.drawText(textRect, flags, shown);
  p.end();
  labelKey_ = key;
  return label_;
}

void LaunchItemCell::paintEvent(QPaintEvent*) {
  const double now = animator_.now();
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);

  const QRectF icon = iconFrame();
  const QRectF label = labelFrame();
  const double drag = dragAmount_.value(now);
  if (drag != 0.0) {
    const QPointF centre = icon.united(label).center();
    const double scale = 1.0 - (1.0 - kDragScale) * drag;
    painter.translate(centre);
    painter.scale(scale, scale);
    painter.translate(-centre);
    painter.setOpacity(1.0 - (1.0 - kDragOpacity) * drag);
  }

  painter.save();
  painter.setTransform(jiggle_.transform(icon, now), true);
  const double areaScale = hoverScale_.value(now);
  painter.translate(icon.center());
  painter.scale(areaScale, areaScale);
  painter.translate(-icon.center());
  const double side = icon.width();

  if (const double s = selectionAmount_.value(now); s > 0.001) {
    const double square = side * 1.18;
    const QRectF frame(icon.center() - QPointF(square / 2, square / 2), QSizeF(square, square));
    painter.setPen(Qt::NoPen);
    painter.setBrush(white(0.16 * std::min(s, 1.0)));
    painter.drawRoundedRect(frame, side * 0.16, side * 0.16);
  }
  if (const double t = targetAmount_.value(now); t > 0.001) {
    const double edge = side * 0.86;
    const QRectF frame(icon.center() - QPointF(edge / 2, edge / 2), QSizeF(edge, edge));
    const GlassShape shape =
        GlassShape::roundedRectangle(side * 0.22, GlassShape::CornerStyle::continuous);
    painter.save();
    painter.setOpacity(painter.opacity() * std::min(t, 1.0));
    QLinearGradient fill(frame.topLeft(), frame.bottomRight());
    fill.setColorAt(0.0, white(0.32));
    fill.setColorAt(1.0, srgb(0.35, 0.85, 1.0, 0.3));
    painter.fillPath(shape.path(frame), fill);
    QPen pen(white(0.85), 1.6);
    pen.setMiterLimit(10);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(shape.inset(0.8).path(frame));
    painter.restore();
  }

  const double launch = launchAmount_.value(now);
  painter.save();
  if (launch != 0.0) {
    const double scale = 1.0 + (kLaunchScale - 1.0) * launch;
    painter.translate(icon.center());
    painter.scale(scale, scale);
    painter.translate(-icon.center());
    painter.setOpacity(painter.opacity() * std::clamp(1.0 - launch, 0.0, 1.0));
  }
  const QImage image = iconImage();
  if (item_.isFolder()) {
    const double margin = FolderIconPreview::kShadowMargin;
    painter.drawImage(icon.adjusted(-margin, -margin, margin, margin), image);
  } else if (image.isNull()) {
    // Not decoded yet: a quiet tile where the icon will be.
    painter.setPen(Qt::NoPen);
    painter.setBrush(white(0.1));
    const QRectF tile = icon.adjusted(side * 0.08, side * 0.08, -side * 0.08, -side * 0.08);
    painter.drawRoundedRect(tile, side * 0.2, side * 0.2);
  } else {
    painter.drawImage(icon, image);
  }
  painter.restore();
  painter.restore();

  const QImage& text = labelImage();
  painter.drawImage(label.adjusted(-kLabelMargin, -kLabelMargin, kLabelMargin, kLabelMargin), text);
}

void LaunchItemCell::enterEvent(QEnterEvent* event) {
  QWidget::enterEvent(event);
  hovered_ = true;
  refreshState(Transaction{});
}

void LaunchItemCell::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  hovered_ = false;
  refreshState(Transaction{});
}

void LaunchItemCell::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  jiggle_.appear(animator_.now());
  animator_.wake();
}

void LaunchItemCell::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  jiggle_.disappear();
}

void LaunchItemCell::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !contentContains(event->position())) {
    event->ignore();  // the backdrop's
    return;
  }
  pressed_ = true;
  pressPoint_ = event->position();
}

void LaunchItemCell::mouseMoveEvent(QMouseEvent* event) {
  if (!pressed_ || !(event->buttons() & Qt::LeftButton)) return;
  if ((event->position() - pressPoint_).manhattanLength() < QApplication::startDragDistance()) {
    return;
  }
  startDrag();
}

void LaunchItemCell::mouseReleaseEvent(QMouseEvent* event) {
  const bool wasPressed = std::exchange(pressed_, false);
  if (!wasPressed || event->button() != Qt::LeftButton) {
    event->ignore();
    return;
  }
  if (contentContains(event->position())) click();
}

void LaunchItemCell::click() {
  if (store_.isEditingPositions) return;
  if (const AppItem* app = item_.asApp()) {
    if (actions_.launchApp) actions_.launchApp(*app);
  } else if (const LaunchFolder* folder = item_.asFolder()) {
    if (actions_.openFolder) actions_.openFolder(*folder);
  }
}

QImage LaunchItemCell::dragPixmapImage() {
  const QImage image = iconImage();
  if (item_.isFolder() || image.isNull()) return grab(iconFrame().toAlignedRect()).toImage();
  return image;
}

void LaunchItemCell::startDrag() {
  pressed_ = false;
  TilewellStore& store = store_;
  const LaunchItem item = item_;
  QPointer<LaunchItemCell> self(this);
  store.draggingItem = item;

  auto* mime = new QMimeData;  // owned by the drag
  mime->setText(QString::fromStdString(item.id()));
  QDrag drag(this);
  drag.setMimeData(mime);
  const QImage picture = dragPixmapImage();
  if (!picture.isNull()) {
    QPixmap pixmap = QPixmap::fromImage(picture);
    drag.setPixmap(pixmap);
    const QSizeF shown = pixmap.deviceIndependentSize();
    drag.setHotSpot(
        QPoint(static_cast<int>(shown.width() / 2), static_cast<int>(shown.height() / 2)));
  }
  dragSource_ = true;
  drag.exec(Qt::MoveAction);

  // Dropped outside every cell and zone, refused, or cancelled: the drag ends with no target.
  const auto& still = store.draggingItem.get();
  if (still && still->id() == item.id()) store.finalizeItemDrop(item, std::nullopt);
  if (!self) return;
  dragSource_ = false;
  if (onDragFinished) onDragFinished();
}

void LaunchItemCell::fillContextMenu(QMenu& menu) {
  fillItemContextMenu(menu, item_, store_, actions_);
}

void LaunchItemCell::contextMenuEvent(QContextMenuEvent* event) {
  auto* menu = new QMenu(this);  // owned by this cell until it closes
  menu->setAttribute(Qt::WA_DeleteOnClose);
  fillContextMenu(*menu);
  menu->popup(event->globalPos());
}

void LaunchItemCell::dragEnterEvent(QDragEnterEvent* event) {
  if (!event->mimeData()->hasText()) return event->ignore();
  event->setDropAction(Qt::MoveAction);
  event->accept();
  SmoothItemDropDelegate{item_, cellSize_, store_}.dropEntered(event->position());
}

void LaunchItemCell::dragMoveEvent(QDragMoveEvent* event) {
  SmoothItemDropDelegate{item_, cellSize_, store_}.dropUpdated(event->position());
  event->setDropAction(Qt::MoveAction);
  event->accept();
}

void LaunchItemCell::dragLeaveEvent(QDragLeaveEvent* event) {
  QWidget::dragLeaveEvent(event);
  SmoothItemDropDelegate{item_, cellSize_, store_}.dropExited();
}

void LaunchItemCell::dropEvent(QDropEvent* event) {
  if (SmoothItemDropDelegate{item_, cellSize_, store_}.performDrop()) {
    event->setDropAction(Qt::MoveAction);
    event->accept();
  } else {
    event->ignore();
  }
}

}  // namespace calyxa
