#include "views/grid/edit_mode_arrows.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "catalogue/tilewell_store.h"
#include "views/symbols/symbol_glyph.h"
#include "views/view_style.h"

namespace calyxa {
namespace {

constexpr double kPadding = 2.0;
constexpr double kSpacing = 3.0;
constexpr double kCircle = 18.0;

QString menuLabel() {
  return QStringLiteral("移动");
}

}  // namespace

EditModeArrows::EditModeArrows(TilewellStore& store, QWidget* parent)
    : QWidget(parent), store_(store) {
  resize(sizeHint());
}

double EditModeArrows::menuWidth() const {
  const QFontMetricsF metrics(uiFont(8.5, QFont::Bold));
  return std::ceil(metrics.horizontalAdvance(menuLabel())) + 8.0;
}

QSize EditModeArrows::sizeHint() const {
  const double width = 2 * kPadding + 2 * kCircle + 2 * kSpacing + menuWidth();
  return QSize(static_cast<int>(std::ceil(width)), static_cast<int>(kCircle + 2 * kPadding));
}

QRectF EditModeArrows::leftFrame() const {
  return QRectF(kPadding, kPadding, kCircle, kCircle);
}

QRectF EditModeArrows::menuFrame() const {
  const QFontMetricsF metrics(uiFont(8.5, QFont::Bold));
  const double height = metrics.height() + 4.0;
  return QRectF(kPadding + kCircle + kSpacing, (this->height() - height) / 2, menuWidth(), height);
}

QRectF EditModeArrows::rightFrame() const {
  return QRectF(menuFrame().right() + kSpacing, kPadding, kCircle, kCircle);
}

void EditModeArrows::fillPageMenu(QMenu& menu) const {
  const int pages = store_.pageCount();
  TilewellStore* store = &store_;
  for (int page = 0; page < pages; ++page) {
    QAction* entry = menu.addAction(QStringLiteral("移至第 %1 页").arg(page + 1));
    QObject::connect(entry, &QAction::triggered, &menu,
                     [store, item = item_, page] { store->moveItemToPage(item, page); });
  }
}

void EditModeArrows::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF all(QPointF(0, 0), QSizeF(size()));
  painter.setPen(Qt::NoPen);
  painter.setBrush(srgb(0, 0, 0, 0.45));
  painter.drawRoundedRect(all, all.height() / 2, all.height() / 2);

  for (const auto& [frame, symbol] :
       {std::pair{leftFrame(), "chevron.left"}, std::pair{rightFrame(), "chevron.right"}}) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(srgb(0, 0, 0, 0.6));
    painter.drawEllipse(frame);
    const QRectF glyph(frame.center() - QPointF(4.5, 4.5), QSizeF(9, 9));
    paintSymbol(painter, symbol, glyph, Qt::white, SymbolWeight::bold);
  }

  const QRectF menu = menuFrame();
  painter.setPen(Qt::NoPen);
  painter.setBrush(srgb(0.0, 0.48, 1.0, 0.7));
  painter.drawRoundedRect(menu, menu.height() / 2, menu.height() / 2);
  painter.setPen(Qt::white);
  painter.setFont(uiFont(8.5, QFont::Bold));
  painter.drawText(menu, Qt::AlignCenter, menuLabel());
}

void EditModeArrows::mousePressEvent(QMouseEvent* event) {
  event->accept();
}

void EditModeArrows::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPointF at = event->position();
  if (leftFrame().contains(at)) {
    store_.moveItemStep(item_, -1);
  } else if (rightFrame().contains(at)) {
    store_.moveItemStep(item_, 1);
  } else if (menuFrame().contains(at)) {
    auto* menu = new QMenu(this);  // owned by this widget until closed
    menu->setAttribute(Qt::WA_DeleteOnClose);
    fillPageMenu(*menu);
    menu->popup(mapToGlobal(menuFrame().bottomLeft().toPoint()));
  }
}

}  // namespace calyxa
