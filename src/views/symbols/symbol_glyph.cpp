#include "views/symbols/symbol_glyph.h"

#include <algorithm>

#include "views/symbols/symbol_library.h"

namespace calyxa {
namespace {

// Places the design square on the largest square centred in `box`; false when nothing is drawn.
bool beginSymbol(QPainter& painter, const QRectF& box) {
  const double side = std::min(box.width(), box.height());
  if (!(side > 0)) return false;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.translate(box.center() - QPointF(side / 2, side / 2));
  painter.scale(side / kSymbolDesignSize, side / kSymbolDesignSize);
  return true;
}

}  // namespace

void paintSymbol(QPainter& painter, std::string_view name, const QRectF& box, const QColor& color,
                 SymbolWeight weight) {
  const SymbolOutline* outline = symbolOutline(name, weight);
  if (!outline || !beginSymbol(painter, box)) return;
  painter.fillPath(outline->shape, color);
  painter.restore();
}

void paintSymbol(QPainter& painter, std::string_view name, const QRectF& box, const QColor& color,
                 const QColor& background, SymbolWeight weight) {
  const SymbolOutline* outline = symbolOutline(name, weight);
  if (!outline) return;
  if (outline->disc.isEmpty()) {
    paintSymbol(painter, name, box, color, weight);
    return;
  }
  if (!beginSymbol(painter, box)) return;
  painter.fillPath(outline->disc, background);
  painter.fillPath(outline->mark, color);
  painter.restore();
}

bool hasSymbol(std::string_view name) {
  const auto& names = symbolNames();
  return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace calyxa
