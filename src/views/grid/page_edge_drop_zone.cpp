#include "views/grid/page_edge_drop_zone.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>

#include "catalogue/tilewell_store.h"
#include "views/effects/glass_shape.h"
#include "views/symbols/symbol_glyph.h"
#include "views/view_style.h"

namespace calyxa {

PageEdgeDropZone::PageEdgeDropZone(bool isLeft, TilewellStore& store, QWidget* parent)
    : QWidget(parent), isLeft_(isLeft), store_(store) {
  setAcceptDrops(true);
}

int PageEdgeDropZone::targetPage() const {
  const int current = store_.pager.currentPage;
  return isLeft_ ? std::max(current - 1, 0) : std::min(current + 1, store_.pageCount() - 1);
}

bool PageEdgeDropZone::performDrop() {
  const std::optional<LaunchItem> dragged = store_.draggingItem.get();
  setTargeted(false);
  if (!dragged) return false;
  store_.moveItemToPage(*dragged, targetPage());
  store_.draggingItem = std::nullopt;
  return true;
}

void PageEdgeDropZone::setTargeted(bool targeted) {
  if (targeted == isTargeted_) return;
  isTargeted_ = targeted;
  update();
}

void PageEdgeDropZone::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF all(QPointF(0, 0), QSizeF(size()));
  const GlassShape shape = GlassShape::roundedRectangle(22, GlassShape::CornerStyle::continuous);
  painter.fillPath(shape.path(all), white(isTargeted_ ? 0.22 : 0.04));
  const QRectF glyph(all.center() - QPointF(12, 12), QSizeF(24, 24));
  paintSymbol(painter, isLeft_ ? "chevron.compact.left" : "chevron.compact.right", glyph,
              white(isTargeted_ ? 0.95 : 0.3), SymbolWeight::bold);
}

void PageEdgeDropZone::dragEnterEvent(QDragEnterEvent* event) {
  if (!event->mimeData()->hasText()) return event->ignore();
  event->setDropAction(Qt::MoveAction);
  event->accept();
  setTargeted(true);
}

void PageEdgeDropZone::dragMoveEvent(QDragMoveEvent* event) {
  event->setDropAction(Qt::MoveAction);
  event->accept();
}

void PageEdgeDropZone::dragLeaveEvent(QDragLeaveEvent* event) {
  QWidget::dragLeaveEvent(event);
  setTargeted(false);
}

void PageEdgeDropZone::dropEvent(QDropEvent* event) {
  if (performDrop()) {
    event->setDropAction(Qt::MoveAction);
    event->accept();
  } else {
    event->ignore();
  }
}

}  // namespace calyxa
