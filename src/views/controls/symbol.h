#pragma once

#include <QColor>
#include <QPainter>
#include <QRectF>
#include <string_view>

namespace calyxa {

enum class SymbolStroke { light, regular, medium, semibold, bold };

// Draws the named system symbol fitted in the square `box`.
void drawSymbol(QPainter& painter, std::string_view name, const QRectF& box, const QColor& color,
                SymbolStroke weight = SymbolStroke::regular);

}  // namespace calyxa
