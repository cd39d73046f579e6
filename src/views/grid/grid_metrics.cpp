#include "views/grid/grid_metrics.h"

#include <algorithm>

namespace calyxa {

OverlayMetrics OverlayMetrics::forView(QSizeF view, double notchHeight) {
  OverlayMetrics m;
  m.content =
      QSizeF(std::max(view.width(), kMinimumWidth), std::max(view.height(), kMinimumHeight));
  m.topInset = notchHeight > 20 ? notchHeight + 16 : 28;
  m.contentIn = QRectF(
      QPointF((view.width() - m.content.width()) / 2, (view.height() - m.content.height()) / 2),
      m.content);
  return m;
}

QRectF OverlayMetrics::pageArea() const {
  const double top = searchBandHeight();
  return QRectF(0, top, content.width(), std::max(0.0, content.height() - top - kDotsBandHeight));
}

PageGridMetrics PageGridMetrics::forPage(QSizeF page) {
  PageGridMetrics g;
  g.page = page;
  g.hMargin = page.width() * 0.055;
  g.vMargin = std::max(page.height() * 0.025, 14.0);
  g.grid = QSizeF(std::max(page.width() - (g.hMargin >= 56 ? 2 * g.hMargin : 112.0), 700.0),
                  std::max(page.height() - 2 * g.vMargin, 450.0));
  g.cell = QSizeF(g.grid.width() / columns, g.grid.height() / rows);
  return g;
}

QRectF PageGridMetrics::slotRect(int index, int countOnPage) const {
  countOnPage = std::clamp(countOnPage, 1, columns * rows);
  const int row = index / columns;
  const int column = index % columns;
  const int rowCount = (countOnPage + columns - 1) / columns;
  const int inRow = std::clamp(countOnPage - row * columns, 1, columns);
  const double gridLeft = (page.width() - grid.width()) / 2;
  const double rowLeft = gridLeft + (grid.width() - inRow * cell.width()) / 2;
  const double top = (page.height() - rowCount * cell.height()) / 2;
  return QRectF(rowLeft + column * cell.width(), top + row * cell.height(), cell.width(),
                cell.height());
}

double iconSideForCell(QSizeF cell) {
  return std::clamp(std::min(cell.width() * 0.5, cell.height() * 0.62), 78.0, 92.0);
}

}  // namespace calyxa
