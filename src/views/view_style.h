#pragma once

#include <QColor>
#include <QFont>

namespace calyxa {

// The interface's font at `size` points: the system's sans-serif, with a CJK face after it so
// that every Chinese text finds its glyphs.
QFont uiFont(double size, QFont::Weight weight = QFont::Normal);

// An sRGB colour from components 0 … 1.
inline QColor srgb(double r, double g, double b, double opacity = 1.0) {
  return QColor::fromRgbF(static_cast<float>(r), static_cast<float>(g), static_cast<float>(b),
                          static_cast<float>(opacity));
}

inline QColor white(double opacity) {
  return srgb(1, 1, 1, opacity);
}

// The cyan of tinted glass.
inline QColor cyan(double opacity) {
  return srgb(0.0, 0.75, 1.0, opacity);
}

}  // namespace calyxa
