#pragma once

#include <QPainterPath>
#include <string_view>
#include <vector>

#include "views/symbols/symbol_glyph.h"

namespace calyxa {

// The outlines of one symbol on a 100 × 100 design square, ready to fill (winding rule).
// `shape` is the whole symbol. Round badges ("….circle.fill") also keep their parts apart, for
// two-colour drawing: `disc` under `mark`.
struct SymbolOutline {
  QPainterPath shape;
  QPainterPath disc;
  QPainterPath mark;
};

inline constexpr double kSymbolDesignSize = 100.0;

// The symbol at that weight; null for an unknown name. Made when first asked for, then never
// changed: the pointer stays valid for the life of the process. Any thread may ask.
const SymbolOutline* symbolOutline(std::string_view name, SymbolWeight weight);

}  // namespace calyxa
