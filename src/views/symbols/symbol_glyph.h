#pragma once

#include <QColor>
#include <QPainter>
#include <QRectF>
#include <string_view>
#include <vector>

namespace calyxa {

// How heavy a symbol's lines are, as the weight of the text beside it.
enum class SymbolWeight { light, regular, medium, semibold, bold };

// Draws the named symbol (the names the views use: "magnifyingglass", "gearshape.fill",
// "xmark.circle.fill", ...) filling the square `box` (its side is the symbol's point size; a box
// that is not square gets the symbol centred in its largest square). Vector paths, antialiased,
// crisp at any scale; nothing is drawn outside the box. An unknown name draws nothing.
void paintSymbol(QPainter& painter, std::string_view name, const QRectF& box, const QColor& color,
                 SymbolWeight weight = SymbolWeight::regular);

// Two colours, for the filled round badges ("minus.circle.fill" white on red): the disc in
// `background`, the mark in `color`. Any other symbol is drawn in `color` alone.
void paintSymbol(QPainter& painter, std::string_view name, const QRectF& box, const QColor& color,
                 const QColor& background, SymbolWeight weight = SymbolWeight::regular);

bool hasSymbol(std::string_view name);

// Every symbol there is, in a stable order (for contact sheets and tests).
const std::vector<std::string_view>& symbolNames();

}  // namespace calyxa
